// The one place where model axes become host axes.
#pragma once

#include "host/point3.h"

namespace zenthor {

// The model is y-up, the host z-up: a model (x, y, z) is the host's (x, z, y).
// Exchanging two axes mirrors the space, which is why the mesh builder also reverses
// the corner order of every triangle, so faces keep facing outwards.
inline Point3 ModelToHostAxes(const float (&v)[3]) {
    return Point3(v[0], v[2], v[1]);
}

// Texture space: the file's v grows downwards, the host's upwards.
inline Point3 ModelToHostTextureVertex(const float (&uv)[2]) {
    return Point3(uv[0], 1.0f - uv[1], 0.0f);
}

}  // namespace zenthor
