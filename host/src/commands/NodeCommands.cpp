// createNode, delete, parent, select, rename and xform: the commands that
// make nodes, arrange the DAG, pick what later commands work on and place
// transforms. Every command finds all of its nodes before it changes
// anything, so a misspelt name leaves the scene as it was.

#include "NamePattern.h"
#include "PlugLookup.h"

#include "dg/BuiltinNodes.h"
#include "dg/Names.h"
#include "dg/PlugState.h"
#include "dg/Scene.h"
#include "UndoQueue.h"

#include <maya/MPoint.h>
#include <maya/MTransformationMatrix.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
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

// The nodes the positional arguments name, or the active selection when
// none are named; at least `least` of them.
MStatus NamedOrSelected(const ScriptStatement& statement, const ScriptValues& values, std::size_t least,
                        NodeList& out)
{
    out.clear();
    for (unsigned i = 0; i < values.Count(); ++i)
    {
        std::string name;
        values.GetString(i, name);
        std::shared_ptr<Node> node = Scene::Get().Find(name);
        if (!node)
            return NoMatch(statement, name);
        if (std::find(out.begin(), out.end(), node) == out.end())
            out.push_back(std::move(node));
    }
    if (values.Count() == 0)
        out = Scene::Get().Selection();
    if (out.size() < least)
        return ReportCommandError(statement, "Not enough objects or values.", MStatus::kInvalidParameter);
    return MStatus::kSuccess;
}

void SelectOnly(const std::shared_ptr<Node>& node)
{
    Scene::Get().Selection().assign(1, node);
}

MStatus CheckName(const ScriptStatement& statement, const std::string& name)
{
    if (IsNodeName(name))
        return MStatus::kSuccess;
    return ReportCommandError(statement, QuotedName(name) + " is not a valid name.",
                              MStatus::kInvalidParameter);
}

// createNode type [-n name] [-p parent] [-ss] [-s]
MStatus CreateNodeCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("n", "name", 1)
                                           .AddFlag("p", "parent", 1)
                                           .AddFlag("ss", "skipSelect")
                                           .AddFlag("s", "shared")
                                           .SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string type, name, parentName;
    args.Positionals().GetString(0, type);
    args.ReadFlagValue("name", name);
    args.ReadFlagValue("parent", parentName);
    if (!name.empty() && !(status = CheckName(statement, name)))
        return status;
    Scene& scene = Scene::Get();
    // A shared node is made once: the second createNode -s finds the first.
    if (args.IsFlagSet("shared") && !name.empty())
        if (const std::shared_ptr<Node> existing = scene.Find(name);
            existing && existing->cls->typeName == type)
        {
            result.SetString(existing->name);
            return MStatus::kSuccess;
        }
    std::shared_ptr<Node> parent;
    if (args.IsFlagSet("parent") && !(parent = scene.Find(parentName)))
        return NoMatch(statement, parentName);
    const std::shared_ptr<Node> node = scene.CreateNode(type, name, parent.get(), status);
    if (!node)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    if (!args.IsFlagSet("skipSelect"))
        SelectOnly(node);
    result.SetString(node->name);
    return MStatus::kSuccess;
}

// delete [names...]: the named nodes, or the selection.
MStatus DeleteCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax();
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    NodeList nodes;
    if (status = NamedOrSelected(statement, args.Positionals(), 1, nodes); !status)
        return status;
    for (const auto& node : nodes)
        // A node may have gone with a parent deleted before it.
        if (node->alive)
            Scene::Get().Delete(*node);
    return MStatus::kSuccess;
}

