#pragma once
/// \file MFnMatrixAttribute.h
/// 4x4 matrix attributes; the default value is the identity.

#include <maya/MFnAttribute.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnMatrixAttribute : public MFnAttribute
{
public:
    enum Type
    {
        kFloat,
        kDouble
    };

    MFnMatrixAttribute() = default;
    explicit MFnMatrixAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kMatrixAttribute; }

    MObject create(const MString& fullName, const MString& briefName, Type matrixType = kDouble,
                   MStatus* ReturnStatus = nullptr);
};

OPENMAYA_NAMESPACE_CLOSE
