#include "host/point3.h"

#include <cmath>

// Lengths are taken in double precision so that very small or very large
// components neither underflow to a zero length nor overflow to infinity.
static double LengthOf(const Point3& p) {
    return std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z);
}

float Point3::Length() const {
    return float(LengthOf(*this));
}

bool Point3::IsFinite() const {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

Point3 Point3::Normalize() const {
    const double length = LengthOf(*this);
    if (!(length > 0.0) || !std::isfinite(length)) {
        return Point3();
    }
    return Point3(float(x / length), float(y / length), float(z / length));
}
