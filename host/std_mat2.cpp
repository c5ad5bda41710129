#include "host/std_mat2.h"

#include "host/scene_ownership.h"

StdMat2::StdMat2() : Mtl(kStdMatSlotCount) {}
StdMat2::~StdMat2() = default;

StdMat2* NewDefaultStdMat() {
    auto material = std::make_unique<StdMat2>();
    StdMat2* made = material.get();
    zenthor::AdoptByCurrentScene(std::move(material));
    return made;
}
