#pragma once
/// \file MFnStringData.h
/// Function set for string data objects.

#include <maya/MFnData.h>
#include <maya/MString.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnStringData : public MFnData
{
public:
    MFnStringData() = default;
    explicit MFnStringData(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kStringData; }

    MObject create(const MString& value, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MString string(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MString& newString);
};

OPENMAYA_NAMESPACE_CLOSE
