// setAttr, connectAttr and disconnectAttr: the commands a scene uses to
// fill in and wire up attributes. Values are typed in the UI units
// (currentUnit), stored in the graph's internal ones. A command that fails
// changes nothing: setAttr checks every value before it writes the first.

#include "AttributeTypes.h"
#include "PlugLookup.h"

#include "dg/DataObjects.h"
#include "dg/PlugState.h"
#include "dg/Scene.h"
#include "UndoQueue.h"

#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlugArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
// "Seek=0, Flee=1, Wander=2": what an enum attribute takes.
std::string EnumFieldList(const Attribute& a)
{
    std::string list;
    for (const auto& [name, value] : a.enumFields)
    {
        if (!list.empty())
            list += ", ";
        list += name;
        list += '=';
        list += std::to_string(value);
    }
    return list;
}

std::string Quoted(const MPlug& plug)
{
    std::string text = "'";
    text += std::string(plug.name().asChar());
    text += '\'';
    return text;
}

// Writes ---------------------------------------------------------------------------

struct TupleType
{
    const char* name;
    unsigned count;
};

constexpr TupleType kTupleTypes[] = {{"double2", 2}, {"double3", 3}, {"double4", 4},
                                     {"float2", 2},  {"float3", 3},  {"long2", 2},
                                     {"long3", 3},   {"short2", 2},  {"short3", 3}};

const TupleType* FindTupleType(const std::string& name)
{
    for (const TupleType& t : kTupleTypes)
        if (name == t.name)
            return &t;
    return nullptr;
}

bool IsSettableDataType(const std::string& name)
{
    for (const char* known : {"matrix", "string", "vectorArray", "doubleArray", "pointArray", "Int32Array"})
        if (name == known)
            return true;
    return false;
}

// What feeds plug, for a refusal: the connection to it, to the compound or
// array holding it, or to a part of it (a child of a pair).
std::string FeedText(const MPlug& plug, const Connection& c, const PlugPath& fed)
{
    const std::string source = Quoted(MPlug(c.source, c.sourcePath));
    const MPlug fedPlug(c.destination, fed);
    if (fed == plug.Steps())
        return "It is connected from " + source + ".";
    if (fed.size() < plug.Steps().size())
        return "It is part of " + Quoted(fedPlug) + ", which is connected from " + source + ".";
    const bool child = fed.size() == plug.Steps().size() + 1 && !plug.isArray();
    return std::string(child ? "Its child " : "Its part ") + Quoted(fedPlug) + " is connected from " +
           source + ".";
}

// Reads `count` numbers from positional argument `first` on.
MStatus ReadNumbers(const ScriptValues& values, unsigned first, unsigned count, std::vector<double>& out)
{
    out.resize(count);
    return count == 0 ? MStatus(MStatus::kSuccess) : values.GetDoubles(first, count, out.data());
}

