#include "host/matrix3.h"

#include <stdexcept>

void Matrix3::IdentityMatrix() {
    m_rows[0] = Point3(1.0f, 0.0f, 0.0f);
    m_rows[1] = Point3(0.0f, 1.0f, 0.0f);
    m_rows[2] = Point3(0.0f, 0.0f, 1.0f);
    m_rows[3] = Point3(0.0f, 0.0f, 0.0f);
}

bool Matrix3::IsIdentity() const {
    Matrix3 identity;
    identity.IdentityMatrix();
    return *this == identity;
}

Point3 Matrix3::GetRow(int i) const {
    if (i < 0 || i > 3) {
        throw std::out_of_range("Matrix3 row");
    }
    return m_rows[i];
}

void Matrix3::SetRow(int i, const Point3& row) {
    if (i < 0 || i > 3) {
        throw std::out_of_range("Matrix3 row");
    }
    m_rows[i] = row;
}

bool Matrix3::operator==(const Matrix3& o) const {
    for (int i = 0; i < 4; ++i) {
        if (m_rows[i] != o.m_rows[i]) {
            return false;
        }
    }
    return true;
}
