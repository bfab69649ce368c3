// Maya has no such header: the class comes with MFnMesh.h.
#include <maya/MMeshIsectAccelParams.h>
