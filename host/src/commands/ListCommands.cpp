// ls, listRelatives and listConnections: the questions a script asks to
// find its nodes. Each returns a string array, empty when nothing answers,
// so that a script can assign the result to a string[] whatever it holds.

#include "NamePattern.h"
#include "PlugLookup.h"

#include "dg/Scene.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
using NodeList = std::vector<std::shared_ptr<Node>>;

MStatus NoMatch(const ScriptStatement& statement, const std::string& name)
{
    return ReportCommandError(statement, "No object matches name: " + name, MStatus::kInvalidParameter);
}

void AddOnce(NodeList& list, const std::shared_ptr<Node>& node)
{
    if (std::find(list.begin(), list.end(), node) == list.end())
        list.push_back(node);
}

// The values of every use of a multi-use flag taking one string.
std::vector<std::string> FlagStrings(const ScriptArgs& args, const char* flag)
{
    std::vector<std::string> out;
    for (unsigned use = 0; use < args.FlagUseCount(flag); ++use)
    {
        std::string value;
        args.Flag(flag, use).GetString(0, value);
        out.push_back(std::move(value));
    }
    return out;
}

// -type filters take a type and its derived types, as Maya's do
// ("ls -type shape" lists meshes and locators).
bool OfAnyType(const Node& node, const std::vector<std::string>& types)
{
    return types.empty() ||
           std::any_of(types.begin(), types.end(), [&](const std::string& t) { return node.cls->IsA(t); });
}

// The names the positional arguments give, or the selection's; `out` in
// the order named. A name that matches nothing fails when `strict`.
MStatus NamedOrSelected(const ScriptStatement& statement, const ScriptValues& values, bool strict,
                        NodeList& out)
{
    for (unsigned i = 0; i < values.Count(); ++i)
    {
        std::string name;
        values.GetString(i, name);
        const NodeList matched = MatchNodes(name);
        if (matched.empty() && strict)
            return NoMatch(statement, name);
        for (const auto& node : matched)
            AddOnce(out, node);
    }
    if (values.Count() == 0)
        for (const auto& node : Scene::Get().Selection())
            if (node->alive)
                AddOnce(out, node);
    return MStatus::kSuccess;
}

// Depth first, each node before its children.
void AddWithDescendants(const std::shared_ptr<Node>& node, NodeList& out)
{
    AddOnce(out, node);
    for (const auto& child : node->children)
        AddWithDescendants(child, out);
}

// ls [-sl] [-type T]... [-long] [-shapes] [-transforms] [-dag] [-showType]
//    [patterns...]
// A pattern that matches nothing is no error: ls answers which nodes
// exist. "node.attr" lists the plug as written when it exists.
MStatus LsCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("sl", "selection")
                                           .AddMultiUseFlag("typ", "type", 1)
                                           .AddMultiUseFlag("et", "exactType", 1)
                                           .AddFlag("l", "long")
                                           .AddFlag("s", "shapes")
                                           .AddFlag("tr", "transforms")
                                           .AddFlag("dag", "dagObjects")
                                           .AddFlag("st", "showType")
                                           .AddFlag("o", "objectsOnly");
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    Scene& scene = Scene::Get();
    const ScriptValues values = args.Positionals();
    std::vector<std::string> names;
    NodeList nodes;
    for (unsigned i = 0; i < values.Count(); ++i)
    {
        std::string pattern, error;
        values.GetString(i, pattern);
        if (pattern.find('.') != std::string::npos)
        {
            if (const MPlug plug = LookUpPlug(pattern, error); plug.isNull())
                continue;
            else if (args.IsFlagSet("objectsOnly"))
                AddOnce(nodes, plug.HostNode());
            else
                names.push_back(pattern);
            continue;
        }
        for (const auto& node : MatchNodes(pattern))
            AddOnce(nodes, node);
    }
    if (values.Count() == 0)
    {
        if (args.IsFlagSet("selection"))
            nodes = scene.Selection();
        else
            for (const auto& node : scene.Nodes())
                if (node->alive)
                    nodes.push_back(node);
    }
    else if (args.IsFlagSet("selection"))
    {
        // Both: the selected ones among those named, in selection order.
        NodeList selected;
        for (const auto& node : scene.Selection())
            if (std::find(nodes.begin(), nodes.end(), node) != nodes.end())
                selected.push_back(node);
        nodes = std::move(selected);
    }
    if (args.IsFlagSet("dagObjects") && (values.Count() > 0 || args.IsFlagSet("selection")))
    {
        // With objects given, -dag walks down from them.
        NodeList expanded;
        for (const auto& node : nodes)
            if (node->cls->dag)
                AddWithDescendants(node, expanded);
        nodes = std::move(expanded);
    }

    const std::vector<std::string> types = FlagStrings(args, "type");
    const std::vector<std::string> exact = FlagStrings(args, "exactType");
    for (const auto& node : nodes)
    {
        if (!node->alive || !OfAnyType(*node, types))
            continue;
        if (!exact.empty() && std::find(exact.begin(), exact.end(), node->cls->typeName) == exact.end())
            continue;
        if ((args.IsFlagSet("dagObjects") && !node->cls->dag) || (args.IsFlagSet("shapes") && !node->cls->shape) ||
            (args.IsFlagSet("transforms") && !node->cls->IsA("transform")))
            continue;
        // Names are unique in this scene, so a node's name is also its
        // shortest unique path.
        names.push_back(args.IsFlagSet("long") ? FullPathName(*node) : node->name);
        if (args.IsFlagSet("showType"))
            names.push_back(node->cls->typeName);
    }
    result.SetStrings(std::move(names));
    return MStatus::kSuccess;
}

