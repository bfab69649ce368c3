#include <maya/MVector.h>

#include <algorithm>
#include <ostream>

double MVector::angle(const MVector& o) const
{
    // atan2 of |a×b| and a·b stays accurate near 0 and pi, where acos of
    // the normalised dot product loses half its digits.
    const double cross = (*this ^ o).length();
    const double dot = *this * o;
    if (cross == 0.0 && dot == 0.0)
        return 0.0;
    return std::atan2(cross, dot);
}

bool MVector::isParallel(const MVector& o, double tolerance) const
{
    const double la = length();
    const double lb = o.length();
    if (la == 0.0 || lb == 0.0)
        return true;
    return (*this ^ o).length() / (la * lb) <= tolerance;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MVector& v)
{
    return out << '[' << v.x << ", " << v.y << ", " << v.z << ']';
}
OPENMAYA_NAMESPACE_CLOSE
