#include <maya/MPoint.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const MPoint& p)
{
    return out << '[' << p.x << ", " << p.y << ", " << p.z << ", " << p.w << ']';
}
