#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace
{
MQuaternion FromAxisAngle(const MVector& axis, double angle)
{
    const double len = axis.length();
    if (len == 0.0)
        return MQuaternion();
    const double s = std::sin(0.5 * angle) / len;
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(0.5 * angle)};
}

// A unit vector perpendicular to the unit vector `v`.
MVector AnyPerpendicular(const MVector& v)
{
    // Cross with the axis least aligned with v, so the result is never tiny.
    const MVector helper = std::fabs(v.x) < 0.9 ? MVector::xAxis : MVector::yAxis;
    return (helper ^ v).normal();
}
} // namespace

MQuaternion::MQuaternion(const MVector& a, const MVector& b) : MQuaternion(a, b, 1.0)
{
}

MQuaternion::MQuaternion(const MVector& a, const MVector& b, double angleFactor)
{
    const MVector na = a.normal();
    const MVector nb = b.normal();
    if (na.length() == 0.0 || nb.length() == 0.0)
        return;
    MVector axis = na ^ nb;
    const double angle = std::atan2(axis.length(), na * nb);
    if (axis.length() < 1e-12)
    {
        if (na * nb > 0.0)
            return;
        axis = AnyPerpendicular(na);
    }
    *this = FromAxisAngle(axis, angle * angleFactor);
}

MQuaternion::MQuaternion(double angle, const MVector& axis)
{
    *this = FromAxisAngle(axis, angle);
}

MQuaternion& MQuaternion::operator=(const MMatrix& m)
{
    // Shepperd's method on the column-convention rotation R = Mᵀ, branching
    // on the largest diagonal term so the square root is never of a small
    // number.
    auto R = [&m](int r, int c) { return m.matrix[c][r]; };
    const double trace = R(0, 0) + R(1, 1) + R(2, 2);
    if (trace > 0.0)
    {
        const double s = 0.5 / std::sqrt(trace + 1.0);
        w = 0.25 / s;
        x = (R(2, 1) - R(1, 2)) * s;
        y = (R(0, 2) - R(2, 0)) * s;
        z = (R(1, 0) - R(0, 1)) * s;
    }
    else if (R(0, 0) > R(1, 1) && R(0, 0) > R(2, 2))
    {
        const double s = 2.0 * std::sqrt(1.0 + R(0, 0) - R(1, 1) - R(2, 2));
        w = (R(2, 1) - R(1, 2)) / s;
        x = 0.25 * s;
        y = (R(0, 1) + R(1, 0)) / s;
        z = (R(0, 2) + R(2, 0)) / s;
    }
    else if (R(1, 1) > R(2, 2))
    {
        const double s = 2.0 * std::sqrt(1.0 + R(1, 1) - R(0, 0) - R(2, 2));
        w = (R(0, 2) - R(2, 0)) / s;
        x = (R(0, 1) + R(1, 0)) / s;
        y = 0.25 * s;
        z = (R(1, 2) + R(2, 1)) / s;
    }
    else
    {
        const double s = 2.0 * std::sqrt(1.0 + R(2, 2) - R(0, 0) - R(1, 1));
        w = (R(1, 0) - R(0, 1)) / s;
        x = (R(0, 2) + R(2, 0)) / s;
        y = (R(1, 2) + R(2, 1)) / s;
        z = 0.25 * s;
    }
    return normalizeIt();
}

MQuaternion& MQuaternion::operator=(const MEulerRotation& e)
{
    return *this = e.asQuaternion();
}

MMatrix MQuaternion::asMatrix() const
{
    // The transpose of the familiar column-vector rotation matrix.
    const double xx = x * x, yy = y * y, zz = z * z;
    const double xy = x * y, xz = x * z, yz = y * z;
    const double wx = w * x, wy = w * y, wz = w * z;
    MMatrix m;
    m.matrix[0][0] = 1.0 - 2.0 * (yy + zz);
    m.matrix[0][1] = 2.0 * (xy + wz);
    m.matrix[0][2] = 2.0 * (xz - wy);
    m.matrix[1][0] = 2.0 * (xy - wz);
    m.matrix[1][1] = 1.0 - 2.0 * (xx + zz);
    m.matrix[1][2] = 2.0 * (yz + wx);
    m.matrix[2][0] = 2.0 * (xz + wy);
    m.matrix[2][1] = 2.0 * (yz - wx);
    m.matrix[2][2] = 1.0 - 2.0 * (xx + yy);
    return m;
}

