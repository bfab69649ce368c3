#pragma once
/// \file MFnNumericAttribute.h
/// Numeric attributes: bool, int, float and double, with one to three values.

#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Limits and defaults are per value: setMin(a, b) limits the two values of
/// a double2. A value set through a plug or setAttr is clamped into the hard
/// limits; soft limits only shape the slider.
///
/// A pair or triple (k2Double, k3Float, ...) is a compound in the graph, as
/// in Maya: create gives it one child per number, named "<name>0",
/// "<name>1"... (brief "<briefName>0"...) of the single type (kDouble for
/// k2Double). Its children share its flags and take their number's default
/// and limits; a value set through a child is part of the pair's value.
class MFnNumericAttribute : public MFnAttribute
{
public:
    MFnNumericAttribute() = default;
    explicit MFnNumericAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kNumericAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                   double defaultValue = 0.0, MStatus* ReturnStatus = nullptr);
    MFnNumericData::Type unitType(MStatus* ReturnStatus = nullptr) const;
    /// The child of a pair or triple; kInvalidParameter past the last one.
    MObject child(unsigned int index, MStatus* ReturnStatus = nullptr) const;

    MStatus setDefault(bool value);
    MStatus setDefault(int value);
    MStatus setDefault(int a, int b);
    MStatus setDefault(int a, int b, int c);
    MStatus setDefault(double value);
    MStatus setDefault(double a, double b);
    MStatus setDefault(double a, double b, double c);
    MStatus getDefault(bool& value) const;
    MStatus getDefault(int& value) const;
    MStatus getDefault(int& a, int& b) const;
    MStatus getDefault(double& value) const;
    MStatus getDefault(double& a, double& b) const;
    MStatus getDefault(double& a, double& b, double& c) const;

    MStatus setMin(double value);
    MStatus setMin(double a, double b);
    MStatus setMin(double a, double b, double c);
    MStatus setMax(double value);
    MStatus setMax(double a, double b);
    MStatus setMax(double a, double b, double c);
    MStatus setSoftMin(double value);
    MStatus setSoftMax(double value);
    bool hasMin(MStatus* ReturnStatus = nullptr) const;
    bool hasMax(MStatus* ReturnStatus = nullptr) const;
    bool hasSoftMin(MStatus* ReturnStatus = nullptr) const;
    bool hasSoftMax(MStatus* ReturnStatus = nullptr) const;
    MStatus getMin(double& value) const;
    MStatus getMin(double& a, double& b) const;
    MStatus getMax(double& value) const;
    MStatus getMax(double& a, double& b) const;
    MStatus getSoftMin(double& value) const;
    MStatus getSoftMax(double& value) const;
};

OPENMAYA_NAMESPACE_CLOSE
