#include "host/mtl.h"

#include "host/scene_ownership.h"

Mtl::Mtl(int subTexmapCount) : m_subTexmaps(std::size_t(subTexmapCount > 0 ? subTexmapCount : 0), nullptr) {}

Mtl::~Mtl() = default;

void Mtl::SetSubTexmap(int slot, Texmap* map) {
    if (slot < 0 || slot >= NumSubTexmaps()) {
        return;
    }
    m_subTexmaps[std::size_t(slot)] = map;
    zenthor::AdoptAlongWith(this, map);
}

Texmap* Mtl::GetSubTexmap(int slot) const {
    return slot >= 0 && slot < NumSubTexmaps() ? m_subTexmaps[std::size_t(slot)] : nullptr;
}

void Mtl::SetActiveTexmap(MtlBase* map) {
    m_activeTexmap = map;
    zenthor::AdoptAlongWith(this, map);
}

void Mtl::SetMtlFlag(int flag, BOOL on) {
    m_flags = on != FALSE ? (m_flags | DWORD(flag)) : (m_flags & ~DWORD(flag));
}
