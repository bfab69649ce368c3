#pragma once
/// \file MFnEnumAttribute.h
/// Enumerated attributes: a short value with a name per field.

#include <maya/MFnAttribute.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnEnumAttribute : public MFnAttribute
{
public:
    MFnEnumAttribute() = default;
    explicit MFnEnumAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kEnumAttribute; }

    MObject create(const MString& fullName, const MString& briefName, short defaultValue = 0,
                   MStatus* ReturnStatus = nullptr);
    /// Fails with kInvalidParameter when the name or the value is already a
    /// field.
    MStatus addField(const MString& fieldString, short index);
    MString fieldName(short index, MStatus* ReturnStatus = nullptr) const;
    short fieldIndex(const MString& fieldString, MStatus* ReturnStatus = nullptr) const;
    MStatus getMin(short& minValue) const;
    MStatus getMax(short& maxValue) const;
    MStatus setDefault(short index);
    MStatus setDefault(const MString& fieldString);
    MStatus getDefault(short& index) const;
};

OPENMAYA_NAMESPACE_CLOSE