// parent [-w] [-r | -a] [-s] children... [newParent]: moves DAG nodes under
// another transform or (-w) to the world. As in Maya, a transform keeps its
// place in the world unless -r asks it to keep its local values instead.
MStatus ParentCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("w", "world")
                                           .AddFlag("r", "relative")
                                           .AddFlag("a", "absolute")
                                           .AddFlag("s", "shape");
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const bool world = args.IsFlagSet("world");
    NodeList nodes;
    if (status = NamedOrSelected(statement, args.Positionals(), world ? 1 : 2, nodes); !status)
        return status;
    std::shared_ptr<Node> parent;
    if (!world)
    {
        // The last object named (or selected) is the new parent.
        parent = nodes.back();
        nodes.pop_back();
    }
    const std::string parentName = parent ? parent->name : "the world";
    for (const auto& child : nodes)
    {
        if (!child->cls->dag)
            return ReportCommandError(statement, "'" + child->name + "' is not a DAG object.",
                                      MStatus::kInvalidParameter);
        if (parent && (!parent->cls->dag || parent->cls->shape))
            return ReportCommandError(statement, "'" + parent->name + "' is not a transform.",
                                      MStatus::kInvalidParameter);
        for (const Node* p = parent.get(); p; p = p->parent)
            if (p == child.get())
                return ReportCommandError(statement,
                                          "Cannot parent '" + child->name + "' under its own descendant '" +
                                              parent->name + "'.",
                                          MStatus::kInvalidParameter);
        if (child->cls->shape && !parent)
            return ReportCommandError(statement,
                                      "The shape '" + child->name + "' needs a transform above it.",
                                      MStatus::kInvalidParameter);
    }

    Scene& scene = Scene::Get();
    const bool relative = args.IsFlagSet("relative");
    std::vector<std::string> names;
    for (const auto& child : nodes)
    {
        if (child->parent == parent.get())
        {
            ReportCommandWarning(statement, "Object '" + child->name + "' is already a child of " +
                                                (parent ? "'" + parentName + "'" : parentName) + ".");
            continue;
        }
        const bool keepWorld = !relative && child->cls->IsA("transform");
        const MMatrix before = keepWorld ? WorldMatrix(*child, status) : MMatrix();
        if (status = scene.Reparent(*child, parent.get()); !status)
            return ReportCommandError(statement, StatusText(status), status.statusCode());
        if (keepWorld)
        {
            const MMatrix parentWorld = parent ? WorldMatrix(*parent, status) : MMatrix();
            if (!SetLocalTransformation(*child, MTransformationMatrix(before * parentWorld.inverse())))
                ReportCommandWarning(statement, "'" + child->name +
                                                    "' keeps its local values: its transform is connected.");
        }
        names.push_back(child->name);
    }
    result.SetStrings(std::move(names));
    return MStatus::kSuccess;
}

// select [-r | -add | -af | -d | -tgl | -cl] [names or patterns...]
MStatus SelectCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("r", "replace")
                                           .AddFlag("add", "add")
                                           .AddFlag("af", "addFirst")
                                           .AddFlag("d", "deselect")
                                           .AddFlag("tgl", "toggle")
                                           .AddFlag("cl", "clear")
                                           .AddFlag("ne", "noExpand");
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const ScriptValues values = args.Positionals();
    NodeList nodes;
    for (unsigned i = 0; i < values.Count(); ++i)
    {
        std::string name;
        values.GetString(i, name);
        // A pattern selects every node it matches, in scene order.
        const NodeList matched = MatchNodes(name);
        if (matched.empty())
            return NoMatch(statement, name);
        for (const auto& node : matched)
            if (std::find(nodes.begin(), nodes.end(), node) == nodes.end())
                nodes.push_back(node);
    }
    NodeList& selection = Scene::Get().Selection();
    const auto remove = [&selection](const std::shared_ptr<Node>& node)
    { selection.erase(std::remove(selection.begin(), selection.end(), node), selection.end()); };
    const auto selected = [&selection](const std::shared_ptr<Node>& node)
    { return std::find(selection.begin(), selection.end(), node) != selection.end(); };
    if (args.IsFlagSet("clear"))
    {
        selection.clear();
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("deselect"))
    {
        std::for_each(nodes.begin(), nodes.end(), remove);
    }
    else if (args.IsFlagSet("toggle"))
    {
        for (const auto& node : nodes)
            if (selected(node))
                remove(node);
            else
                selection.push_back(node);
    }
    else if (args.IsFlagSet("addFirst"))
    {
        std::for_each(nodes.begin(), nodes.end(), remove);
        selection.insert(selection.begin(), nodes.begin(), nodes.end());
    }
    else
    {
        if (!args.IsFlagSet("add"))
            selection.clear();
        // Selecting again moves an object to the end: it becomes the lead.
        for (const auto& node : nodes)
        {
            remove(node);
            selection.push_back(node);
        }
    }
    return MStatus::kSuccess;
}

// The trailing digits of a name, and what comes before them.
std::pair<std::string, std::string> SplitNumber(const std::string& name)
{
    std::size_t end = name.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1])))
        --end;
    return {name.substr(0, end), name.substr(end)};
}

