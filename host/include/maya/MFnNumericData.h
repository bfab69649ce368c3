#pragma once
/// \file MFnNumericData.h
/// The numeric types of numeric attributes.

#include <maya/MFnData.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnNumericData : public MFnData
{
public:
    enum Type
    {
        kInvalid,
        kBoolean,
        kByte,
        kChar,
        kShort,
        k2Short,
        k3Short,
        kLong,
        kInt = kLong,
        k2Long,
        k2Int = k2Long,
        k3Long,
        k3Int = k3Long,
        kInt64,
        kFloat,
        k2Float,
        k3Float,
        kDouble,
        k2Double,
        k3Double,
        k4Double,
        kAddr,
        kLast
    };

    MFnNumericData() = default;
    explicit MFnNumericData(const MObject& object, MStatus* ReturnStatus = nullptr);

    /// New numeric data of one of the compound types (k2Double, k3Double,
    /// k3Float, ...), zero-filled, attached to this set.
    MObject create(Type dataType, MStatus* ReturnStatus = nullptr);
    Type numericType(MStatus* ReturnStatus = nullptr) const;
    MStatus getData(double& val1, double& val2) const;
    MStatus getData(double& val1, double& val2, double& val3) const;
    MStatus setData(double val1, double val2);
    MStatus setData(double val1, double val2, double val3);
    MStatus getData2Double(double& val1, double& val2) const { return getData(val1, val2); }
    MStatus getData3Double(double& val1, double& val2, double& val3) const { return getData(val1, val2, val3); }
    MStatus setData2Double(double val1, double val2) { return setData(val1, val2); }
    MStatus setData3Double(double val1, double val2, double val3) { return setData(val1, val2, val3); }

protected:
    bool Accepts(const MObject& object) const override;
};

OPENMAYA_NAMESPACE_CLOSE
