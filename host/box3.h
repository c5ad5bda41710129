// An axis-aligned box; empty until a point is added.
#pragma once

#include <limits>

#include "host/point3.h"

struct Box3 {
    Point3 pmin{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                std::numeric_limits<float>::max()};
    Point3 pmax{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                -std::numeric_limits<float>::max()};

    void Init() { *this = Box3(); }
    bool IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }
    void operator+=(const Point3& p) {
        pmin = Point3(p.x < pmin.x ? p.x : pmin.x, p.y < pmin.y ? p.y : pmin.y, p.z < pmin.z ? p.z : pmin.z);
        pmax = Point3(p.x > pmax.x ? p.x : pmax.x, p.y > pmax.y ? p.y : pmax.y, p.z > pmax.z ? p.z : pmax.z);
    }
};
