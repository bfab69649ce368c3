#pragma once
/// \file MMatrix.h
/// Maya's 4×4 double-precision matrix.

#include <maya/MStatus.h>

#include <iosfwd>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFloatMatrix;

/// Default tolerance of MMatrix::isEquivalent.
#define MMatrix_kTol 1.0e-10

/// A 4×4 transformation matrix in Maya's row-vector convention: a point
/// transforms as p × M, so translation lives in row 3 (matrix[3][0..2]) and
/// A * B applies A first, then B.
class MMatrix
{
public:
    /// The identity.
    constexpr MMatrix() = default;
    constexpr explicit MMatrix(const double m[4][4])
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                matrix[r][c] = m[r][c];
    }
    constexpr explicit MMatrix(const float m[4][4])
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                matrix[r][c] = m[r][c];
    }

    /// Element at row r, column c (no range check).
    double& operator()(unsigned int r, unsigned int c) { return matrix[r][c]; }
    double operator()(unsigned int r, unsigned int c) const { return matrix[r][c]; }
    /// Row r, indexable by column.
    double* operator[](unsigned int r) { return matrix[r]; }
    const double* operator[](unsigned int r) const { return matrix[r]; }

    MStatus get(double dest[4][4]) const
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                dest[r][c] = matrix[r][c];
        return MStatus::kSuccess;
    }

    /// Matrix product: this transform, then `right`.
    MMatrix operator*(const MMatrix& right) const;
    MMatrix& operator*=(const MMatrix& right) { return *this = *this * right; }
    MMatrix operator*(double s) const;
    MMatrix& operator*=(double s) { return *this = *this * s; }
    MMatrix operator+(const MMatrix& right) const;
    MMatrix& operator+=(const MMatrix& right) { return *this = *this + right; }
    MMatrix operator-(const MMatrix& right) const;
    MMatrix& operator-=(const MMatrix& right) { return *this = *this - right; }

    /// Exact comparison of all sixteen elements.
    bool operator==(const MMatrix& other) const;
    bool operator!=(const MMatrix& other) const { return !(*this == other); }
    /// True if every element differs by at most `tolerance`.
    bool isEquivalent(const MMatrix& other, double tolerance = MMatrix_kTol) const;

    /// The inverse. A singular matrix (determinant exactly 0) has none; the
    /// identity is returned for it, so test isSingular() first when that
    /// matters.
    MMatrix inverse() const;
    MMatrix transpose() const;
    /// The adjugate (transposed cofactor matrix): inverse() × det4x4().
    MMatrix adjoint() const;
    /// Divides every element by matrix[3][3] (no-op when it is 0).
    MMatrix homogenize() const;
    double det4x4() const;
    /// Determinant of the upper-left 3×3 block: the volume scale of the
    /// transform, negative when it mirrors.
    double det3x3() const;
    /// True when |det4x4()| <= MMatrix_kTol.
    bool isSingular() const;

    MMatrix& setToIdentity();
    MMatrix& setToProduct(const MMatrix& left, const MMatrix& right);

    static const MMatrix identity;

    double matrix[4][4] = {
        {1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}};
};

inline MMatrix operator*(double s, const MMatrix& m)
{
    return m * s;
}
std::ostream& operator<<(std::ostream& out, const MMatrix& m);

inline const MMatrix MMatrix::identity{};

OPENMAYA_NAMESPACE_CLOSE
