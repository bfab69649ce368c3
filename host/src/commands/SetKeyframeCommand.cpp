// setKeyframe: keys attributes on animation curves that then drive them as
// time moves.

#include "PlugLookup.h"

#include "dg/AnimCurve.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "UndoQueue.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
// One attribute to key, with the curve that already animates it, if any.
struct KeyTarget
{
    std::shared_ptr<Node> node;
    PlugPath path;
    std::shared_ptr<Node> curve;
};

bool InsideArray(const PlugPath& path)
{
    return std::any_of(path.begin(), path.end(), [](const PlugStep& step) { return step.attribute->array; });
}

// The curve node whose output feeds plug directly; null when nothing
// feeds it. Sets driven when something else does.
std::shared_ptr<Node> CurveFeeding(const MPlug& plug, bool& driven)
{
    driven = false;
    const MPlug driver = DrivingPlug(plug);
    if (driver.isNull())
        return nullptr;
    const Connection* c = Scene::Get().SourceOf(*plug.HostNode(), plug.Steps());
    if (driver.Steps() == plug.Steps() && c && IsAnimCurve(*c->source))
        return c->source;
    driven = true;
    return nullptr;
}

// Adds the scalar plug at path, or the children of a compound there.
// Explicit plugs (named, or given with -at) that cannot be keyed are errors;
// implicit ones (every keyable attribute) are skipped, as Maya skips them.
MStatus Collect(const ScriptStatement& statement, const std::shared_ptr<Node>& node, const PlugPath& path,
                bool explicitPlug, std::vector<KeyTarget>& out)
{
    const Attribute& attribute = *path.back().attribute;
    const MPlug plug(node, path);
    const std::string name = plug.name().asChar();
    if (!attribute.children.empty() && !(attribute.array && path.back().index < 0))
    {
        for (const auto& child : attribute.children)
        {
            PlugPath childPath = path;
            childPath.push_back(PlugStep{child.get(), -1});
            if (MStatus status = Collect(statement, node, childPath, explicitPlug, out); !status)
                return status;
        }
        return MStatus::kSuccess;
    }
    const bool wholeArray = attribute.array && path.back().index < 0;
    if (wholeArray || AnimCurveTypeFor(attribute).empty() || !attribute.writable)
        return explicitPlug ? ReportCommandError(statement, "'" + name + "' cannot be keyed.",
                                                 MStatus::kInvalidParameter)
                            : MStatus(MStatus::kSuccess);
    bool driven = false;
    std::shared_ptr<Node> curve = CurveFeeding(plug, driven);
    if (driven)
        return explicitPlug
                   ? ReportCommandError(statement, "'" + name + "' is connected and cannot be keyed.",
                                        MStatus::kInvalidParameter)
                   : MStatus(MStatus::kSuccess);
    const bool listed = std::any_of(out.begin(), out.end(),
                                    [&](const KeyTarget& t) { return t.node == node && t.path == path; });
    if (!listed)
        out.push_back({node, path, std::move(curve)});
    return MStatus::kSuccess;
}

// Maya names a curve after what it animates: "goal_translateX".
std::string CurveName(const KeyTarget& target)
{
    std::string name = target.node->name + "_";
    for (const char c : std::string(PlugName(*target.node, target.path, true, false).asChar()))
        if (c == '.' || c == '[')
            name += '_';
        else if (c != ']')
            name += c;
    return name;
}

