#pragma once
/// \file MFnDoubleArrayData.h
/// Function set for MDoubleArray data objects.

#include <maya/MDoubleArray.h>
#include <maya/MFnData.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// array() is the object's own array: changes through it change the data.
class MFnDoubleArrayData : public MFnData
{
public:
    MFnDoubleArrayData() = default;
    explicit MFnDoubleArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kDoubleArrayData; }

    /// A new data object holding a copy of array; the set is attached to it.
    MObject create(const MDoubleArray& array, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MDoubleArray& array(MStatus* ReturnStatus = nullptr);
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MDoubleArray& newArray);
    MStatus copyTo(MDoubleArray& dest) const;
};

OPENMAYA_NAMESPACE_CLOSE
