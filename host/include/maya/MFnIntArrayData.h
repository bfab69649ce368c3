#pragma once
/// \file MFnIntArrayData.h
/// Function set for MIntArray data objects.

#include <maya/MFnData.h>
#include <maya/MIntArray.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// array() is the object's own array: changes through it change the data.
class MFnIntArrayData : public MFnData
{
public:
    MFnIntArrayData() = default;
    explicit MFnIntArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kIntArrayData; }

    /// A new data object holding a copy of array; the set is attached to it.
    MObject create(const MIntArray& array, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MIntArray& array(MStatus* ReturnStatus = nullptr);
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MIntArray& newArray);
    MStatus copyTo(MIntArray& dest) const;
};

OPENMAYA_NAMESPACE_CLOSE
