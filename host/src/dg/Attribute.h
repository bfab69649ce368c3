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
    /// A numeric pair or triple (k2Double, k3Float, ...) with its children:
    /// one child per number, as Maya makes them.
    bool IsTuple() const { return kind == AttributeKind::kNumeric && !children.empty(); }
    /// A child of a tuple: its number is stored in the tuple's value.
    bool IsTupleChild() const { return parent && parent->IsTuple(); }
    /// value limited for component c of a tuple: by the tuple's limits and
    /// by the child's own (a child added with addAttr -p brings its own).
    double ClampComponent(double value, unsigned c) const;
    /// Gives a numeric pair or triple its children "<name>0", "<name>1"...
    /// with brief names "<shortName>0"..., of the single type (kDouble for
    /// k2Double), taking the defaults, limits and flags of their component.
    void MakeTupleChildren();
    /// The single type of a pair or triple type (k3Float -> kFloat); other
    /// types unchanged.
    static int SingleNumericType(int numericType);
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
