// listAttr: the attributes of a node, or of one attribute and those below
// it, by long name, filtered by what a script is looking for.

#include "NamePattern.h"

#include "dg/PlugState.h"
#include "dg/Scene.h"

#include <maya/MFnData.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
// An attribute inside a multi is named from the outermost multi down
// ("target.targetMatrix"), as Maya names it, since its own name alone does
// not say which list it belongs to.
std::string ListedName(const Attribute& a)
{
    bool inArray = false;
    for (const Attribute* p = a.parent; p; p = p->parent)
        inArray = inArray || p->array;
    if (!inArray)
        return a.name;
    std::string name = a.name;
    for (const Attribute* p = a.parent; p; p = p->parent)
        name = p->name + "." + name;
    return name;
}

void WithChildren(const Attribute* a, std::vector<const Attribute*>& out)
{
    out.push_back(a);
    for (const auto& child : a->children)
        WithChildren(child.get(), out);
}

// A single value: a number, string or matrix, not a list, compound or tuple.
bool IsScalar(const Attribute& a)
{
    if (a.array || !a.children.empty())
        return false;
    for (const Attribute* p = a.parent; p; p = p->parent)
        if (p->array)
            return false;
    return a.kind == AttributeKind::kNumeric || a.kind == AttributeKind::kUnit || a.kind == AttributeKind::kEnum ||
           a.kind == AttributeKind::kMatrix ||
           (a.kind == AttributeKind::kTyped && a.dataType == MFnData::kString);
}

// listAttr [-k] [-ud] [-m] [-w] [-r] [-s] [-cb] [-l | -u] [-v] [-st pattern]...
//          [node | node.attr ...]
// Filters combine: an attribute is listed when it passes every one given.
// Without objects, the first selected node's attributes are listed.
MStatus ListAttrCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("k", "keyable")
                                           .AddFlag("ud", "userDefined")
                                           .AddFlag("m", "multi")
                                           .AddFlag("w", "write")
                                           .AddFlag("r", "read")
                                           .AddFlag("s", "scalar")
                                           .AddFlag("cb", "channelBox")
                                           .AddFlag("l", "locked")
                                           .AddFlag("u", "unlocked")
                                           .AddFlag("v", "visible")
                                           .AddFlag("c", "connectable")
                                           .AddMultiUseFlag("st", "string", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::vector<std::string> patterns;
    for (unsigned use = 0; use < args.FlagUseCount("string"); ++use)
    {
        std::string pattern;
        args.Flag("string", use).GetString(0, pattern);
        patterns.push_back(std::move(pattern));
    }

    // Each object: a node and the attributes to consider on it.
    std::vector<std::pair<std::shared_ptr<Node>, std::vector<const Attribute*>>> objects;
    const ScriptValues values = args.Positionals();
    std::vector<NamedObject> named;
    if (!(status = MatchObjects(statement, values, named)))
        return status;
    for (const NamedObject& object : named)
    {
        std::vector<const Attribute*> attributes;
        if (object.path.empty())
            object.node->AllAttributes(attributes);
        else
            WithChildren(object.path.back().attribute, attributes);
        objects.emplace_back(object.node, std::move(attributes));
    }
    if (values.Count() == 0 && !Scene::Get().Selection().empty())
    {
        const std::shared_ptr<Node> node = Scene::Get().Selection().front();
        std::vector<const Attribute*> attributes;
        node->AllAttributes(attributes);
        objects.emplace_back(node, std::move(attributes));
    }

    std::vector<std::string> names;
    for (const auto& [node, attributes] : objects)
        for (const Attribute* a : attributes)
        {
            const PlugPath path = node->PathTo(a);
            if ((args.IsFlagSet("keyable") && !IsPlugKeyable(*node, path)) ||
                (args.IsFlagSet("channelBox") && !IsPlugInChannelBox(*node, path)) ||
                (args.IsFlagSet("userDefined") && node->cls->Owns(a)) || (args.IsFlagSet("multi") && !a->array) ||
                (args.IsFlagSet("write") && !a->writable) || (args.IsFlagSet("read") && !a->readable) ||
                (args.IsFlagSet("scalar") && !IsScalar(*a)) || (args.IsFlagSet("visible") && a->hidden) ||
                (args.IsFlagSet("connectable") && !a->connectable) ||
                (args.IsFlagSet("locked") && !IsPlugLocked(*node, path)) ||
                (args.IsFlagSet("unlocked") && IsPlugLocked(*node, path)))
                continue;
            const std::string name = ListedName(*a);
            if (!patterns.empty() && std::none_of(patterns.begin(), patterns.end(),
                                                  [&](const std::string& p)
                                                  { return GlobMatch(p, name) || GlobMatch(p, a->shortName); }))
                continue;
            names.push_back(name);
        }
    result.SetStrings(std::move(names));
    return MStatus::kSuccess;
}

const CommandRegistrar kListAttr("listAttr", ListAttrCommand);
} // namespace
} // namespace vxhost
