#include <maya/MPoint.h>

#include <ostream>

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MPoint& p)
{
    return out << '[' << p.x << ", " << p.y << ", " << p.z << ", " << p.w << ']';
}
OPENMAYA_NAMESPACE_CLOSE
