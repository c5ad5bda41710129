// A material: numbered sub-texture-map slots, the texture map shown in the
// viewports (the active one) and a flag word. A material refers to its maps;
// it does not own them (one map may sit in several slots).
#pragma once

#include <vector>

#include "host/host_api.h"
#include "host/mtl_base.h"
#include "platform/windows_api.h"

class HOST_API Mtl : public MtlBase {
public:
    explicit Mtl(int subTexmapCount);
    ~Mtl() override;

    int NumSubTexmaps() const { return int(m_subTexmaps.size()); }
    // A slot outside 0..NumSubTexmaps()-1 holds nothing: setting it is
    // ignored and reading it gives null. Outside a scene the material keeps
    // only the pointer; inside one, the scene also owns the map (host_scene.h).
    void SetSubTexmap(int slot, Texmap* map);
    Texmap* GetSubTexmap(int slot) const;

    void SetActiveTexmap(MtlBase* map);
    MtlBase* GetActiveTexmap() const { return m_activeTexmap; }

    // flag is a bit mask within the flag word.
    void SetMtlFlag(int flag, BOOL on = TRUE);
    BOOL TestMtlFlag(int flag) const { return (m_flags & DWORD(flag)) != 0 ? TRUE : FALSE; }
    DWORD GetMtlFlags() const { return m_flags; }

private:
    std::vector<Texmap*> m_subTexmaps;
    MtlBase* m_activeTexmap = nullptr;
    DWORD m_flags = 0;
};
