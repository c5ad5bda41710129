// A point or direction in the host's space: three floats.
#pragma once

#include <cmath>

#include "host/host_api.h"

struct HOST_API Point3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Point3() = default;
    constexpr Point3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    // Unit-length copy. A zero vector, or one whose length is not finite
    // (a NaN or infinite component), gives the zero vector: never NaN.
    // Inline, as the rest: a mesh build normalises once per face corner.
    Point3 Normalize() const {
        const double length = DoubleLength();
        if (!(length > 0.0) || !std::isfinite(length)) {
            return Point3();
        }
        return Point3(float(x / length), float(y / length), float(z / length));
    }
    float Length() const { return float(DoubleLength()); }
    bool IsFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    Point3 operator+(const Point3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Point3 operator-(const Point3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Point3 operator-() const { return {-x, -y, -z}; }
    Point3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Point3& operator+=(const Point3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    // Exact comparison, as floats compare (so -0 equals +0 and NaN equals nothing).
    bool operator==(const Point3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Point3& o) const { return !(*this == o); }

private:
    // In double precision, so that very small or very large components
    // neither underflow to a zero length nor overflow to infinity.
    double DoubleLength() const { return std::sqrt(double(x) * x + double(y) * y + double(z) * z); }
};

inline float DotProd(const Point3& a, const Point3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Point3 CrossProd(const Point3& a, const Point3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
