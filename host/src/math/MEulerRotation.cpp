#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>

#include <cfloat>
#include <cmath>
#include <ostream>

namespace
{
struct AxisSequence
{
    int first, second, third;
    bool odd; // an odd permutation of X, Y, Z mirrors the handedness
};

// Indexed by MEulerRotation::RotationOrder.
constexpr AxisSequence kSequences[] = {
    {0, 1, 2, false}, // kXYZ
    {1, 2, 0, false}, // kYZX
    {2, 0, 1, false}, // kZXY
    {0, 2, 1, true},  // kXZY
    {1, 0, 2, true},  // kYXZ
    {2, 1, 0, true},  // kZYX
};

// Rotation about one principal axis, row-vector convention.
MMatrix AxisMatrix(int axis, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const int a = (axis + 1) % 3;
    const int b = (axis + 2) % 3;
    MMatrix m;
    m.matrix[a][a] = c;
    m.matrix[a][b] = s;
    m.matrix[b][a] = -s;
    m.matrix[b][b] = c;
    return m;
}

MQuaternion AxisQuaternion(int axis, double angle)
{
    MQuaternion q(0.0, 0.0, 0.0, std::cos(0.5 * angle));
    q[static_cast<unsigned>(axis)] = std::sin(0.5 * angle);
    return q;
}
} // namespace

MMatrix MEulerRotation::asMatrix() const
{
    const AxisSequence s = kSequences[order];
    return AxisMatrix(s.first, (*this)[s.first]) * AxisMatrix(s.second, (*this)[s.second]) *
           AxisMatrix(s.third, (*this)[s.third]);
}

MQuaternion MEulerRotation::asQuaternion() const
{
    const AxisSequence s = kSequences[order];
    return AxisQuaternion(s.first, (*this)[s.first]) * AxisQuaternion(s.second, (*this)[s.second]) *
           AxisQuaternion(s.third, (*this)[s.third]);
}

MEulerRotation MEulerRotation::decompose(const MMatrix& m, RotationOrder ord)
{
    // Relabel the axes so the order reads X, Y, Z, and solve that one case on
    // the column-convention matrix C = Mᵀ. Relabelling by an odd permutation
    // is a mirror, which negates every angle.
    const AxisSequence s = kSequences[ord];
    const int idx[3] = {s.first, s.second, s.third};
    auto C = [&](int r, int c) { return m.matrix[idx[c]][idx[r]]; };

    const double sinY = -C(2, 0);
    const double cosY = std::hypot(C(0, 0), C(1, 0));
    double a1, a2, a3;
    a2 = std::atan2(sinY, cosY);
    if (cosY > 16.0 * DBL_EPSILON)
    {
        a1 = std::atan2(C(2, 1), C(2, 2));
        a3 = std::atan2(C(1, 0), C(0, 0));
    }
    else
    {
        // Gimbal lock: only the sum (or difference) of the outer angles is
        // defined; put it all in the first.
        a1 = std::atan2(-C(1, 2), C(1, 1));
        a3 = 0.0;
    }
    if (s.odd)
    {
        a1 = -a1;
        a2 = -a2;
        a3 = -a3;
    }
    MEulerRotation result(0.0, 0.0, 0.0, ord);
    result[static_cast<unsigned>(s.first)] = a1;
    result[static_cast<unsigned>(s.second)] = a2;
    result[static_cast<unsigned>(s.third)] = a3;
    return result;
}

MEulerRotation MEulerRotation::reorder(RotationOrder ord) const
{
    return decompose(asMatrix(), ord);
}

MEulerRotation MEulerRotation::inverse() const
{
    static constexpr RotationOrder kReversed[] = {kZYX, kXZY, kYXZ, kYZX, kZXY, kXYZ};
    return {-x, -y, -z, kReversed[order]};
}

MEulerRotation MEulerRotation::operator*(const MEulerRotation& o) const
{
    return decompose(asMatrix() * o.asMatrix(), order);
}

bool MEulerRotation::isEquivalent(const MEulerRotation& o, double tolerance) const
{
    return order == o.order && std::fabs(x - o.x) <= tolerance && std::fabs(y - o.y) <= tolerance &&
           std::fabs(z - o.z) <= tolerance;
}

bool MEulerRotation::isZero(double tolerance) const
{
    return std::fabs(x) <= tolerance && std::fabs(y) <= tolerance && std::fabs(z) <= tolerance;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MEulerRotation& e)
{
    return out << '[' << e.x << ", " << e.y << ", " << e.z << ", order " << static_cast<int>(e.order) << ']';
}
OPENMAYA_NAMESPACE_CLOSE
