#include <maya/MFnNurbsCurveData.h>

#include "NurbsCurveData.h"

MFnNurbsCurveData::MFnNurbsCurveData(const MObject& object, MStatus* ReturnStatus)
{
    const MStatus status = setObject(object);
    if (ReturnStatus)
        *ReturnStatus = status;
}

MObject MFnNurbsCurveData::create(MStatus* ReturnStatus)
{
    fObject = MObject(std::make_shared<vxhost::NurbsCurveData>());
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fObject;
}
