// A const array of numbers hands out copies in Maya, not references.
#include <maya/MIntArray.h>
const int* First(const MIntArray& values) { return &values[0]; }
