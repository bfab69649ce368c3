// addAttr: dynamic attributes on one node, such as the per-particle arrays
// a particle system hands its fields ("particleVolarix1_maximumSpeed").
//
// A compound, pair or triple is made as Maya makes it: the parent first
// ("-at double2", "-at compound -nc 3"), then each child with "-p parent".
// The parent joins its node with its last child; until then it cannot be
// read or set.

#include "dg/Attribute.h"
#include "dg/Names.h"
#include "dg/Scene.h"
#include "UndoQueue.h"

#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MStringArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
struct TypeName
{
    const char* name;
    MFnNumericData::Type numeric;
};

constexpr TypeName kNumericTypes[] = {
    {"double", MFnNumericData::kDouble},   {"float", MFnNumericData::kFloat},
    {"long", MFnNumericData::kInt},        {"short", MFnNumericData::kShort},
    {"bool", MFnNumericData::kBoolean},    {"byte", MFnNumericData::kByte},
    {"double2", MFnNumericData::k2Double}, {"double3", MFnNumericData::k3Double},
    {"float2", MFnNumericData::k2Float},   {"float3", MFnNumericData::k3Float},
    {"long2", MFnNumericData::k2Int},      {"long3", MFnNumericData::k3Int},
    {"short2", MFnNumericData::k2Short},   {"short3", MFnNumericData::k3Short},
};

struct DataName
{
    const char* name;
    MFnData::Type type;
};

constexpr DataName kDataTypes[] = {
    {"doubleArray", MFnData::kDoubleArray},
    {"vectorArray", MFnData::kVectorArray},
    {"Int32Array", MFnData::kIntArray},
    {"pointArray", MFnData::kPointArray},
    {"string", MFnData::kString},
    {"matrix", MFnData::kMatrix},
    {"mesh", MFnData::kMesh},
    {"nurbsCurve", MFnData::kNurbsCurve},
};

// A parent added without its children yet, waiting on its node for them.
struct PendingParent
{
    std::weak_ptr<Node> node;
    std::shared_ptr<Attribute> attribute;
    unsigned expected = 0;
};

std::vector<PendingParent>& Pending()
{
    static std::vector<PendingParent> pending;
    return pending;
}

// The parent waiting on node that has, or whose added children have, name.
PendingParent* PendingNamed(const Node& node, std::string_view name, bool parentOnly)
{
    for (PendingParent& p : Pending())
    {
        if (p.node.lock().get() != &node)
            continue;
        if (p.attribute->IsNamed(name))
            return &p;
        if (!parentOnly)
            for (const auto& child : p.attribute->children)
                if (child->IsNamed(name))
                    return &p;
    }
    return nullptr;
}

// The children of a pair or triple hold its single numbers: a double2 takes
// doubles (or distances and angles, as a translate's children are), a
// float2 floats, a long2 longs.
bool FitsTuple(const Attribute& tuple, const Attribute& child)
{
    if (child.array || !child.children.empty())
        return false;
    const int single = Attribute::SingleNumericType(tuple.numericType);
    if (child.kind == AttributeKind::kNumeric)
        return child.numericType == single;
    return single == MFnNumericData::kDouble && child.kind == AttributeKind::kUnit &&
           (child.unitType == MFnUnitAttribute::kDistance || child.unitType == MFnUnitAttribute::kAngle);
}

// Puts child under the waiting parent; with its last child the parent joins
// the node.
MStatus AttachChild(const ScriptStatement& statement, Node& node, PendingParent& pending,
                    const std::shared_ptr<Attribute>& child)
{
    Attribute& parent = *pending.attribute;
    const bool tuple = parent.kind == AttributeKind::kNumeric;
    if (tuple ? !FitsTuple(parent, *child) : !child->children.empty())
        return ReportCommandError(statement,
                                  "The attribute '" + child->name + "' cannot be a child of '" + parent.name +
                                      (tuple ? "': its children are single numbers of its type."
                                             : "': a child cannot have children of its own."),
                                  MStatus::kInvalidParameter);
    if (tuple)
    {
        // The pair's limits (addAttr -min on the double2) become its
        // children's, as a plug-in pair's are: the children carry them.
        parent.defaults[parent.children.size()] = child->defaults[0];
        if (parent.hasMin)
            child->min[0] = child->hasMin ? std::max(child->min[0], parent.min[0]) : parent.min[0];
        if (parent.hasMax)
            child->max[0] = child->hasMax ? std::min(child->max[0], parent.max[0]) : parent.max[0];
        child->hasMin = child->hasMin || parent.hasMin;
        child->hasMax = child->hasMax || parent.hasMax;
        std::fill(std::begin(child->min) + 1, std::end(child->min), child->min[0]);
        std::fill(std::begin(child->max) + 1, std::end(child->max), child->max[0]);
    }
    child->parent = &parent;
    parent.children.push_back(child);
    if (parent.children.size() < pending.expected)
        return MStatus::kSuccess;
    const std::shared_ptr<Attribute> complete = pending.attribute;
    Pending().erase(Pending().begin() + (&pending - Pending().data()));
    const MStatus status = node.AddDynamicAttribute(complete);
    return status ? status : ReportCommandError(statement, status.errorString().asChar());
}

