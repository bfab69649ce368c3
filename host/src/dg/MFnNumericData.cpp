// Numeric data objects: the 2- and 3-number tuples that manipulator
// conversion callbacks hand around.
#include <vxhost/HostObject.h>

#include <maya/MFnNumericData.h>

#include <memory>

namespace
{
class NumericData final : public vxhost::HostObject
{
public:
    explicit NumericData(MFnNumericData::Type t) : type(t) {}

    MFn::Type ApiType() const override { return MFn::kData; }
    std::shared_ptr<HostObject> Clone() const override { return std::make_shared<NumericData>(*this); }

    static NumericData* From(const MObject& object)
    {
        return dynamic_cast<NumericData*>(object.HostImpl().get());
    }

    MFnNumericData::Type type;
    double values[4] = {0.0, 0.0, 0.0, 0.0};
};

int Count(MFnNumericData::Type type)
{
    switch (type)
    {
    case MFnNumericData::k2Short:
    case MFnNumericData::k2Long:
    case MFnNumericData::k2Float:
    case MFnNumericData::k2Double:
        return 2;
    case MFnNumericData::k3Short:
    case MFnNumericData::k3Long:
    case MFnNumericData::k3Float:
    case MFnNumericData::k3Double:
        return 3;
    case MFnNumericData::k4Double:
        return 4;
    default:
        return 0;
    }
}
} // namespace

MFnNumericData::MFnNumericData(const MObject& object, MStatus* ReturnStatus)
{
    const MStatus status = setObject(object);
    if (ReturnStatus)
        *ReturnStatus = status;
}

bool MFnNumericData::Accepts(const MObject& object) const
{
    return NumericData::From(object) != nullptr;
}

MObject MFnNumericData::create(Type dataType, MStatus* ReturnStatus)
{
    if (Count(dataType) == 0)
    {
        if (ReturnStatus)
            *ReturnStatus = MStatus(MStatus::kInvalidParameter, "numeric data holds 2, 3 or 4 numbers");
        return MObject();
    }
    fObject = MObject(std::make_shared<NumericData>(dataType));
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fObject;
}

MFnNumericData::Type MFnNumericData::numericType(MStatus* ReturnStatus) const
{
    const NumericData* data = NumericData::From(fObject);
    if (ReturnStatus)
        *ReturnStatus = data ? MStatus::kSuccess : MStatus::kInvalidParameter;
    return data ? data->type : kInvalid;
}

MStatus MFnNumericData::getData(double& val1, double& val2) const
{
    const NumericData* data = NumericData::From(fObject);
    if (!data || Count(data->type) != 2)
        return MStatus(MStatus::kInvalidParameter, "not data of two numbers");
    val1 = data->values[0];
    val2 = data->values[1];
    return MStatus::kSuccess;
}

MStatus MFnNumericData::getData(double& val1, double& val2, double& val3) const
{
    const NumericData* data = NumericData::From(fObject);
    if (!data || Count(data->type) != 3)
        return MStatus(MStatus::kInvalidParameter, "not data of three numbers");
    val1 = data->values[0];
    val2 = data->values[1];
    val3 = data->values[2];
    return MStatus::kSuccess;
}

MStatus MFnNumericData::setData(double val1, double val2)
{
    NumericData* data = NumericData::From(fObject);
    if (!data || Count(data->type) != 2)
        return MStatus(MStatus::kInvalidParameter, "not data of two numbers");
    data->values[0] = val1;
    data->values[1] = val2;
    return MStatus::kSuccess;
}

MStatus MFnNumericData::setData(double val1, double val2, double val3)
{
    NumericData* data = NumericData::From(fObject);
    if (!data || Count(data->type) != 3)
        return MStatus(MStatus::kInvalidParameter, "not data of three numbers");
    data->values[0] = val1;
    data->values[1] = val2;
    data->values[2] = val3;
    return MStatus::kSuccess;
}
