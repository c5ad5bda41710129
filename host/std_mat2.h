// The host's standard material and its slot numbers.
#pragma once

#include "host/host_api.h"
#include "host/mtl.h"

// Sub-texture-map slots of the standard material.
constexpr int kStdMatSlotCount = 12;
constexpr int kDiffuseSlot = 1;
constexpr int kOpacitySlot = 6;
// Material flag: the active texture map is shown in the viewports.
constexpr int kMtlShowTextureFlag = 8;

class HOST_API StdMat2 : public Mtl {
public:
    StdMat2();
    ~StdMat2() override;
};

// A new standard material: empty name, every slot empty, no active map,
// flag word 0. Owned as a TriObject from CreateNewTriObject is.
HOST_API StdMat2* NewDefaultStdMat();
