#pragma once
/// \file Attribute.h
/// What an attribute MObject refers to: names, type, default, limits, flags
/// and children. Shared by every node of a type (or owned by one node, for
/// a dynamic attribute).

#include <vxhost/HostObject.h>

#include <maya/MObject.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vxhost
{
enum class AttributeKind
{
    kNumeric,
    kUnit,
    kEnum,
    kTyped,
    kMatrix,
    kCompound,
    kMessage
};

class Attribute final : public HostObject
{
public:
    MFn::Type ApiType() const override;
    bool HasFn(MFn::Type type) const override;

    static Attribute* From(const MObject& object);
    static std::shared_ptr<Attribute> Shared(const MObject& object);

    /// Values a numeric, unit or enum attribute holds per element: 1 to 3.
    unsigned ComponentCount() const;
    /// Whether values are whole numbers (int, short, bool, enum).
    bool IsIntegral() const;
    bool IsBoolean() const;
    /// value limited by the hard limits of component c.
    double Clamp(double value, unsigned c) const;
    /// The position of child among the children; -1 when it is none.
    int ChildIndex(const Attribute* child) const;
    /// Whether name is the long or the short name.
    bool IsNamed(std::string_view text) const { return text == name || text == shortName; }

    AttributeKind kind = AttributeKind::kNumeric;
    std::string name;
    std::string shortName;
    int numericType = 0; ///< MFnNumericData::Type, for numeric attributes
    int unitType = 0;    ///< MFnUnitAttribute::Type, for unit attributes
    int dataType = 0;    ///< MFnData::Type, for typed attributes

    double defaults[3] = {0.0, 0.0, 0.0};
    MObject defaultData;
    bool hasMin = false;
    bool hasMax = false;
    bool hasSoftMin = false;
    bool hasSoftMax = false;
    double min[3] = {0.0, 0.0, 0.0};
    double max[3] = {0.0, 0.0, 0.0};
    double softMin = 0.0;
    double softMax = 0.0;
    std::vector<std::pair<std::string, short>> enumFields;

    bool readable = true;
    bool writable = true;
    bool connectable = true;
    bool storable = true;
    bool keyable = false;
    bool hidden = false;
    bool array = false;
    bool channelBox = false;
    bool dynamic = false;
    bool usesArrayDataBuilder = false;
    bool indexMatters = true;
    int disconnectBehavior = 0;

    std::vector<std::shared_ptr<Attribute>> children;
    Attribute* parent = nullptr;
    /// Set once the attribute is part of a node type or a node.
    bool added = false;
};
} // namespace vxhost