MEulerRotation MQuaternion::asEulerRotation() const
{
    return MEulerRotation::decompose(asMatrix(), MEulerRotation::kXYZ);
}

MQuaternion& MQuaternion::setAxisAngle(const MVector& axis, double angle)
{
    return *this = FromAxisAngle(axis, angle);
}

bool MQuaternion::getAxisAngle(MVector& axis, double& angle) const
{
    const double s = std::sqrt(x * x + y * y + z * z);
    if (s == 0.0)
    {
        axis = MVector::xAxis;
        angle = 0.0;
        return false;
    }
    axis = MVector(x / s, y / s, z / s);
    angle = 2.0 * std::atan2(s, w);
    return true;
}

MQuaternion& MQuaternion::setToXAxis(double angle)
{
    return *this = FromAxisAngle(MVector::xAxis, angle);
}
MQuaternion& MQuaternion::setToYAxis(double angle)
{
    return *this = FromAxisAngle(MVector::yAxis, angle);
}
MQuaternion& MQuaternion::setToZAxis(double angle)
{
    return *this = FromAxisAngle(MVector::zAxis, angle);
}

MQuaternion MQuaternion::operator*(const MQuaternion& o) const
{
    // Hamilton product o ⊗ this: in Hamilton's order the right factor
    // applies first, and here `this` applies first.
    const MQuaternion& p = o;
    const MQuaternion& q = *this;
    return {p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
            p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z};
}

bool MQuaternion::isEquivalent(const MQuaternion& o, double tolerance) const
{
    const double dx = x - o.x, dy = y - o.y, dz = z - o.z, dw = w - o.w;
    return std::sqrt(dx * dx + dy * dy + dz * dz + dw * dw) <= tolerance;
}

MQuaternion MQuaternion::normal() const
{
    const double len = std::sqrt(x * x + y * y + z * z + w * w);
    if (len == 0.0)
        return *this;
    return {x / len, y / len, z / len, w / len};
}

MQuaternion MQuaternion::inverse() const
{
    const double norm2 = x * x + y * y + z * z + w * w;
    if (norm2 == 0.0)
        return *this;
    return {-x / norm2, -y / norm2, -z / norm2, w / norm2};
}

OPENMAYA_MAJOR_NAMESPACE_OPEN
MQuaternion slerp(const MQuaternion& p, const MQuaternion& q, double t)
{
    double cosTheta = p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
    // q and -q are the same rotation; pick the one nearer p for the short way.
    MQuaternion target = q;
    if (cosTheta < 0.0)
    {
        cosTheta = -cosTheta;
        target = -q;
    }
    double a = 1.0 - t;
    double b = t;
    // Nearly identical: sin(theta) vanishes, and linear blending is exact
    // to rounding.
    if (cosTheta < 1.0 - 1e-9)
    {
        const double theta = std::acos(std::min(cosTheta, 1.0));
        const double sinTheta = std::sin(theta);
        a = std::sin((1.0 - t) * theta) / sinTheta;
        b = std::sin(t * theta) / sinTheta;
    }
    return MQuaternion(p.x * a + target.x * b, p.y * a + target.y * b, p.z * a + target.z * b,
                       p.w * a + target.w * b)
        .normal();
}
OPENMAYA_NAMESPACE_CLOSE

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MQuaternion& q)
{
    return out << '[' << q.x << ", " << q.y << ", " << q.z << ", " << q.w << ']';
}
OPENMAYA_NAMESPACE_CLOSE

// MVector's rotations, which need the quaternion.

MVector MVector::rotateBy(const MQuaternion& q) const
{
    // v' = q v q* for a unit q, in the form v + w t + u × t with t = 2 u × v.
    const MVector u(q.x, q.y, q.z);
    const MVector t = (u ^ *this) * 2.0;
    return *this + t * q.w + (u ^ t);
}

MVector MVector::rotateBy(Axis axis, double angle) const
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    switch (axis)
    {
    case kXaxis:
        return {x, y * c - z * s, y * s + z * c};
    case kYaxis:
        return {x * c + z * s, y, z * c - x * s};
    case kZaxis:
        return {x * c - y * s, x * s + y * c, z};
    case kWaxis:
        break;
    }
    return *this;
}

MQuaternion MVector::rotateTo(const MVector& o) const
{
    return MQuaternion(*this, o);
}