// The data object a "-type T" setAttr describes with its values (from
// positional argument 1 on), in the form Maya writes: arrays as their count,
// then the numbers of each item.
MStatus ParseData(const ScriptStatement& statement, const ScriptValues& values, const std::string& type,
                  MObject& out)
{
    const unsigned given = values.Count() - 1;
    if (type == "string")
    {
        if (given != 1)
            return ReportCommandError(statement,
                                      "A string value takes 1 value, got " + std::to_string(given) + ".",
                                      MStatus::kInvalidParameter);
        std::string text;
        values.GetString(1, text);
        out = MObject(std::make_shared<StringData>(text));
        return MStatus::kSuccess;
    }
    std::vector<double> numbers;
    MStatus status;
    if (type == "matrix")
    {
        if (given != 16)
            return ReportCommandError(statement,
                                      "A matrix takes 16 values, got " + std::to_string(given) + ".",
                                      MStatus::kInvalidParameter);
        if (status = ReadNumbers(values, 1, 16, numbers); !status)
            return status;
        MMatrix m;
        for (unsigned i = 0; i < 16; ++i)
            m(i / 4, i % 4) = numbers[i];
        out = NewMatrixData(m);
        return MStatus::kSuccess;
    }
    // Arrays: the count, then `width` numbers per item.
    const unsigned width = type == "vectorArray" ? 3 : type == "pointArray" ? 4 : 1;
    int count = 0;
    if (given == 0)
        return ReportCommandError(statement, "A " + type + " value starts with its number of items.",
                                  MStatus::kInvalidParameter);
    if (status = values.GetInt(1, count); !status)
        return status;
    if (count < 0 || given - 1 != static_cast<unsigned>(count) * width)
    {
        const std::string per = width == 3   ? " (the count, then x y z per vector)"
                                : width == 4 ? " (the count, then x y z w per point)"
                                             : " (the count, then the values)";
        return ReportCommandError(statement,
                                  "A " + type + " of " + std::to_string(count) + " items takes " +
                                      std::to_string(1 + std::max(count, 0) * static_cast<int>(width)) +
                                      " values" + per + ", got " + std::to_string(given) + ".",
                                  MStatus::kInvalidParameter);
    }
    const unsigned n = static_cast<unsigned>(count);
    if (type == "Int32Array")
    {
        MIntArray array(n);
        for (unsigned i = 0; i < n; ++i)
            if (status = values.GetInt(2 + i, array[i]); !status)
                return status;
        out = MObject(std::make_shared<IntArrayData>(array));
        return MStatus::kSuccess;
    }
    if (status = ReadNumbers(values, 2, n * width, numbers); !status)
        return status;
    if (type == "doubleArray")
        out = MObject(std::make_shared<DoubleArrayData>(MDoubleArray(numbers.data(), n)));
    else if (type == "vectorArray")
    {
        MVectorArray array(n);
        for (unsigned i = 0; i < n; ++i)
            array[i] = MVector(numbers[3 * i], numbers[3 * i + 1], numbers[3 * i + 2]);
        out = MObject(std::make_shared<VectorArrayData>(array));
    }
    else
    {
        MPointArray array(n);
        for (unsigned i = 0; i < n; ++i)
            array[i] = MPoint(numbers[4 * i], numbers[4 * i + 1], numbers[4 * i + 2], numbers[4 * i + 3]);
        out = MObject(std::make_shared<PointArrayData>(array));
    }
    return MStatus::kSuccess;
}

