#pragma once
/// \file MFnTypedAttribute.h
/// Attributes that carry a data object: curves, meshes, arrays, strings.

#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnTypedAttribute : public MFnAttribute
{
public:
    MFnTypedAttribute() = default;
    explicit MFnTypedAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kTypedAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   const MObject& defaultData = MObject::kNullObj, MStatus* ReturnStatus = nullptr);
    MFnData::Type attrType(MStatus* ReturnStatus = nullptr) const;
    MStatus setDefault(const MObject& defaultData);
    MStatus getDefault(MObject& defaultData) const;
};

OPENMAYA_NAMESPACE_CLOSE
