// getAttr: an attribute's value as a script sees it (numbers in the UI
// units, tuples and array data as lists), or what it is (-type, -size) and
// how it may be changed (-lock, -keyable, -channelBox, -settable).

#include "AttributeTypes.h"
#include "PlugLookup.h"

#include "dg/AnimCurve.h"
#include "dg/DataObjects.h"
#include "dg/PlugState.h"
#include "dg/Scene.h"

#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <charconv>
#include <cstdlib>
#include <string>

namespace vxhost
{
namespace
{
constexpr const char* kNoValue = "The value for the attribute could not be retrieved.";

// A float attribute holds a float's worth of digits: 0.1 typed in reads
// back as 0.1, not as the double nearest the float 0.1.
double AsShown(const Attribute& a, double value)
{
    if (!IsFloat(a))
        return value;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof(text), static_cast<float>(value)).ptr;
    *end = '\0';
    return std::strtod(text, nullptr);
}

void AppendNumber(const Attribute& a, double internal, CommandResult& result)
{
    if (a.IsIntegral())
        result.AppendInt(static_cast<int>(internal));
    else
        result.AppendDouble(AsShown(a, InternalToScript(a, internal)));
}

size_t NumberCount(const CommandResult& result)
{
    return result.Ints().size() + result.Doubles().size();
}

// Appends the plug's value: numbers (of a tuple, a number compound or every
// element of an array of them) one by one, data as its list of numbers.
MStatus AppendValue(const MPlug& plug, CommandResult& result, std::string& error)
{
    const Attribute& a = *PlugAttribute(plug);
    MStatus status;
    if (plug.isArray())
    {
        MPlug array = plug;
        const unsigned count = array.evaluateNumElements(&status);
        for (unsigned i = 0; status && i < count; ++i)
            status = AppendValue(plug.elementByPhysicalIndex(i), result, error);
        return status;
    }
    if (IsNumberAttribute(a))
    {
        // The numbers of a pair or triple live side by side in its stored
        // value; each is shown as its child would show it.
        const DataNode* data = plug.HostNode()->Evaluate(plug.Steps(), status);
        if (!data)
            return status;
        for (unsigned c = 0; c < a.ComponentCount(); ++c)
            AppendNumber(ComponentAttribute(a, c), data->numbers[c], result);
        if (a.ComponentCount() > 1)
            result.SetTupleWidth(a.ComponentCount());
        return MStatus::kSuccess;
    }
    if (IsNumberCompound(a))
    {
        // The compound first: a connection to it fills its children.
        if (!plug.HostNode()->Evaluate(plug.Steps(), status))
            return status;
        const size_t before = NumberCount(result);
        for (unsigned i = 0; status && i < plug.numChildren(); ++i)
            status = AppendValue(plug.child(i), result, error);
        result.SetTupleWidth(static_cast<unsigned>(NumberCount(result) - before));
        return status;
    }
    if (a.kind == AttributeKind::kMatrix || a.kind == AttributeKind::kTyped)
    {
        const MObject data = plug.asMObject(&status);
        if (!status)
            return status;
        if (a.kind == AttributeKind::kMatrix || MatrixData::From(data))
        {
            const MMatrix m = MatrixOf(data);
            for (unsigned r = 0; r < 4; ++r)
                for (unsigned c = 0; c < 4; ++c)
                    result.AppendDouble(m(r, c));
            return MStatus::kSuccess;
        }
        if (const StringData* s = StringData::From(data))
        {
            result.AppendString(s->value);
            return MStatus::kSuccess;
        }
        if (data.isNull() && a.dataType == MFnData::kString)
        {
            result.AppendString(std::string());
            return MStatus::kSuccess;
        }
        if (const VectorArrayData* v = VectorArrayData::From(data))
        {
            for (unsigned i = 0; i < v->value.length(); ++i)
                for (const double x : {v->value[i].x, v->value[i].y, v->value[i].z})
                    result.AppendDouble(x);
            result.SetTupleWidth(3);
            return MStatus::kSuccess;
        }
        if (const PointArrayData* p = PointArrayData::From(data))
        {
            for (unsigned i = 0; i < p->value.length(); ++i)
                for (const double x : {p->value[i].x, p->value[i].y, p->value[i].z, p->value[i].w})
                    result.AppendDouble(x);
            result.SetTupleWidth(4);
            return MStatus::kSuccess;
        }
        if (const DoubleArrayData* d = DoubleArrayData::From(data))
        {
            for (unsigned i = 0; i < d->value.length(); ++i)
                result.AppendDouble(d->value[i]);
            return MStatus::kSuccess;
        }
        if (const IntArrayData* n = IntArrayData::From(data))
        {
            for (unsigned i = 0; i < n->value.length(); ++i)
                result.AppendInt(n->value[i]);
            return MStatus::kSuccess;
        }
        // An array attribute with no data yet reads as an empty array.
        if (data.isNull() && DataTypeNameOf(a.dataType) && a.dataType != MFnData::kMesh &&
            a.dataType != MFnData::kNurbsCurve && a.dataType != MFnData::kNurbsSurface)
            return MStatus::kSuccess;
    }
    error = kNoValue;
    return MStatus::kFailure;
}

// The number of elements: of an array plug, or of the array data it holds;
// 1 for anything else, as Maya answers.
MStatus SizeOf(const MPlug& plug, int& size)
{
    MStatus status;
    size = 1;
    if (plug.isArray())
    {
        MPlug array = plug;
        size = static_cast<int>(array.evaluateNumElements(&status));
        return status;
    }
    const Attribute& a = *PlugAttribute(plug);
    if (a.kind != AttributeKind::kTyped)
        return MStatus::kSuccess;
    const MObject data = plug.asMObject(&status);
    if (const VectorArrayData* v = VectorArrayData::From(data))
        size = static_cast<int>(v->value.length());
    else if (const PointArrayData* p = PointArrayData::From(data))
        size = static_cast<int>(p->value.length());
    else if (const DoubleArrayData* d = DoubleArrayData::From(data))
        size = static_cast<int>(d->value.length());
    else if (const IntArrayData* n = IntArrayData::From(data))
        size = static_cast<int>(n->value.length());
    else if (data.isNull() && a.dataType != MFnData::kString && a.dataType != MFnData::kMatrix)
        size = 0;
    return status;
}

// The plug's value at another frame. An animation curve that drives the
// plug (or, for a tuple or compound of numbers, a child) is evaluated at
// that frame; other values are those of the current frame, as the host
// keeps no evaluation context but the current one.
MStatus AppendValueAt(const MPlug& plug, double frame, CommandResult& result, std::string& error)
{
    const Attribute& a = *PlugAttribute(plug);
    if (!plug.isArray() && (IsNumberCompound(a) || a.IsTuple()))
    {
        MStatus status;
        const size_t before = NumberCount(result);
        for (unsigned i = 0; status && i < plug.numChildren(); ++i)
            status = AppendValueAt(plug.child(i), frame, result, error);
        result.SetTupleWidth(static_cast<unsigned>(NumberCount(result) - before));
        return status;
    }
    if (!plug.isArray() && IsNumberAttribute(a) && a.ComponentCount() == 1)
        if (const Connection* c = Scene::Get().SourceOf(*plug.HostNode(), plug.Steps());
            c && IsAnimCurve(*c->source))
        {
            AppendNumber(a, EvaluateAnimCurve(AnimCurveKeys(*c->source), frame), result);
            return MStatus::kSuccess;
        }
    return AppendValue(plug, result, error);
}

// A value with nothing in it is still a list of the attribute's kind, so
// that a script assigning it to an array gets an empty one.
void SetEmptyList(const MPlug& plug, CommandResult& result)
{
    const Attribute& a = *PlugAttribute(plug);
    if (a.kind == AttributeKind::kTyped)
    {
        if (a.dataType == MFnData::kIntArray)
            result.SetInts({});
        else if (a.dataType == MFnData::kStringArray)
            result.SetStrings({});
        else
            result.SetDoubles({});
    }
    else if (IsNumberAttribute(a) && a.IsIntegral())
    {
        result.SetInts({});
    }
    else
    {
        result.SetDoubles({});
    }
}

// getAttr [-size | -type | -lock | -keyable | -channelBox | -settable]
//         [-time frame] plug
MStatus GetAttrCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("s", "size")
                                           .AddFlag("typ", "type")
                                           .AddFlag("sl", "silent")
                                           .AddFlag("l", "lock")
                                           .AddFlag("k", "keyable")
                                           .AddFlag("cb", "channelBox")
                                           .AddFlag("se", "settable")
                                           .AddFlag("t", "time", 1)
                                           .SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name, error;
    args.Positionals().GetString(0, name);
    double frame = 0.0;
    if (status = args.ReadFlagValue("time", frame); !status)
        return status;
    const MPlug plug = LookUpPlug(name, error);
    if (plug.isNull())
        return ReportCommandError(statement, error, MStatus::kInvalidParameter);
    const Node& node = *plug.HostNode();
    const Attribute& a = *PlugAttribute(plug);

