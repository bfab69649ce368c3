#include "Attribute.h"

#include <maya/MFnNumericData.h>

#include <algorithm>

namespace vxhost
{
namespace
{
MFn::Type KindType(AttributeKind kind)
{
    switch (kind)
    {
    case AttributeKind::kNumeric:
        return MFn::kNumericAttribute;
    case AttributeKind::kUnit:
        return MFn::kUnitAttribute;
    case AttributeKind::kEnum:
        return MFn::kEnumAttribute;
    case AttributeKind::kTyped:
        return MFn::kTypedAttribute;
    case AttributeKind::kMatrix:
        return MFn::kMatrixAttribute;
    case AttributeKind::kCompound:
        return MFn::kCompoundAttribute;
    case AttributeKind::kMessage:
        return MFn::kMessageAttribute;
    }
    return MFn::kAttribute;
}
} // namespace

MFn::Type Attribute::ApiType() const
{
    return KindType(kind);
}

bool Attribute::HasFn(MFn::Type type) const
{
    return type == ApiType() || type == MFn::kAttribute || type == MFn::kBase;
}

Attribute* Attribute::From(const MObject& object)
{
    return dynamic_cast<Attribute*>(object.HostImpl().get());
}

std::shared_ptr<Attribute> Attribute::Shared(const MObject& object)
{
    return std::dynamic_pointer_cast<Attribute>(object.HostImpl());
}

unsigned Attribute::ComponentCount() const
{
    if (kind != AttributeKind::kNumeric)
        return 1;
    switch (numericType)
    {
    case MFnNumericData::k2Short:
    case MFnNumericData::k2Int:
    case MFnNumericData::k2Float:
    case MFnNumericData::k2Double:
        return 2;
    case MFnNumericData::k3Short:
    case MFnNumericData::k3Int:
    case MFnNumericData::k3Float:
    case MFnNumericData::k3Double:
        return 3;
    default:
        return 1;
    }
}

bool Attribute::IsIntegral() const
{
    if (kind == AttributeKind::kEnum)
        return true;
    if (kind != AttributeKind::kNumeric)
        return false;
    switch (numericType)
    {
    case MFnNumericData::kFloat:
    case MFnNumericData::k2Float:
    case MFnNumericData::k3Float:
    case MFnNumericData::kDouble:
    case MFnNumericData::k2Double:
    case MFnNumericData::k3Double:
    case MFnNumericData::k4Double:
        return false;
    default:
        return true;
    }
}

bool Attribute::IsBoolean() const
{
    return kind == AttributeKind::kNumeric && numericType == MFnNumericData::kBoolean;
}

double Attribute::Clamp(double value, unsigned c) const
{
    const unsigned i = std::min(c, 2u);
    if (hasMin && value < min[i])
        value = min[i];
    if (hasMax && value > max[i])
        value = max[i];
    return value;
}

int Attribute::ChildIndex(const Attribute* child) const
{
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i].get() == child)
            return static_cast<int>(i);
    return -1;
}
} // namespace vxhost
