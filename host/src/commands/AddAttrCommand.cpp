// addAttr: dynamic attributes on one node, such as the per-particle arrays
// a particle system hands its fields ("particleVolarix1_maximumSpeed").

#include "dg/Attribute.h"
#include "dg/Scene.h"

#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MStringArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <charconv>
#include <string>

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
    {"long2", MFnNumericData::k2Int},
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
                                           .SetPositionalCount(0, ScriptSyntax::kUnlimited);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string longName, shortName, attributeType, dataType, enumNames;
    double defaultValue = 0.0, minValue = 0.0, maxValue = 0.0, softMin = 0.0, softMax = 0.0;
    bool keyable = false;
    for (const auto& [flag, out] : {std::pair<const char*, std::string*>{"ln", &longName},
                                    {"sn", &shortName},
                                    {"at", &attributeType},
                                    {"dt", &dataType},
                                    {"en", &enumNames}})
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
    if (longName.empty())
        return ReportCommandError(statement, "New attribute needs either a long (-ln) or short (-sn) name.",
                                  MStatus::kInvalidParameter);
    if (shortName.empty())
        shortName = longName;
    if (attributeType.empty() == dataType.empty())
        return ReportCommandError(statement, "Give exactly one of -attributeType and -dataType.",
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
    for (const auto& node : nodes)
        if (node->FindAttribute(longName) || node->FindAttribute(shortName))
            return ReportCommandError(
                statement, "Found a conflicting attribute name \"" + longName + "\" on " + node->name + ".",
                MStatus::kInvalidParameter);

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
                    if (value.empty() || parsed.ec != std::errc() || parsed.ptr != value.data() + value.size() ||
                        next < -32768 || next > 32767)
                        return ReportCommandError(statement, "The enum field \"" + field +
                                                                 "\" needs a whole number from -32768 to 32767 "
                                                                 "after its '='.",
                                                  MStatus::kInvalidParameter);
                    field.resize(equals);
                }
                fn.addField(field.c_str(), static_cast<short>(next));
                ++next;
            }
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
        if (status = node->AddDynamicAttribute(Attribute::Shared(attribute)); !status)
            return ReportCommandError(statement, status.errorString().asChar());
    }
    return MStatus::kSuccess;
}

const CommandRegistrar kAddAttr("addAttr", AddAttrCommand);
} // namespace
} // namespace vxhost