MStatus AddAttrCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("ln", "longName", 1)
                                           .AddFlag("sn", "shortName", 1)
                                           .AddFlag("at", "attributeType", 1)
                                           .AddFlag("dt", "dataType", 1)
                                           .AddFlag("dv", "defaultValue", 1)
                                           .AddFlag("min", "minValue", 1)
                                           .AddFlag("max", "maxValue", 1)
                                           .AddFlag("smn", "softMinValue", 1)
                                           .AddFlag("smx", "softMaxValue", 1)
                                           .AddFlag("k", "keyable", 1)
                                           .AddFlag("en", "enumName", 1)
                                           .AddFlag("p", "parent", 1)
                                           .AddFlag("nc", "numberOfChildren", 1)
                                           .SetPositionalCount(0, ScriptSyntax::kUnlimited);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string longName, shortName, attributeType, dataType, enumNames, parentName;
    double defaultValue = 0.0, minValue = 0.0, maxValue = 0.0, softMin = 0.0, softMax = 0.0;
    bool keyable = false;
    for (const auto& [flag, out] : {std::pair<const char*, std::string*>{"ln", &longName},
                                    {"sn", &shortName},
                                    {"at", &attributeType},
                                    {"dt", &dataType},
                                    {"en", &enumNames},
                                    {"p", &parentName}})
        if (status = args.ReadFlagValue(flag, *out); !status)
            return status;
    for (const auto& [flag, out] : {std::pair<const char*, double*>{"dv", &defaultValue},
                                    {"min", &minValue},
                                    {"max", &maxValue},
                                    {"smn", &softMin},
                                    {"smx", &softMax}})
        if (status = args.ReadFlagValue(flag, *out); !status)
            return status;
    if (status = args.ReadFlagValue("k", keyable); !status)
        return status;
    int childCount = 0;
    if (status = args.ReadFlagValue("nc", childCount); !status)
        return status;
    if (longName.empty())
        return ReportCommandError(statement, "New attribute needs either a long (-ln) or short (-sn) name.",
                                  MStatus::kInvalidParameter);
    if (shortName.empty())
        shortName = longName;
    for (const std::string* name : {&longName, &shortName})
        if (!IsValidName(*name))
            return ReportCommandError(statement, QuotedName(*name) + " is not a valid attribute name.",
                                      MStatus::kInvalidParameter);
    if (attributeType.empty() == dataType.empty())
        return ReportCommandError(statement, "Give exactly one of -attributeType and -dataType.",
                                  MStatus::kInvalidParameter);

    // How many children the new attribute waits for: a compound as many as
    // -nc says, a pair or triple one per number.
    const TypeName* numeric = nullptr;
    for (const TypeName& t : kNumericTypes)
        numeric = attributeType == t.name ? &t : numeric;
    unsigned expected = 0;
    if (attributeType == "compound")
    {
        if (childCount <= 0)
            return ReportCommandError(statement, "A compound attribute needs its number of children (-nc).",
                                      MStatus::kInvalidParameter);
        expected = static_cast<unsigned>(childCount);
    }
    else if (numeric && Attribute::SingleNumericType(numeric->numeric) != numeric->numeric)
    {
        expected = attributeType.back() == '2' ? 2u : 3u;
        if (args.IsFlagSet("nc") && static_cast<unsigned>(childCount) != expected)
            return ReportCommandError(statement,
                                      "A " + attributeType + " has " + std::to_string(expected) +
                                          " children, not " + std::to_string(childCount) + ".",
                                      MStatus::kInvalidParameter);
    }
    else if (args.IsFlagSet("nc"))
        return ReportCommandError(statement, "Only a compound, pair or triple has children (-nc).",
                                  MStatus::kInvalidParameter);
    if (expected > 0 && !parentName.empty())
        return ReportCommandError(statement, "A compound, pair or triple cannot be a child (-p).",
                                  MStatus::kInvalidParameter);

    // The nodes: the arguments, or the selection.
    std::vector<std::shared_ptr<Node>> nodes;
    const ScriptValues names = args.Positionals();
    for (unsigned i = 0; i < names.Count(); ++i)
    {
        std::string name;
        names.GetString(i, name);
        std::shared_ptr<Node> node = Scene::Get().Find(name);
        if (!node)
            return ReportCommandError(statement, "No object matches name: " + name,
                                      MStatus::kInvalidParameter);
        nodes.push_back(node);
    }
    if (nodes.empty())
        nodes = Scene::Get().Selection();
    if (nodes.empty())
        return ReportCommandError(statement, "No object was given or selected.", MStatus::kInvalidParameter);
    std::erase_if(Pending(),
                  [](const PendingParent& p) { return p.node.expired() || !p.node.lock()->alive; });
    for (const auto& node : nodes)
    {
        if (node->FindAttribute(longName) || node->FindAttribute(shortName) ||
            PendingNamed(*node, longName, false) || PendingNamed(*node, shortName, false))
            return ReportCommandError(
                statement, "Found a conflicting attribute name \"" + longName + "\" on " + node->name + ".",
                MStatus::kInvalidParameter);
        if (!parentName.empty() && !PendingNamed(*node, parentName, true))
            return ReportCommandError(statement,
                                      node->FindAttribute(parentName)
                                          ? "The attribute '" + node->name + "." + parentName +
                                                "' has all its children already."
                                          : "No attribute '" + parentName + "' on " + node->name +
                                                " waits for children: add it first.",
                                      MStatus::kInvalidParameter);
    }

    // One attribute object per node: a dynamic attribute belongs to its node.
    for (const auto& node : nodes)
    {
        MObject attribute;
        if (!dataType.empty())
        {
            const DataName* found = nullptr;
            for (const DataName& d : kDataTypes)
                found = dataType == d.name ? &d : found;
            if (!found)
                return ReportCommandError(statement, "Unknown data type \"" + dataType + "\".",
                                          MStatus::kInvalidParameter);
            attribute = MFnTypedAttribute().create(longName.c_str(), shortName.c_str(), found->type);
        }
        else if (attributeType == "enum")
        {
            MFnEnumAttribute fn;
            attribute = fn.create(longName.c_str(), shortName.c_str(), static_cast<short>(defaultValue));
            // As Maya reads -enumName: "A:B=5:C" numbers A 0, B 5 and C 6.
            MStringArray fields;
            MString(enumNames.c_str()).split(':', fields);
            int next = 0;
            for (unsigned i = 0; i < fields.length(); ++i)
            {
                std::string field = fields[i].asChar();
                if (const std::size_t equals = field.rfind('='); equals != std::string::npos)
                {
                    const std::string value = field.substr(equals + 1);
                    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), next);
                    if (value.empty() || parsed.ec != std::errc() ||
                        parsed.ptr != value.data() + value.size() || next < -32768 || next > 32767)
                        return ReportCommandError(statement,
                                                  "The enum field \"" + field +
                                                      "\" needs a whole number from -32768 to 32767 "
                                                      "after its '='.",
                                                  MStatus::kInvalidParameter);
                    field.resize(equals);
                }
                fn.addField(field.c_str(), static_cast<short>(next));
                ++next;
            }
        }
        else if (attributeType == "compound")
        {
            attribute = MFnCompoundAttribute().create(longName.c_str(), shortName.c_str());
        }
        else if (expected > 0)
        {
            // Not MFnNumericAttribute::create, which would give the pair its
            // own children: the script adds them.
            auto tuple = std::make_shared<Attribute>();
            tuple->name = longName;
            tuple->shortName = shortName;
            tuple->numericType = numeric->numeric;
            attribute = MObject(tuple);
        }
        else if (attributeType == "doubleLinear" || attributeType == "doubleAngle" || attributeType == "time")
        {
            const MFnUnitAttribute::Type unit = attributeType == "doubleLinear"  ? MFnUnitAttribute::kDistance
                                                : attributeType == "doubleAngle" ? MFnUnitAttribute::kAngle
                                                                                 : MFnUnitAttribute::kTime;
            attribute = MFnUnitAttribute().create(longName.c_str(), shortName.c_str(), unit, defaultValue);
        }
        else
        {
            const TypeName* found = nullptr;
            for (const TypeName& t : kNumericTypes)
                found = attributeType == t.name ? &t : found;
            if (!found)
                return ReportCommandError(statement, "Unknown attribute type \"" + attributeType + "\".",
                                          MStatus::kInvalidParameter);
            attribute = MFnNumericAttribute().create(longName.c_str(), shortName.c_str(), found->numeric,
                                                     defaultValue);
        }
        Attribute* a = Attribute::From(attribute);
        a->keyable = keyable;
        if (args.IsFlagSet("min"))
        {
            a->hasMin = true;
            a->min[0] = a->min[1] = a->min[2] = minValue;
        }
        if (args.IsFlagSet("max"))
        {
            a->hasMax = true;
            a->max[0] = a->max[1] = a->max[2] = maxValue;
        }
        a->hasSoftMin = args.IsFlagSet("smn");
        a->softMin = softMin;
        a->hasSoftMax = args.IsFlagSet("smx");
        a->softMax = softMax;
        if (expected > 0)
            Pending().push_back({node, Attribute::Shared(attribute), expected});
        else if (!parentName.empty())
            status = AttachChild(statement, *node, *PendingNamed(*node, parentName, true),
                                 Attribute::Shared(attribute));
        else if (status = node->AddDynamicAttribute(Attribute::Shared(attribute)); !status)
            return ReportCommandError(statement, status.errorString().asChar());
        if (!status)
            return status;
    }
    return MStatus::kSuccess;
}

const CommandRegistrar kAddAttr("addAttr", Undoable(AddAttrCommand));
} // namespace
} // namespace vxhost
