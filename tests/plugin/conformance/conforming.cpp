// Uses the API as Maya 2022 offers it: must compile.
#include <maya/MApiNamespace.h>
#include <maya/MDoubleArray.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>

MStatus Sum(MDoubleArray& values, double& outSum)
{
    outSum = 0.0;
    for (unsigned int i = 0; i < values.length(); ++i)
        outSum += values[i];
    const double* first = values.length() > 0 ? &values[0] : nullptr;
    return first != nullptr || values.length() == 0 ? MS::kSuccess : MS::kFailure;
}
