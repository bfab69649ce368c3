// The data function sets of arrays, matrices, strings and named arrays.
#include "DataObjects.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnVectorArrayData.h>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

template <typename Data> Data* Attached(const MObject& object, MStatus* ReturnStatus)
{
    Data* data = Data::From(object);
    Report(ReturnStatus, data ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return data;
}
} // namespace

#define VX_ARRAY_DATA_FN(FnName, ArrayType, DataType)                                                        \
    FnName::FnName(const MObject& object, MStatus* ReturnStatus)                                             \
    {                                                                                                        \
        Report(ReturnStatus, setObject(object));                                                             \
    }                                                                                                        \
    MObject FnName::create(const ArrayType& array, MStatus* ReturnStatus)                                    \
    {                                                                                                        \
        fObject = MObject(std::make_shared<DataType>(array));                                                \
        Report(ReturnStatus, MStatus::kSuccess);                                                             \
        return fObject;                                                                                      \
    }                                                                                                        \
    MObject FnName::create(MStatus* ReturnStatus)                                                            \
    {                                                                                                        \
        return create(ArrayType(), ReturnStatus);                                                            \
    }                                                                                                        \
    ArrayType& FnName::array(MStatus* ReturnStatus)                                                          \
    {                                                                                                        \
        static thread_local ArrayType empty;                                                                 \
        DataType* data = Attached<DataType>(fObject, ReturnStatus);                                          \
        if (!data)                                                                                           \
        {                                                                                                    \
            empty.clear();                                                                                   \
            return empty;                                                                                    \
        }                                                                                                    \
        return data->value;                                                                                  \
    }                                                                                                        \
    unsigned int FnName::length(MStatus* ReturnStatus) const                                                 \
    {                                                                                                        \
        const DataType* data = Attached<DataType>(fObject, ReturnStatus);                                    \
        return data ? data->value.length() : 0u;                                                             \
    }                                                                                                        \
    MStatus FnName::set(const ArrayType& newArray)                                                           \
    {                                                                                                        \
        MStatus status;                                                                                      \
        if (DataType* data = Attached<DataType>(fObject, &status))                                           \
            data->value = newArray;                                                                          \
        return status;                                                                                       \
    }                                                                                                        \
    MStatus FnName::copyTo(ArrayType& dest) const                                                            \
    {                                                                                                        \
        MStatus status;                                                                                      \
        if (const DataType* data = Attached<DataType>(fObject, &status))                                     \
            dest = data->value;                                                                              \
        return status;                                                                                       \
    }

VX_ARRAY_DATA_FN(MFnVectorArrayData, MVectorArray, VectorArrayData)
VX_ARRAY_DATA_FN(MFnDoubleArrayData, MDoubleArray, DoubleArrayData)
VX_ARRAY_DATA_FN(MFnIntArrayData, MIntArray, IntArrayData)
VX_ARRAY_DATA_FN(MFnPointArrayData, MPointArray, PointArrayData)
#undef VX_ARRAY_DATA_FN

// MFnMatrixData ----------------------------------------------------------------

