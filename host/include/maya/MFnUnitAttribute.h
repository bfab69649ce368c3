#pragma once
/// \file MFnUnitAttribute.h
/// Attributes with a unit: distance, angle, time. Values and limits are
/// kept in internal units (centimetres, radians, seconds) and shown in the
/// user's unit.

#include <maya/MDistance.h>
#include <maya/MFnAttribute.h>
#include <maya/MTime.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnUnitAttribute : public MFnAttribute
{
public:
    enum Type
    {
        kInvalid,
        kAngle,
        kDistance,
        kTime,
        kLast
    };

    MFnUnitAttribute() = default;
    explicit MFnUnitAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kUnitAttribute; }

    /// defaultValue is in internal units.
    MObject create(const MString& fullName, const MString& briefName, Type unitType,
                   double defaultValue = 0.0, MStatus* ReturnStatus = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MDistance& defaultValue,
                   MStatus* ReturnStatus = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                   MStatus* ReturnStatus = nullptr);
    Type unitType(MStatus* ReturnStatus = nullptr) const;

    MStatus setDefault(double value);
    MStatus setDefault(const MDistance& value);
    MStatus setDefault(const MTime& value);
    MStatus getDefault(double& value) const;

    MStatus setMin(double value);
    MStatus setMin(const MDistance& value);
    MStatus setMax(double value);
    MStatus setMax(const MDistance& value);
    MStatus setSoftMin(double value);
    MStatus setSoftMin(const MDistance& value);
    MStatus setSoftMax(double value);
    MStatus setSoftMax(const MDistance& value);
    bool hasMin(MStatus* ReturnStatus = nullptr) const;
    bool hasMax(MStatus* ReturnStatus = nullptr) const;
    bool hasSoftMin(MStatus* ReturnStatus = nullptr) const;
    bool hasSoftMax(MStatus* ReturnStatus = nullptr) const;
    MStatus getMin(double& value) const;
    MStatus getMax(double& value) const;
    MStatus getSoftMin(double& value) const;
    MStatus getSoftMax(double& value) const;
};

OPENMAYA_NAMESPACE_CLOSE
