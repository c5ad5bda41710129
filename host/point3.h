// A point or direction in the host's space: three floats.
#pragma once

#include "host/host_api.h"

struct HOST_API Point3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Point3() = default;
    constexpr Point3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    // Unit-length copy. A zero vector, or one whose length is not finite
    // (a NaN or infinite component), gives the zero vector: never NaN.
    Point3 Normalize() const;
    float Length() const;
    bool IsFinite() const;

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
};

inline float DotProd(const Point3& a, const Point3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Point3 CrossProd(const Point3& a, const Point3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