// setKeyframe [-t frame]... [-v value] [-at attribute]... [-itt type]
//             [-ott type] [objects or plugs...]
// Keys each plug named, each -at attribute of each node named, or (without
// -at) every keyable attribute of each node; the selection when nothing is
// named. Frames default to the current one; values (in the UI units the
// attribute is typed in) to the value the attribute has at that frame. The
// result is the number of keys set. Everything is checked before anything
// changes.
MStatus SetKeyframeCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddMultiUseFlag("t", "time", 1)
                                           .AddFlag("v", "value", 1)
                                           .AddMultiUseFlag("at", "attribute", 1)
                                           .AddFlag("itt", "inTangentType", 1)
                                           .AddFlag("ott", "outTangentType", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;

    std::optional<TangentType> tangents[2];
    const char* tangentFlags[2] = {"itt", "ott"};
    for (int i = 0; i < 2; ++i)
    {
        std::string name;
        if (!args.IsFlagSet(tangentFlags[i]))
            continue;
        args.Flag(tangentFlags[i]).GetString(0, name);
        if (!(tangents[i] = TangentTypeNamed(name)))
            return ReportCommandError(statement,
                                      "Invalid tangent type \"" + name + "\". Use linear or spline.",
                                      MStatus::kInvalidParameter);
    }
    std::vector<double> frames;
    for (unsigned use = 0; use < args.FlagUseCount("t"); ++use)
    {
        double frame = 0.0;
        if (status = args.Flag("t", use).GetDouble(0, frame); !status)
            return status;
        frames.push_back(frame);
    }
    if (frames.empty())
        frames.push_back(Dynamics::Get().CurrentFrame());
    std::optional<double> value;
    if (args.IsFlagSet("v"))
    {
        double v = 0.0;
        if (status = args.Flag("v").GetDouble(0, v); !status)
            return status;
        value = v;
    }
    std::vector<std::string> attributeNames(args.FlagUseCount("at"));
    for (unsigned use = 0; use < attributeNames.size(); ++use)
        args.Flag("at", use).GetString(0, attributeNames[use]);

    // What to key.
    std::vector<KeyTarget> targets;
    const ScriptValues objects = args.Positionals();
    std::vector<std::shared_ptr<Node>> nodes;
    for (unsigned i = 0; i < objects.Count(); ++i)
    {
        std::string name;
        objects.GetString(i, name);
        if (name.find('.') != std::string::npos)
        {
            std::string error;
            const MPlug plug = LookUpPlug(name, error);
            if (plug.isNull())
                return ReportCommandError(statement, error, MStatus::kInvalidParameter);
            if (status = Collect(statement, plug.HostNode(), plug.Steps(), true, targets); !status)
                return status;
            continue;
        }
        std::shared_ptr<Node> node = Scene::Get().Find(name);
        if (!node)
            return ReportCommandError(statement, "No object matches name: " + name,
                                      MStatus::kInvalidParameter);
        nodes.push_back(std::move(node));
    }
    if (objects.Count() == 0)
        nodes = Scene::Get().Selection();
    if (objects.Count() == 0 && nodes.empty())
        return ReportCommandError(statement, "No objects specified and none selected.",
                                  MStatus::kInvalidParameter);
    for (const auto& node : nodes)
    {
        for (const std::string& attributeName : attributeNames)
        {
            const Attribute* attribute = node->FindAttribute(attributeName);
            if (!attribute)
                return ReportCommandError(statement,
                                          "No attribute '" + attributeName + "' on '" + node->name + "'.",
                                          MStatus::kInvalidParameter);
            const PlugPath path = node->PathTo(attribute);
            if (InsideArray(PlugPath(path.begin(), path.end() - 1)))
                return ReportCommandError(
                    statement, "'" + node->name + "." + attributeName + "' needs an element index.",
                    MStatus::kInvalidParameter);
            if (status = Collect(statement, node, path, true, targets); !status)
                return status;
        }
        if (!attributeNames.empty())
            continue;
        std::vector<const Attribute*> all;
        node->AllAttributes(all);
        for (const Attribute* attribute : all)
        {
            const PlugPath path = node->PathTo(attribute);
            if (attribute->keyable && !InsideArray(path))
                if (status = Collect(statement, node, path, false, targets); !status)
                    return status;
        }
    }

    // Keys.
    Scene& scene = Scene::Get();
    int count = 0;
    for (KeyTarget& target : targets)
    {
        const MPlug plug(target.node, target.path);
        const Attribute& attribute = *target.path.back().attribute;
        const double current = plug.asDouble(&status);
        if (!status)
            return ReportCommandError(statement, StatusText(status), status.statusCode());
        if (!target.curve)
        {
            target.curve = scene.CreateNode(AnimCurveTypeFor(attribute), CurveName(target), nullptr, status);
            if (!target.curve)
                return ReportCommandError(statement, StatusText(status), status.statusCode());
            const MPlug output(target.curve, target.curve->PathTo(target.curve->FindAttribute("output")));
            if (status = scene.Connect(output, plug, false); !status)
            {
                scene.Delete(*target.curve);
                return ReportCommandError(statement, StatusText(status), status.statusCode());
            }
        }
        const std::vector<AnimKey> before = AnimCurveKeys(*target.curve);
        for (const double frame : frames)
        {
            // Without -v a key holds what the attribute shows at that frame:
            // the curve's value once there is one.
            const double keyed = value            ? ScriptToInternal(attribute, *value)
                                 : before.empty() ? current
                                                  : EvaluateAnimCurve(before, frame);
            SetAnimCurveKey(*target.curve, frame, keyed, tangents[0], tangents[1]);
            ++count;
        }
    }
    result.SetInt(count);
    return MStatus::kSuccess;
}

const CommandRegistrar kSetKeyframe("setKeyframe", Undoable(SetKeyframeCommand));
} // namespace
} // namespace vxhost
