#include "host/bitmap_tex.h"

#include "host/scene_ownership.h"

BitmapTex::BitmapTex() = default;
BitmapTex::~BitmapTex() = default;

void BitmapTex::SetMapName(const char* name, bool) {
    m_mapName = name != nullptr ? name : "";
}

BitmapTex* NewDefaultBitmapTex() {
    auto texture = std::make_unique<BitmapTex>();
    BitmapTex* made = texture.get();
    zenthor::AdoptByCurrentScene(std::move(texture));
    return made;
}
