// A global declaration names a second class: the name becomes ambiguous.
class MPlug;
#include <maya/MPlug.h>
bool IsNull(const MPlug& plug) { return plug.isNull(); }
