#pragma once
/// \file MFnVectorArrayData.h
/// Function set for MVectorArray data objects.

#include <maya/MFnData.h>
#include <maya/MVectorArray.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// array() is the object's own array: changes through it change the data.
class MFnVectorArrayData : public MFnData
{
public:
    MFnVectorArrayData() = default;
    explicit MFnVectorArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kVectorArrayData; }

    /// A new data object holding a copy of array; the set is attached to it.
    MObject create(const MVectorArray& array, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MVectorArray& array(MStatus* ReturnStatus = nullptr);
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MVectorArray& newArray);
    MStatus copyTo(MVectorArray& dest) const;
};

OPENMAYA_NAMESPACE_CLOSE
