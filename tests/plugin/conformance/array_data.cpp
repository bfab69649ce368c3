// MDoubleArray has no data() in Maya.
#include <maya/MDoubleArray.h>
const double* First(const MDoubleArray& values) { return values.data(); }
