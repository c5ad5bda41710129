// An affine transform as four rows of three floats: three axis rows and the
// translation row. A new matrix is all zero (no transform set); a caller that
// wants the identity asks for it with IdentityMatrix.
#pragma once

#include "host/host_api.h"
#include "host/point3.h"

class HOST_API Matrix3 {
public:
    Matrix3() = default;

    void IdentityMatrix();
    bool IsIdentity() const;

    // Rows 0 to 3; an index outside that range throws std::out_of_range.
    Point3 GetRow(int i) const;
    void SetRow(int i, const Point3& row);

    bool operator==(const Matrix3& o) const;
    bool operator!=(const Matrix3& o) const { return !(*this == o); }

private:
    Point3 m_rows[4];
};