// Writes the values (positional arguments from 1 on) into plug, which must
// not be locked: the refusals first, then the writing.
MStatus WriteValue(const ScriptStatement& statement, const ScriptValues& values, const std::string& type,
                   MPlug& plug, bool locked)
{
    MStatus status;
    const Attribute& a = *PlugAttribute(plug);
    const auto fail = [&](const std::string& text)
    { return ReportCommandError(statement, text, MStatus::kInvalidParameter); };

    if (!type.empty() && !FindTupleType(type) && !IsSettableDataType(type))
        return fail("Invalid data type \"" + type + "\".");
    if (plug.isArray())
        return fail("The multi attribute " + Quoted(plug) + " needs an element index, as in " +
                    std::string(plug.name().asChar()) + "[0].");
    if (a.kind == AttributeKind::kMessage)
        return fail("Message attributes have no data values.");
    if (!a.writable)
        return fail("The attribute " + Quoted(plug) + " is not writable.");
    if (locked)
        return ReportCommandError(statement,
                                  "The attribute " + Quoted(plug) + " is locked or connected and cannot be modified.");
    PlugPath fed;
    if (const Connection* c = plug.HostNode()->Feed(plug.Steps(), true, fed))
        return ReportCommandError(statement, "The attribute " + Quoted(plug) +
                                                 " is locked or connected and cannot be modified. " +
                                                 FeedText(plug, *c, fed));

    const unsigned given = values.Count() - 1;
    const bool numbers = IsNumberAttribute(a) || IsNumberCompound(a);
    if (numbers)
    {
        // A tuple: the attribute's own numbers, or one number per child.
        const bool compound = a.kind == AttributeKind::kCompound;
        const unsigned count = compound ? static_cast<unsigned>(a.children.size()) : a.ComponentCount();
        const TupleType* tuple = FindTupleType(type);
        if (!type.empty() && (!tuple || tuple->count != count))
            return fail("The attribute " + Quoted(plug) + " is of type " + TypeNameOf(plug) + ", not " +
                        type + ".");
        if (given != count)
            return fail("The attribute " + Quoted(plug) + " takes " + std::to_string(count) +
                        (count == 1 ? " value" : " values") + ", got " + std::to_string(given) + ".");
        std::vector<double> typed;
        if (status = ReadNumbers(values, 1, count, typed); !status)
            return status;
        // An enum takes only its fields' values; anything else changes
        // nothing. A value past a hard limit is limited, with a word.
        for (unsigned c = 0; c < count; ++c)
        {
            const Attribute& part = compound ? *a.children[c] : ComponentAttribute(a, c);
            const double internal = ScriptToInternal(part, typed[c]);
            if (part.kind == AttributeKind::kEnum && !part.enumFields.empty() &&
                std::none_of(part.enumFields.begin(), part.enumFields.end(),
                             [&](const auto& field) { return field.second == internal; }))
                return fail(FormatDouble(typed[c]) + " is not a value of the enum attribute " + Quoted(plug) +
                            ": " + EnumFieldList(part) + ".");
            const double limited = compound || count == 1 ? part.Clamp(internal, 0) : a.ClampComponent(internal, c);
            if (limited != internal)
                ReportCommandWarning(statement, "The attribute " + Quoted(plug) + " is limited to " +
                                                    (limited < internal ? "at most " : "at least ") +
                                                    FormatDouble(InternalToScript(part, limited)) + ": " +
                                                    FormatDouble(typed[c]) + " is set as " +
                                                    FormatDouble(InternalToScript(part, limited)) + ".");
        }
        if (compound)
        {
            for (unsigned i = 0; i < count && status; ++i)
                status = plug.child(i).setDouble(ScriptToInternal(*a.children[i], typed[i]));
        }
        else if (count == 1)
        {
            status = plug.setDouble(ScriptToInternal(a, typed[0]));
        }
        else
        {
            // MPlug writes one number; the numbers of a pair or triple are
            // written together, limited and rounded as the plug would.
            DataNode* data = plug.HostNode()->Data(plug.Steps());
            for (unsigned c = 0; data && c < count; ++c)
            {
                const double internal = ScriptToInternal(ComponentAttribute(a, c), typed[c]);
                data->numbers[c] = a.ClampComponent(a.IsIntegral() ? std::trunc(internal) : internal, c);
            }
            Scene::Get().Touch();
        }
    }
    else if (a.kind == AttributeKind::kMatrix || a.kind == AttributeKind::kTyped)
    {
        const char* held = a.kind == AttributeKind::kMatrix ? "matrix" : DataTypeNameOf(a.dataType);
        if (type.empty())
            return fail("The attribute " + Quoted(plug) + " holds data: give its type with -type.");
        if (a.dataType != MFnData::kAny && (!held || type != held))
            return fail("The attribute " + Quoted(plug) + " is of type " + (held ? held : "TdataCompound") +
                        ", not " + type + ".");
        MObject data;
        if (status = ParseData(statement, values, type, data); !status)
            return status;
        status = plug.setMObject(data);
    }
    else
    {
        return fail("The value of " + Quoted(plug) + " cannot be set: it is a compound of data.");
    }
    if (!status)
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    return MStatus::kSuccess;
}