// listRelatives [-c | -p | -ad] [-s] [-f] [-type T]... [objects...]
MStatus ListRelativesCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("c", "children")
                                           .AddFlag("p", "parent")
                                           .AddFlag("ap", "allParents")
                                           .AddFlag("ad", "allDescendents")
                                           .AddFlag("s", "shapes")
                                           .AddFlag("f", "fullPath")
                                           .AddFlag("pa", "path")
                                           .AddFlag("ni", "noIntermediate")
                                           .AddMultiUseFlag("typ", "type", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    NodeList objects;
    if (status = NamedOrSelected(statement, args.Positionals(), true, objects); !status)
        return status;
    const bool parents = args.IsFlagSet("parent") || args.IsFlagSet("allParents");
    NodeList relatives;
    for (const auto& object : objects)
    {
        if (parents)
        {
            if (object->parent)
                AddOnce(relatives, object->parent->Self());
        }
        else if (args.IsFlagSet("allDescendents"))
        {
            // Maya lists descendants deepest first: the reverse of a walk
            // that puts each node before its children.
            NodeList below;
            for (const auto& child : object->children)
                AddWithDescendants(child, below);
            std::for_each(below.rbegin(), below.rend(), [&](const auto& node) { AddOnce(relatives, node); });
        }
        else
        {
            for (const auto& child : object->children)
                AddOnce(relatives, child);
        }
    }
    const std::vector<std::string> types = FlagStrings(args, "type");
    std::vector<std::string> names;
    for (const auto& node : relatives)
    {
        if (!OfAnyType(*node, types) || (args.IsFlagSet("shapes") && !node->cls->shape))
            continue;
        names.push_back(args.IsFlagSet("fullPath") ? FullPathName(*node) : node->name);
    }
    result.SetStrings(std::move(names));
    return MStatus::kSuccess;
}

// A shape stands for its transform unless -shapes, as Maya lists the
// object a user picks rather than the shape beneath it.
const Node& Shown(const Node& node, bool shapes)
{
    return !shapes && node.cls->shape && node.parent ? *node.parent : node;
}

// listConnections [-s b] [-d b] [-p b] [-c b] [-type T] [-sh b]
//                 [node | node.attr ...]
// Each connection once, in the order made. With -c each is a pair: the
// plug here, then what is at the other end.
MStatus ListConnectionsCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("s", "source", 1)
                                           .AddFlag("d", "destination", 1)
                                           .AddFlag("p", "plugs", 1)
                                           .AddFlag("c", "connections", 1)
                                           .AddFlag("sh", "shapes", 1)
                                           .AddFlag("t", "type", 1)
                                           .AddFlag("scn", "skipConversionNodes", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    bool sources = true, destinations = true, plugs = false, pairs = false, shapes = false;
    std::string type;
    if (!(status = args.ReadFlagValue("source", sources)) ||
        !(status = args.ReadFlagValue("destination", destinations)) ||
        !(status = args.ReadFlagValue("plugs", plugs)) || !(status = args.ReadFlagValue("connections", pairs)) ||
        !(status = args.ReadFlagValue("shapes", shapes)) || !(status = args.ReadFlagValue("type", type)))
        return status;

    // What to look at: whole nodes, or plugs with what lies below them.
    std::vector<NamedObject> targets;
    const ScriptValues values = args.Positionals();
    if (!(status = MatchObjects(statement, values, targets)))
        return status;
    if (values.Count() == 0)
        for (const auto& node : Scene::Get().Selection())
            targets.push_back({node, {}});

    std::vector<std::string> names;
    const auto add = [&](const std::shared_ptr<Node>& here, const PlugPath& herePath,
                         const std::shared_ptr<Node>& there, const PlugPath& therePath)
    {
        if (!there->alive || (!type.empty() && !there->cls->IsA(type)))
            return;
        if (pairs)
            names.push_back(PlugName(*here, herePath).asChar());
        names.push_back(plugs ? std::string(PlugName(*there, therePath).asChar()) : Shown(*there, shapes).name);
    };
    for (const NamedObject& target : targets)
        for (const Connection& c : Scene::Get().Connections())
        {
            const auto within = [&](const std::shared_ptr<Node>& node, const PlugPath& path)
            { return node == target.node && (target.path.empty() || PathWithin(path, target.path)); };
            // A connection from the node to itself shows at both ends.
            if (destinations && within(c.source, c.sourcePath))
                add(c.source, c.sourcePath, c.destination, c.destinationPath);
            if (sources && within(c.destination, c.destinationPath))
                add(c.destination, c.destinationPath, c.source, c.sourcePath);
        }
    result.SetStrings(std::move(names));
    return MStatus::kSuccess;
}

const CommandRegistrar kLs("ls", LsCommand);
const CommandRegistrar kListRelatives("listRelatives", ListRelativesCommand);
const CommandRegistrar kListConnections("listConnections", ListConnectionsCommand);
} // namespace
} // namespace vxhost
