// Maya's MStatus takes no message.
#include <maya/MStatus.h>
MStatus Refuse() { return MStatus(MS::kFailure, "refused"); }
