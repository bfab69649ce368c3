#pragma once
/// \file DataObjects.h
/// The data objects of the array, matrix, string and array-attributes data
/// function sets, and the copying that plugs do.

#include <vxhost/HostObject.h>

#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPointArray.h>
#include <maya/MString.h>
#include <maya/MVectorArray.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <variant>

namespace vxhost
{
/// A data object holding one value of type T.
template <typename T, MFn::Type kType> class ValueData final : public HostObject
{
public:
    ValueData() = default;
    explicit ValueData(T v) : value(std::move(v)) {}

    MFn::Type ApiType() const override { return kType; }
    bool HasFn(MFn::Type type) const override
    {
        return type == kType || type == MFn::kData || type == MFn::kBase;
    }
    std::shared_ptr<HostObject> Clone() const override { return std::make_shared<ValueData>(value); }

    static ValueData* From(const MObject& object)
    {
        return dynamic_cast<ValueData*>(object.HostImpl().get());
    }

    T value{};
};

using VectorArrayData = ValueData<MVectorArray, MFn::kVectorArrayData>;
using DoubleArrayData = ValueData<MDoubleArray, MFn::kDoubleArrayData>;
using IntArrayData = ValueData<MIntArray, MFn::kIntArrayData>;
using PointArrayData = ValueData<MPointArray, MFn::kPointArrayData>;
using MatrixData = ValueData<MMatrix, MFn::kMatrixData>;
using StringData = ValueData<std::string, MFn::kStringData>;

/// Named per-particle arrays.
using ArrayAttrsArray = std::variant<MVectorArray, MDoubleArray, MIntArray>;
using ArrayAttrsData = ValueData<std::map<std::string, ArrayAttrsArray>, MFn::kDynArrayAttrsData>;

/// An independent copy of a data object (the object itself when it is not
/// data, or null).
MObject CloneData(const MObject& data);
/// Whether two data objects hold the same value: the same object, both
/// null, or array, matrix and string data of the same contents, bit for
/// bit. Other data (geometry) is the same only as the same object.
bool SameData(const MObject& a, const MObject& b);
/// Roughly how many bytes the data object holds, counting its arrays: what
/// keeping a copy of it costs.
std::size_t DataBytes(const MObject& data);
MObject NewMatrixData(const MMatrix& matrix);
/// The value of a typed attribute that was never set: an empty object for
/// arrays, strings and matrices (the identity), as Maya's data block hands
/// them out; null for geometry, which has no empty form.
MObject EmptyData(int dataType);
/// The matrix of matrix data; the identity for anything else.
MMatrix MatrixOf(const MObject& data);
} // namespace vxhost