// rename [-is] [old] new: the result is the name given, or that name
// numbered when it is taken. A transform's shapes named after it
// ("pCube1" -> "pCubeShape1") follow its new name unless -is.
MStatus RenameCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().AddFlag("is", "ignoreShape").SetPositionalCount(1, 2);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const ScriptValues values = args.Positionals();
    std::string oldName, newName;
    std::shared_ptr<Node> node;
    values.GetString(values.Count() - 1, newName);
    if (values.Count() == 2)
    {
        values.GetString(0, oldName);
        if (!(node = Scene::Get().Find(oldName)))
            return NoMatch(statement, oldName);
    }
    else if (Scene::Get().Selection().empty())
    {
        return ReportCommandError(statement, "Not enough objects or values.", MStatus::kInvalidParameter);
    }
    else
    {
        node = Scene::Get().Selection().front();
    }
    if (status = CheckName(statement, newName); !status)
        return status;
    const auto [oldStem, oldNumber] = SplitNumber(node->name);
    const std::string renamed = Scene::Get().Rename(*node, newName);
    if (!args.IsFlagSet("ignoreShape") && node->cls->IsA("transform"))
    {
        const auto [newStem, newNumber] = SplitNumber(renamed);
        for (const auto& child : node->children)
            if (child->cls->shape && child->name == oldStem + "Shape" + oldNumber)
                Scene::Get().Rename(*child, newStem + "Shape" + newNumber);
    }
    result.SetString(renamed);
    return MStatus::kSuccess;
}

// xform ------------------------------------------------------------------------

MPlug PlugOf(Node& node, const char* attributeName)
{
    return MPlug(node.Self(), node.PathTo(node.FindAttribute(attributeName)));
}

const char* const kTranslate[3] = {"translateX", "translateY", "translateZ"};
const char* const kRotate[3] = {"rotateX", "rotateY", "rotateZ"};
const char* const kScale[3] = {"scaleX", "scaleY", "scaleZ"};

// The matrix with its translation in the UI linear unit (to) or from it.
MMatrix ConvertTranslation(MMatrix m, bool toUI)
{
    for (unsigned c = 0; c < 3; ++c)
        m(3, c) = toUI ? MDistance::internalToUI(m(3, c)) : MDistance::uiToInternal(m(3, c));
    return m;
}

MStatus QueryTransform(const ScriptStatement& statement, const ScriptArgs& args, Node& node,
                       CommandResult& result)
{
    MStatus status;
    const bool world = args.IsFlagSet("worldSpace");
    std::vector<double> values;
    if (args.IsFlagSet("matrix"))
    {
        const MMatrix m = ConvertTranslation(
            world ? WorldMatrix(node, status) : LocalTransformation(node, status).asMatrix(), true);
        for (unsigned i = 0; i < 16; ++i)
            values.push_back(m(i / 4, i % 4));
    }
    else if (args.IsFlagSet("translation") && world)
    {
        const MMatrix m = WorldMatrix(node, status);
        for (unsigned c = 0; c < 3; ++c)
            values.push_back(MDistance::internalToUI(m(3, c)));
    }
    else
    {
        const char* const* names = args.IsFlagSet("translation") ? kTranslate
                                   : args.IsFlagSet("rotation")  ? kRotate
                                   : args.IsFlagSet("scale")     ? kScale
                                                                 : nullptr;
        if (!names)
            return ReportCommandError(statement, "Query one of -translation, -rotation, -scale and -matrix.",
                                      MStatus::kInvalidParameter);
        for (unsigned c = 0; c < 3 && status; ++c)
        {
            const MPlug plug = PlugOf(node, names[c]);
            values.push_back(InternalToScript(*PlugAttribute(plug), plug.asDouble(&status)));
        }
    }
    if (!status)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    result.SetDoubles(std::move(values));
    return MStatus::kSuccess;
}