    if (args.IsFlagSet("type"))
    {
        result.SetString(TypeNameOf(plug));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("size"))
    {
        int size = 0;
        status = SizeOf(plug, size);
        if (!status)
            return ReportCommandError(statement, kNoValue + std::string(" ") + StatusText(status));
        result.SetInt(size);
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("lock"))
    {
        result.SetBool(IsPlugLocked(node, plug.Steps()));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("keyable"))
    {
        result.SetBool(IsPlugKeyable(node, plug.Steps()));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("channelBox"))
    {
        result.SetBool(IsPlugInChannelBox(node, plug.Steps()));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("settable"))
    {
        // What setAttr would accept: writable, unlocked and not driven.
        const bool settable = a.writable && !IsPlugLocked(node, plug.Steps()) && DrivingPlug(plug).isNull();
        result.SetBool(settable);
        return MStatus::kSuccess;
    }
    if (a.kind == AttributeKind::kMessage)
        return ReportCommandError(statement, "Message attributes have no data values.",
                                  MStatus::kInvalidParameter);
    // A child or element fed through its compound or array is filled in
    // when that is read.
    if (const MPlug driving = DrivingPlug(plug); !driving.isNull() && driving != plug)
        plug.HostNode()->Evaluate(driving.Steps(), status);
    if (status)
        status = args.IsFlagSet("time") ? AppendValueAt(plug, frame, result, error)
                                        : AppendValue(plug, result, error);
    if (!status)
    {
        result.Clear();
        const std::string reason = StatusText(status);
        return ReportCommandError(statement, error.empty() ? kNoValue + (" " + reason) : error,
                                  status.statusCode());
    }
    // One number is a single result; a tuple or array data is a list even
    // when it has only one item, or none.
    if (!plug.isArray() && IsNumberAttribute(a) && a.ComponentCount() == 1)
    {
        if (result.GetKind() == CommandResult::Kind::kIntArray)
            result.SetInt(result.Ints().at(0));
        else
            result.SetDouble(result.Doubles().at(0));
    }
    else if (result.GetKind() == CommandResult::Kind::kStringArray && result.Strings().size() == 1)
    {
        result.SetString(result.Strings()[0]);
    }
    else if (result.GetKind() == CommandResult::Kind::kNone)
    {
        SetEmptyList(plug, result);
    }
    return MStatus::kSuccess;
}

const CommandRegistrar kGetAttr("getAttr", GetAttrCommand);
} // namespace
} // namespace vxhost
