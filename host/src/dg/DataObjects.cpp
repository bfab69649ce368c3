#include "DataObjects.h"

#include <maya/MFnData.h>

namespace vxhost
{
MObject CloneData(const MObject& data)
{
    if (!data.HostImpl())
        return data;
    std::shared_ptr<HostObject> copy = data.HostImpl()->Clone();
    return copy ? MObject(std::move(copy)) : data;
}

MObject NewMatrixData(const MMatrix& matrix)
{
    return MObject(std::make_shared<MatrixData>(matrix));
}

MObject EmptyData(int dataType)
{
    switch (dataType)
    {
    case MFnData::kVectorArray:
        return MObject(std::make_shared<VectorArrayData>());
    case MFnData::kDoubleArray:
        return MObject(std::make_shared<DoubleArrayData>());
    case MFnData::kIntArray:
        return MObject(std::make_shared<IntArrayData>());
    case MFnData::kPointArray:
        return MObject(std::make_shared<PointArrayData>());
    case MFnData::kMatrix:
        return NewMatrixData(MMatrix());
    case MFnData::kString:
        return MObject(std::make_shared<StringData>());
    case MFnData::kDynArrayAttrs:
        return MObject(std::make_shared<ArrayAttrsData>());
    default:
        return MObject();
    }
}

MMatrix MatrixOf(const MObject& data)
{
    const MatrixData* m = MatrixData::From(data);
    return m ? m->value : MMatrix();
}
} // namespace vxhost
