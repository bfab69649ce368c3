#include <maya/MFnMeshData.h>

#include "MeshData.h"

MFnMeshData::MFnMeshData(const MObject& object, MStatus* ReturnStatus)
{
    const MStatus status = setObject(object);
    if (ReturnStatus)
        *ReturnStatus = status;
}

MObject MFnMeshData::create(MStatus* ReturnStatus)
{
    fObject = vxhost::MeshData::New();
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fObject;
}