// setAttr [-lock b] [-keyable b] [-channelBox b] plug [-type T] [values...]
// The states alone need no values. Unlocking comes before the values and
// locking after them, so "setAttr -l off p 5" and "setAttr -l on p 5" both
// write 5; a refused value leaves the states as they were.
MStatus SetAttrCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("typ", "type", 1)
                                           .AddFlag("l", "lock", 1)
                                           .AddFlag("k", "keyable", 1)
                                           .AddFlag("cb", "channelBox", 1)
                                           .SetPositionalCount(1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const ScriptValues values = args.Positionals();
    std::string name, type, error;
    values.GetString(0, name);
    bool lock = false, keyable = false, channelBox = false;
    if (!(status = args.ReadFlagValue("type", type)) || !(status = args.ReadFlagValue("lock", lock)) ||
        !(status = args.ReadFlagValue("keyable", keyable)) ||
        !(status = args.ReadFlagValue("channelBox", channelBox)))
        return status;
    MPlug plug = LookUpPlug(name, error);
    if (plug.isNull())
        return ReportCommandError(statement, error, MStatus::kInvalidParameter);
    Node& node = *plug.HostNode();
    const PlugPath& path = plug.Steps();
    const bool states = args.IsFlagSet("lock") || args.IsFlagSet("keyable") || args.IsFlagSet("channelBox");
    if (values.Count() > 1 || !states)
    {
        // Unlocking this plug frees it unless a compound or array above it
        // is locked too.
        bool locked = IsPlugLocked(node, path);
        if (locked && args.IsFlagSet("lock") && !lock && PlugFlagsAt(node, path).locked)
        {
            SetPlugLocked(node, path, false);
            locked = IsPlugLocked(node, path);
            SetPlugLocked(node, path, true);
        }
        if (status = WriteValue(statement, values, type, plug, locked); !status)
            return status;
    }
    if (args.IsFlagSet("lock"))
        SetPlugLocked(node, path, lock);
    if (args.IsFlagSet("keyable"))
        SetPlugKeyable(node, path, keyable);
    if (args.IsFlagSet("channelBox"))
        SetPlugInChannelBox(node, path, channelBox);
    return MStatus::kSuccess;
}

// Connections ----------------------------------------------------------------------

// The lowest element of an array plug that nothing feeds.
MPlug NextAvailable(const MPlug& array)
{
    for (unsigned index = 0;; ++index)
    {
        const MPlug element = array.elementByLogicalIndex(index);
        if (!element.isDestination() &&
            Scene::Get().ConnectionsAt(*element.HostNode(), element.Steps(), false, true, true).empty())
            return element;
    }
}