MFnMatrixData::MFnMatrixData(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnMatrixData::create(const MMatrix& matrix, MStatus* ReturnStatus)
{
    fObject = NewMatrixData(matrix);
    Report(ReturnStatus, MStatus::kSuccess);
    return fObject;
}

MObject MFnMatrixData::create(MStatus* ReturnStatus)
{
    return create(MMatrix(), ReturnStatus);
}

const MMatrix& MFnMatrixData::matrix(MStatus* ReturnStatus) const
{
    static const MMatrix identity;
    const MatrixData* data = Attached<MatrixData>(fObject, ReturnStatus);
    return data ? data->value : identity;
}

MTransformationMatrix MFnMatrixData::transformation(MStatus* ReturnStatus) const
{
    return MTransformationMatrix(matrix(ReturnStatus));
}

MStatus MFnMatrixData::set(const MMatrix& m)
{
    MStatus status;
    if (MatrixData* data = Attached<MatrixData>(fObject, &status))
        data->value = m;
    return status;
}

bool MFnMatrixData::isTransformation(MStatus* ReturnStatus) const
{
    Attached<MatrixData>(fObject, ReturnStatus);
    return false;
}

// MFnStringData ----------------------------------------------------------------

MFnStringData::MFnStringData(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnStringData::create(const MString& value, MStatus* ReturnStatus)
{
    fObject = MObject(std::make_shared<StringData>(std::string(value.asChar())));
    Report(ReturnStatus, MStatus::kSuccess);
    return fObject;
}

MObject MFnStringData::create(MStatus* ReturnStatus)
{
    return create(MString(), ReturnStatus);
}

MString MFnStringData::string(MStatus* ReturnStatus) const
{
    const StringData* data = Attached<StringData>(fObject, ReturnStatus);
    return data ? MString(data->value.c_str()) : MString();
}

MStatus MFnStringData::set(const MString& newString)
{
    MStatus status;
    if (StringData* data = Attached<StringData>(fObject, &status))
        data->value = newString.asChar();
    return status;
}

// MFnArrayAttrsData ------------------------------------------------------------

MFnArrayAttrsData::MFnArrayAttrsData(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnArrayAttrsData::create(MStatus* ReturnStatus)
{
    fObject = MObject(std::make_shared<ArrayAttrsData>());
    Report(ReturnStatus, MStatus::kSuccess);
    return fObject;
}

unsigned int MFnArrayAttrsData::count() const
{
    const ArrayAttrsData* data = ArrayAttrsData::From(fObject);
    return data ? static_cast<unsigned>(data->value.size()) : 0u;
}

MStringArray MFnArrayAttrsData::list(MStatus* ReturnStatus) const
{
    MStringArray names;
    if (const ArrayAttrsData* data = Attached<ArrayAttrsData>(fObject, ReturnStatus))
        for (const auto& entry : data->value)
            names.append(MString(entry.first.c_str()));
    return names;
}

bool MFnArrayAttrsData::checkArrayExist(const MString attrName, Type& arrayType, MStatus* ReturnStatus)
{
    arrayType = kInvalid;
    const ArrayAttrsData* data = Attached<ArrayAttrsData>(fObject, ReturnStatus);
    if (!data)
        return false;
    const auto it = data->value.find(attrName.asChar());
    if (it == data->value.end())
        return false;
    static constexpr Type kTypes[] = {kVectorArray, kDoubleArray, kIntArray};
    arrayType = kTypes[it->second.index()];
    return true;
}

namespace
{
template <typename Array> Array* NamedArray(const MObject& object, const MString& name, MStatus* ReturnStatus)
{
    ArrayAttrsData* data = Attached<ArrayAttrsData>(object, ReturnStatus);
    if (!data)
        return nullptr;
    auto [it, made] = data->value.try_emplace(name.asChar(), Array());
    Array* array = std::get_if<Array>(&it->second);
    if (!array)
        Report(ReturnStatus,
               MStatus(MStatus::kInvalidParameter, MString("the array \"") + name + "\" holds another type"));
    return array;
}
} // namespace

MVectorArray* MFnArrayAttrsData::vectorArrayRef(const MString& attrName, MStatus* ReturnStatus)
{
    return NamedArray<MVectorArray>(fObject, attrName, ReturnStatus);
}
MDoubleArray* MFnArrayAttrsData::doubleArrayRef(const MString& attrName, MStatus* ReturnStatus)
{
    return NamedArray<MDoubleArray>(fObject, attrName, ReturnStatus);
}
MIntArray* MFnArrayAttrsData::intArrayRef(const MString& attrName, MStatus* ReturnStatus)
{
    return NamedArray<MIntArray>(fObject, attrName, ReturnStatus);
}
MVectorArray MFnArrayAttrsData::vectorArray(const MString& attrName, MStatus* ReturnStatus)
{
    const MVectorArray* array = vectorArrayRef(attrName, ReturnStatus);
    return array ? *array : MVectorArray();
}
MDoubleArray MFnArrayAttrsData::doubleArray(const MString& attrName, MStatus* ReturnStatus)
{
    const MDoubleArray* array = doubleArrayRef(attrName, ReturnStatus);
    return array ? *array : MDoubleArray();
}
MIntArray MFnArrayAttrsData::intArray(const MString& attrName, MStatus* ReturnStatus)
{
    const MIntArray* array = intArrayRef(attrName, ReturnStatus);
    return array ? *array : MIntArray();
}

MStatus MFnArrayAttrsData::clear()
{
    MStatus status;
    if (ArrayAttrsData* data = Attached<ArrayAttrsData>(fObject, &status))
        data->value.clear();
    return status;
}
