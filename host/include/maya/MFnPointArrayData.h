#pragma once
/// \file MFnPointArrayData.h
/// Function set for MPointArray data objects.

#include <maya/MFnData.h>
#include <maya/MPointArray.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// array() is the object's own array: changes through it change the data.
class MFnPointArrayData : public MFnData
{
public:
    MFnPointArrayData() = default;
    explicit MFnPointArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kPointArrayData; }

    /// A new data object holding a copy of array; the set is attached to it.
    MObject create(const MPointArray& array, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MPointArray& array(MStatus* ReturnStatus = nullptr);
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MPointArray& newArray);
    MStatus copyTo(MPointArray& dest) const;
};

OPENMAYA_NAMESPACE_CLOSE
