#pragma once
/// \file MFnMessageAttribute.h
/// Attributes that carry no value, only connections.

#include <maya/MFnAttribute.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnMessageAttribute : public MFnAttribute
{
public:
    MFnMessageAttribute() = default;
    explicit MFnMessageAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kMessageAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MStatus* ReturnStatus = nullptr);
};

OPENMAYA_NAMESPACE_CLOSE
