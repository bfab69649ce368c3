#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <cmath>
#include <ostream>

MMatrix MMatrix::operator*(const MMatrix& right) const
{
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] = matrix[r][0] * right.matrix[0][c] + matrix[r][1] * right.matrix[1][c] +
                                  matrix[r][2] * right.matrix[2][c] + matrix[r][3] * right.matrix[3][c];
    return result;
}

MMatrix MMatrix::operator*(double s) const
{
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] = matrix[r][c] * s;
    return result;
}

MMatrix MMatrix::operator+(const MMatrix& right) const
{
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] = matrix[r][c] + right.matrix[r][c];
    return result;
}

MMatrix MMatrix::operator-(const MMatrix& right) const
{
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] = matrix[r][c] - right.matrix[r][c];
    return result;
}

bool MMatrix::operator==(const MMatrix& other) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (matrix[r][c] != other.matrix[r][c])
                return false;
    return true;
}

bool MMatrix::isEquivalent(const MMatrix& other, double tolerance) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(matrix[r][c] - other.matrix[r][c]) <= tolerance))
                return false;
    return true;
}

namespace
{
// The 2x2 minors of the top two rows (s) and of the bottom two rows (c),
// from which both the determinant and the cofactors follow (Laplace
// expansion), sharing the work between all sixteen cofactors.
struct Minors
{
    double s0, s1, s2, s3, s4, s5;
    double c0, c1, c2, c3, c4, c5;

    explicit Minors(const double (&m)[4][4])
        : s0(m[0][0] * m[1][1] - m[1][0] * m[0][1]), s1(m[0][0] * m[1][2] - m[1][0] * m[0][2]),
          s2(m[0][0] * m[1][3] - m[1][0] * m[0][3]), s3(m[0][1] * m[1][2] - m[1][1] * m[0][2]),
          s4(m[0][1] * m[1][3] - m[1][1] * m[0][3]), s5(m[0][2] * m[1][3] - m[1][2] * m[0][3]),
          c0(m[2][0] * m[3][1] - m[3][0] * m[2][1]), c1(m[2][0] * m[3][2] - m[3][0] * m[2][2]),
          c2(m[2][0] * m[3][3] - m[3][0] * m[2][3]), c3(m[2][1] * m[3][2] - m[3][1] * m[2][2]),
          c4(m[2][1] * m[3][3] - m[3][1] * m[2][3]), c5(m[2][2] * m[3][3] - m[3][2] * m[2][3])
    {
    }
};

} // namespace

MMatrix MMatrix::transpose() const
{
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] = matrix[c][r];
    return result;
}

MMatrix MMatrix::adjoint() const
{
    const double(&m)[4][4] = matrix;
    const auto [s0, s1, s2, s3, s4, s5, c0, c1, c2, c3, c4, c5] = Minors(m);

    MMatrix a;
    a.matrix[0][0] = m[1][1] * c5 - m[1][2] * c4 + m[1][3] * c3;
    a.matrix[0][1] = -m[0][1] * c5 + m[0][2] * c4 - m[0][3] * c3;
    a.matrix[0][2] = m[3][1] * s5 - m[3][2] * s4 + m[3][3] * s3;
    a.matrix[0][3] = -m[2][1] * s5 + m[2][2] * s4 - m[2][3] * s3;
    a.matrix[1][0] = -m[1][0] * c5 + m[1][2] * c2 - m[1][3] * c1;
    a.matrix[1][1] = m[0][0] * c5 - m[0][2] * c2 + m[0][3] * c1;
    a.matrix[1][2] = -m[3][0] * s5 + m[3][2] * s2 - m[3][3] * s1;
    a.matrix[1][3] = m[2][0] * s5 - m[2][2] * s2 + m[2][3] * s1;
    a.matrix[2][0] = m[1][0] * c4 - m[1][1] * c2 + m[1][3] * c0;
    a.matrix[2][1] = -m[0][0] * c4 + m[0][1] * c2 - m[0][3] * c0;
    a.matrix[2][2] = m[3][0] * s4 - m[3][1] * s2 + m[3][3] * s0;
    a.matrix[2][3] = -m[2][0] * s4 + m[2][1] * s2 - m[2][3] * s0;
    a.matrix[3][0] = -m[1][0] * c3 + m[1][1] * c1 - m[1][2] * c0;
    a.matrix[3][1] = m[0][0] * c3 - m[0][1] * c1 + m[0][2] * c0;
    a.matrix[3][2] = -m[3][0] * s3 + m[3][1] * s1 - m[3][2] * s0;
    a.matrix[3][3] = m[2][0] * s3 - m[2][1] * s1 + m[2][2] * s0;
    return a;
}

double MMatrix::det4x4() const
{
    const auto [s0, s1, s2, s3, s4, s5, c0, c1, c2, c3, c4, c5] = Minors(matrix);
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

double MMatrix::det3x3() const
{
    const double(&m)[4][4] = matrix;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

MMatrix MMatrix::inverse() const
{
    const double det = det4x4();
    if (det == 0.0)
        return MMatrix();
    return adjoint() * (1.0 / det);
}

MMatrix MMatrix::homogenize() const
{
    const double w = matrix[3][3];
    if (w == 0.0)
        return *this;
    MMatrix result = *this;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] /= w;
    return result;
}

bool MMatrix::isSingular() const
{
    return std::fabs(det4x4()) <= MMatrix_kTol;
}

MMatrix& MMatrix::setToIdentity()
{
    return *this = MMatrix();
}

MMatrix& MMatrix::setToProduct(const MMatrix& left, const MMatrix& right)
{
    return *this = left * right;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MMatrix& m)
{
    out << '[';
    for (int r = 0; r < 4; ++r)
    {
        out << (r ? ", [" : "[");
        for (int c = 0; c < 4; ++c)
            out << (c ? ", " : "") << m.matrix[r][c];
        out << ']';
    }
    return out << ']';
}
OPENMAYA_NAMESPACE_CLOSE

// Vector and point products live here, beside the matrix they need.

MVector MVector::operator*(const MMatrix& m) const
{
    const double(&a)[4][4] = m.matrix;
    return {x * a[0][0] + y * a[1][0] + z * a[2][0], x * a[0][1] + y * a[1][1] + z * a[2][1],
            x * a[0][2] + y * a[1][2] + z * a[2][2]};
}

MVector& MVector::operator*=(const MMatrix& m)
{
    return *this = *this * m;
}

MVector MVector::transformAsNormal(const MMatrix& m) const
{
    // Normals transform by the inverse transpose, so v × (M⁻¹)ᵀ; only the
    // upper 3×3 matters, and translation cannot affect the 3×3 block of the
    // inverse of an affine matrix.
    return *this * m.inverse().transpose();
}

MPoint MPoint::operator*(const MMatrix& m) const
{
    const double(&a)[4][4] = m.matrix;
    return {x * a[0][0] + y * a[1][0] + z * a[2][0] + w * a[3][0],
            x * a[0][1] + y * a[1][1] + z * a[2][1] + w * a[3][1],
            x * a[0][2] + y * a[1][2] + z * a[2][2] + w * a[3][2],
            x * a[0][3] + y * a[1][3] + z * a[2][3] + w * a[3][3]};
}

MPoint& MPoint::operator*=(const MMatrix& m)
{
    return *this = *this * m;
}