// connectAttr [-f] [-na] source destination
MStatus ConnectAttrCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax =
        ScriptSyntax().AddFlag("f", "force").AddFlag("na", "nextAvailable").SetPositionalCount(2, 2);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string sourceName, destinationName, error;
    args.Positionals().GetString(0, sourceName);
    args.Positionals().GetString(1, destinationName);
    const MPlug source = LookUpPlug(sourceName, error);
    if (source.isNull())
        return ReportCommandError(statement, "The source attribute '" + sourceName + "' cannot be found.",
                                  MStatus::kInvalidParameter);
    MPlug destination = LookUpPlug(destinationName, error);
    if (destination.isNull())
        return ReportCommandError(statement,
                                  "The destination attribute '" + destinationName + "' cannot be found.",
                                  MStatus::kInvalidParameter);
    if (args.IsFlagSet("nextAvailable") && destination.isArray() && !source.isArray())
        destination = NextAvailable(destination);

    const std::string notMade =
        "Connection not made: " + Quoted(source) + " -> " + Quoted(destination) + ". ";
    if (destination.source() == source)
    {
        ReportCommandWarning(statement,
                             Quoted(source) + " is already connected to " + Quoted(destination) + ".");
        return MStatus::kSuccess;
    }
    const Attribute& sa = *PlugAttribute(source);
    const Attribute& da = *PlugAttribute(destination);
    if (!da.writable || !da.connectable)
        return ReportCommandError(statement, notMade + "Destination attribute must be writable.",
                                  MStatus::kInvalidParameter);
    if (!sa.readable || !sa.connectable)
        return ReportCommandError(statement, notMade + "Source attribute must be readable.",
                                  MStatus::kInvalidParameter);
    if (IsPlugLocked(*destination.HostNode(), destination.Steps()))
        return ReportCommandError(statement, notMade + "Destination attribute is locked.",
                                  MStatus::kInvalidParameter);
    // A plug fed through its array or compound counts as fed.
    const MPlug driving = DrivingPlug(destination);
    const bool force = args.IsFlagSet("force");
    if (!driving.isNull() && !force)
        return ReportCommandError(statement,
                                  Quoted(destination) + " already has an incoming connection from " +
                                      Quoted(driving.source()) + ".",
                                  MStatus::kInvalidParameter);
    // So does a compound with a connected child: the two connections would
    // both decide the child's value. Forcing replaces the child's.
    std::vector<Connection> partFeeds;
    for (const Connection* c :
         Scene::Get().ConnectionsAt(*destination.HostNode(), destination.Steps(), false, true, true))
        if (c->destinationPath != destination.Steps())
            partFeeds.push_back(*c);
    if (!partFeeds.empty() && !force)
        return ReportCommandError(statement,
                                  Quoted(destination) + " already has an incoming connection from " +
                                      Quoted(MPlug(partFeeds[0].source, partFeeds[0].sourcePath)) + " to " +
                                      Quoted(MPlug(partFeeds[0].destination, partFeeds[0].destinationPath)) +
                                      ".",
                                  MStatus::kInvalidParameter);

    Scene& scene = Scene::Get();
    // Forcing replaces the connection above the destination too; the one at
    // the destination itself Scene::Connect replaces, and only once the new
    // one is known to be valid.
    const MPlug replaced = driving.isNull() || driving == destination ? MPlug() : driving;
    status = scene.Connect(source, destination, force);
    if (!status)
    {
        const std::string reason = StatusText(status);
        const bool types = reason.rfind("The attribute types do not match", 0) == 0;
        return ReportCommandError(
            statement,
            notMade + (types ? "Data types of source and destination are not compatible." : reason),
            status.statusCode());
    }
    if (!replaced.isNull())
        scene.Disconnect(replaced.source(), replaced);
    for (const Connection& c : partFeeds)
        scene.Disconnect(MPlug(c.source, c.sourcePath), MPlug(c.destination, c.destinationPath));
    result.SetString("Connected " + std::string(source.name().asChar()) + " to " +
                     std::string(destination.name().asChar()) + ".");
    return MStatus::kSuccess;
}

// disconnectAttr source destination
MStatus DisconnectAttrCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().AddFlag("na", "nextAvailable").SetPositionalCount(2, 2);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string sourceName, destinationName, error;
    args.Positionals().GetString(0, sourceName);
    args.Positionals().GetString(1, destinationName);
    const MPlug source = LookUpPlug(sourceName, error);
    if (source.isNull())
        return ReportCommandError(statement, "The source attribute '" + sourceName + "' cannot be found.",
                                  MStatus::kInvalidParameter);
    const MPlug destination = LookUpPlug(destinationName, error);
    if (destination.isNull())
        return ReportCommandError(statement,
                                  "The destination attribute '" + destinationName + "' cannot be found.",
                                  MStatus::kInvalidParameter);
    if (IsPlugLocked(*destination.HostNode(), destination.Steps()) && destination.source() == source)
        return ReportCommandError(statement,
                                  "The attribute " + Quoted(destination) + " is locked and cannot be disconnected.",
                                  MStatus::kInvalidParameter);
    if (!Scene::Get().Disconnect(source, destination))
        return ReportCommandError(statement,
                                  "There is no connection from " + Quoted(source) + " to " +
                                      Quoted(destination) + " to disconnect.",
                                  MStatus::kInvalidParameter);
    result.SetString("Disconnect " + std::string(source.name().asChar()) + " from " +
                     std::string(destination.name().asChar()) + ".");
    return MStatus::kSuccess;
}

const CommandRegistrar kSetAttr("setAttr", Undoable(SetAttrCommand));
const CommandRegistrar kConnectAttr("connectAttr", Undoable(ConnectAttrCommand));
const CommandRegistrar kDisconnectAttr("disconnectAttr", Undoable(DisconnectAttrCommand));
} // namespace
} // namespace vxhost
