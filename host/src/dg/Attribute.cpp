#include "Attribute.h"

#include <maya/MFnNumericData.h>

#include <algorithm>
#include <iterator>
#include <string>

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
    // A pair or triple is a compound in the graph, as in Maya: its children
    // are reachable through MFnCompoundAttribute too.
    if (type == MFn::kCompoundAttribute && IsTuple())
        return true;
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

double Attribute::ClampComponent(double value, unsigned c) const
{
    value = Clamp(value, c);
    return c < children.size() ? children[c]->Clamp(value, 0) : value;
}

int Attribute::SingleNumericType(int numericType)
{
    switch (numericType)
    {
    case MFnNumericData::k2Short:
    case MFnNumericData::k3Short:
        return MFnNumericData::kShort;
    case MFnNumericData::k2Int:
    case MFnNumericData::k3Int:
        return MFnNumericData::kInt;
    case MFnNumericData::k2Float:
    case MFnNumericData::k3Float:
        return MFnNumericData::kFloat;
    case MFnNumericData::k2Double:
    case MFnNumericData::k3Double:
        return MFnNumericData::kDouble;
    default:
        return numericType;
    }
}

void Attribute::MakeTupleChildren()
{
    const unsigned count = ComponentCount();
    if (kind != AttributeKind::kNumeric || count < 2 || !children.empty())
        return;
    for (unsigned c = 0; c < count; ++c)
    {
        auto child = std::make_shared<Attribute>();
        child->kind = AttributeKind::kNumeric;
        child->name = name + std::to_string(c);
        child->shortName = shortName + std::to_string(c);
        child->numericType = SingleNumericType(numericType);
        std::fill(std::begin(child->defaults), std::end(child->defaults), defaults[c]);
        child->hasMin = hasMin;
        child->hasMax = hasMax;
        std::fill(std::begin(child->min), std::end(child->min), min[c]);
        std::fill(std::begin(child->max), std::end(child->max), max[c]);
        child->hasSoftMin = hasSoftMin;
        child->hasSoftMax = hasSoftMax;
        child->softMin = softMin;
        child->softMax = softMax;
        child->readable = readable;
        child->writable = writable;
        child->connectable = connectable;
        child->storable = storable;
        child->keyable = keyable;
        child->hidden = hidden;
        child->channelBox = channelBox;
        child->parent = this;
        children.push_back(std::move(child));
    }
}

int Attribute::ChildIndex(const Attribute* child) const
{
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i].get() == child)
            return static_cast<int>(i);
    return -1;
}
} // namespace vxhost
