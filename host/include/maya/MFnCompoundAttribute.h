#pragma once
/// \file MFnCompoundAttribute.h
/// Attributes made of child attributes.

#include <maya/MFnAttribute.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnCompoundAttribute : public MFnAttribute
{
public:
    MFnCompoundAttribute() = default;
    explicit MFnCompoundAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kCompoundAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MStatus* ReturnStatus = nullptr);
    /// Appends child. Fails with kInvalidParameter when child is not an
    /// attribute, is this attribute or already has a parent: an attribute
    /// belongs to one compound only.
    MStatus addChild(const MObject& child);
    MStatus removeChild(const MObject& child);
    unsigned int numChildren(MStatus* ReturnStatus = nullptr) const;
    MObject child(unsigned int index, MStatus* ReturnStatus = nullptr) const;
};

OPENMAYA_NAMESPACE_CLOSE