// xform [-q] [-ws | -os] [-r | -a] [-t x y z] [-ro x y z] [-s x y z]
//       [-m 16 numbers] [transforms...]
// Translations are in the UI linear unit, rotations in degrees, as the
// attributes are typed; a matrix's translation row too, so -q -m and -t
// agree. -ws applies to -t and -m: the values are where the object should
// be in the world, whatever its parents.
MStatus XformCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("t", "translation", 3)
                                           .AddFlag("ro", "rotation", 3)
                                           .AddFlag("s", "scale", 3)
                                           .AddFlag("m", "matrix", 16)
                                           .AddFlag("ws", "worldSpace")
                                           .AddFlag("os", "objectSpace")
                                           .AddFlag("r", "relative")
                                           .AddFlag("a", "absolute")
                                           .EnableQuery();
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    NodeList nodes;
    if (status = NamedOrSelected(statement, args.Positionals(), 1, nodes); !status)
        return status;
    for (const auto& node : nodes)
        if (!node->cls->IsA("transform"))
            return ReportCommandError(statement, "'" + node->name + "' is not a transform.",
                                      MStatus::kInvalidParameter);
    if (args.IsQuery())
        return QueryTransform(statement, args, *nodes.front(), result);

    // Every value first, so that a bad one changes nothing.
    double translate[3] = {0, 0, 0}, rotate[3] = {0, 0, 0}, scale[3] = {1, 1, 1}, matrix[16];
    for (const auto& [flag, out, count] : {std::tuple<const char*, double*, unsigned>{"t", translate, 3},
                                           {"ro", rotate, 3},
                                           {"s", scale, 3},
                                           {"m", matrix, 16}})
        if (args.IsFlagSet(flag))
            if (status = args.Flag(flag).GetDoubles(0, count, out); !status)
                return status;
    const bool world = args.IsFlagSet("worldSpace");
    const bool relative = args.IsFlagSet("relative");
    std::vector<const char*> written;
    if (args.IsFlagSet("m"))
        written = {kTranslate[0], kTranslate[1], kTranslate[2], kRotate[0], kRotate[1], kRotate[2],
                   kScale[0],     kScale[1],     kScale[2],     "shearXY",  "shearXZ",  "shearYZ"};
    for (const auto& [flag, names] :
         {std::pair<const char*, const char* const*>{"t", kTranslate}, {"ro", kRotate}, {"s", kScale}})
        if (args.IsFlagSet(flag))
            written.insert(written.end(), names, names + 3);
    for (const auto& node : nodes)
        for (const char* name : written)
            if (const MPlug plug = PlugOf(*node, name);
                !DrivingPlug(plug).isNull() || IsPlugLocked(*node, plug.Steps()))
                return ReportCommandError(statement, "The attribute '" + std::string(plug.name().asChar()) +
                                                         "' is locked or connected and cannot be modified.");

    for (const auto& node : nodes)
    {
        const MMatrix parentWorld = node->parent ? WorldMatrix(*node->parent, status) : MMatrix();
        if (args.IsFlagSet("m"))
        {
            MMatrix m;
            for (unsigned i = 0; i < 16; ++i)
                m(i / 4, i % 4) = matrix[i];
            m = ConvertTranslation(m, false);
            if (world)
                m *= parentWorld.inverse();
            if (relative)
                m = LocalTransformation(*node, status).asMatrix() * m;
            if (status = SetLocalTransformation(*node, MTransformationMatrix(m)); !status)
                break;
        }
        // Typed values are converted as their attributes take them; -r adds
        // to a translation or rotation and multiplies a scale.
        const auto write = [&](const char* const* names, const double* values, bool typed, bool multiply)
        {
            for (unsigned c = 0; c < 3 && status; ++c)
            {
                MPlug plug = PlugOf(*node, names[c]);
                double value = typed ? ScriptToInternal(*PlugAttribute(plug), values[c]) : values[c];
                if (relative)
                    value = multiply ? plug.asDouble() * value : plug.asDouble() + value;
                status = plug.setDouble(value);
            }
        };
        if (args.IsFlagSet("t") && world && !relative)
        {
            // The point in the world, seen from the parent's space.
            const MPoint p =
                MPoint(MDistance::uiToInternal(translate[0]), MDistance::uiToInternal(translate[1]),
                       MDistance::uiToInternal(translate[2])) *
                parentWorld.inverse();
            const double local[3] = {p.x, p.y, p.z};
            write(kTranslate, local, false, false);
        }
        else if (args.IsFlagSet("t"))
        {
            write(kTranslate, translate, true, false);
        }
        if (args.IsFlagSet("ro"))
            write(kRotate, rotate, true, false);
        if (args.IsFlagSet("s"))
            write(kScale, scale, true, true);
        if (!status)
            break;
    }
    if (!status)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    return MStatus::kSuccess;
}

const CommandRegistrar kCreateNode("createNode", Undoable(CreateNodeCommand));
const CommandRegistrar kDelete("delete", Undoable(DeleteCommand));
const CommandRegistrar kParent("parent", Undoable(ParentCommand));
const CommandRegistrar kSelect("select", Undoable(SelectCommand));
const CommandRegistrar kRename("rename", Undoable(RenameCommand));
const CommandRegistrar kXform("xform", Undoable(XformCommand));
} // namespace
} // namespace vxhost
