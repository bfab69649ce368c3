// setAttr, getAttr, connectAttr and disconnectAttr: the commands a scene
// uses to fill in and wire up attributes. Values are typed and printed in
// the UI units (currentUnit), stored in the graph's internal ones. A command
// that fails changes nothing: setAttr checks every value before it writes
// the first.

#include "PlugLookup.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"

#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlugArray.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
std::string Quoted(const MPlug& plug)
{
    std::string text = "'";
    text += std::string(plug.name().asChar());
    text += '\'';
    return text;
}

// Numbers ----------------------------------------------------------------------

bool IsNumber(const Attribute& a)
{
    return a.kind == AttributeKind::kNumeric || a.kind == AttributeKind::kUnit ||
           a.kind == AttributeKind::kEnum;
}

bool IsFloat(const Attribute& a)
{
    if (a.kind != AttributeKind::kNumeric)
        return false;
    return a.numericType == MFnNumericData::kFloat || a.numericType == MFnNumericData::k2Float ||
           a.numericType == MFnNumericData::k3Float;
}

// A compound of numbers only (translate, a colour): set and read as one
// tuple of its children's values.
bool IsNumberCompound(const Attribute& a)
{
    if (a.kind != AttributeKind::kCompound || a.children.empty())
        return false;
    for (const auto& child : a.children)
        if (!IsNumber(*child) || child->array || child->ComponentCount() != 1)
            return false;
    return true;
}

// Maya's name of a single number type, without a count ("double", "long").
const char* NumberTypeName(const Attribute& a)
{
    if (a.kind == AttributeKind::kEnum)
        return "enum";
    if (a.kind == AttributeKind::kUnit)
        return a.unitType == MFnUnitAttribute::kDistance ? "doubleLinear"
               : a.unitType == MFnUnitAttribute::kAngle  ? "doubleAngle"
                                                         : "time";
    switch (a.numericType)
    {
    case MFnNumericData::kBoolean:
        return "bool";
    case MFnNumericData::kByte:
        return "byte";
    case MFnNumericData::kChar:
        return "char";
    case MFnNumericData::kShort:
    case MFnNumericData::k2Short:
    case MFnNumericData::k3Short:
        return "short";
    case MFnNumericData::kLong:
    case MFnNumericData::k2Long:
    case MFnNumericData::k3Long:
        return "long";
    case MFnNumericData::kInt64:
        return "int64";
    case MFnNumericData::kFloat:
    case MFnNumericData::k2Float:
    case MFnNumericData::k3Float:
        return "float";
    default:
        return "double";
    }
}

// The base of a tuple's type name: a compound of distances is a "double3",
// as translate is.
std::string TupleBase(const Attribute& a)
{
    const std::string name = NumberTypeName(a);
    if (name == "doubleLinear" || name == "doubleAngle" || name == "time")
        return "double";
    return name;
}

struct DataTypeName
{
    MFnData::Type type;
    const char* name;
};

constexpr DataTypeName kDataTypeNames[] = {
    {MFnData::kString, "string"},
    {MFnData::kMatrix, "matrix"},
    {MFnData::kStringArray, "stringArray"},
    {MFnData::kDoubleArray, "doubleArray"},
    {MFnData::kFloatArray, "floatArray"},
    {MFnData::kIntArray, "Int32Array"},
    {MFnData::kPointArray, "pointArray"},
    {MFnData::kVectorArray, "vectorArray"},
    {MFnData::kMatrixArray, "matrixArray"},
    {MFnData::kMesh, "mesh"},
    {MFnData::kNurbsCurve, "nurbsCurve"},
    {MFnData::kNurbsSurface, "nurbsSurface"},
    {MFnData::kDynArrayAttrs, "dynArrayAttrs"},
};

const char* DataTypeNameOf(int type)
{
    for (const DataTypeName& d : kDataTypeNames)
        if (d.type == type)
            return d.name;
    return nullptr;
}

// The data type of a data object, for attributes that take any data.
int DataTypeOfObject(const MObject& data)
{
    switch (data.apiType())
    {
    case MFn::kStringData:
        return MFnData::kString;
    case MFn::kMatrixData:
        return MFnData::kMatrix;
    case MFn::kDoubleArrayData:
        return MFnData::kDoubleArray;
    case MFn::kIntArrayData:
        return MFnData::kIntArray;
    case MFn::kPointArrayData:
        return MFnData::kPointArray;
    case MFn::kVectorArrayData:
        return MFnData::kVectorArray;
    case MFn::kMeshData:
        return MFnData::kMesh;
    case MFn::kNurbsCurveData:
        return MFnData::kNurbsCurve;
    case MFn::kDynArrayAttrsData:
        return MFnData::kDynArrayAttrs;
    default:
        return MFnData::kInvalid;
    }
}

// getAttr -type: Maya's name for what the plug holds.
std::string TypeNameOf(const MPlug& plug)
{
    const Attribute& a = *PlugAttribute(plug);
    if (plug.isArray())
        return "TdataCompound";
    if (a.kind == AttributeKind::kMessage)
        return "message";
    if (a.kind == AttributeKind::kMatrix)
        return "matrix";
    if (IsNumber(a))
    {
        const unsigned n = a.ComponentCount();
        if (a.numericType == MFnNumericData::k4Double)
            return "double4";
        return n == 1 ? NumberTypeName(a) : TupleBase(a) + std::to_string(n);
    }
    if (IsNumberCompound(a))
    {
        // Children of one kind make a tuple type; mixed ones do not.
        const std::string base = TupleBase(*a.children[0]);
        for (const auto& child : a.children)
            if (TupleBase(*child) != base || a.children.size() > 4)
                return "TdataCompound";
        return base + std::to_string(a.children.size());
    }
    if (a.kind == AttributeKind::kTyped)
    {
        int type = a.dataType;
        if (type == MFnData::kAny)
            type = DataTypeOfObject(plug.asMObject());
        if (const char* name = DataTypeNameOf(type))
            return name;
    }
    return "TdataCompound";
}

// Reads --------------------------------------------------------------------------

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

// The attribute that types and shows number c of a: the child of a pair or
// triple (a double3 with distance children, made with addAttr -p), or a
// itself.
const Attribute& ComponentAttribute(const Attribute& a, unsigned c)
{
    return a.IsTuple() && c < a.children.size() ? *a.children[c] : a;
}

void AppendNumber(const Attribute& a, double internal, CommandResult& result)
{
    if (a.IsIntegral())
        result.AppendInt(static_cast<int>(internal));
    else
        result.AppendDouble(AsShown(a, InternalToScript(a, internal)));
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
    if (IsNumber(a))
    {
        // The numbers of a pair or triple live side by side in its stored
        // value; each is shown as its child would show it.
        const DataNode* data = plug.HostNode()->Evaluate(plug.Steps(), status);
        if (!data)
            return status;
        for (unsigned c = 0; c < a.ComponentCount(); ++c)
            AppendNumber(ComponentAttribute(a, c), data->numbers[c], result);
        return MStatus::kSuccess;
    }
    if (IsNumberCompound(a))
    {
        // The compound first: a connection to it fills its children.
        if (!plug.HostNode()->Evaluate(plug.Steps(), status))
            return status;
        for (unsigned i = 0; status && i < plug.numChildren(); ++i)
            status = AppendValue(plug.child(i), result, error);
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
            return MStatus::kSuccess;
        }
        if (const PointArrayData* p = PointArrayData::From(data))
        {
            for (unsigned i = 0; i < p->value.length(); ++i)
                for (const double x : {p->value[i].x, p->value[i].y, p->value[i].z, p->value[i].w})
                    result.AppendDouble(x);
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

// getAttr [-size | -type] plug
MStatus GetAttrCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("s", "size")
                                           .AddFlag("typ", "type")
                                           .AddFlag("sl", "silent")
                                           .SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name, error;
    args.Positionals().GetString(0, name);
    const MPlug plug = LookUpPlug(name, error);
    if (plug.isNull())
        return ReportCommandError(statement, error, MStatus::kInvalidParameter);

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
    if (PlugAttribute(plug)->kind == AttributeKind::kMessage)
        return ReportCommandError(statement, "Message attributes have no data values.",
                                  MStatus::kInvalidParameter);
    // A child or element fed through its compound or array is filled in
    // when that is read.
    if (const MPlug driving = DrivingPlug(plug); !driving.isNull() && driving != plug)
        plug.HostNode()->Evaluate(driving.Steps(), status);
    if (status)
        status = AppendValue(plug, result, error);
    if (!status)
    {
        result.Clear();
        const std::string reason = StatusText(status);
        return ReportCommandError(statement, error.empty() ? kNoValue + (" " + reason) : error,
                                  status.statusCode());
    }
    // One number is a single result; a tuple or array data is a list even
    // when it has only one item.
    const Attribute& a = *PlugAttribute(plug);
    if (!plug.isArray() && IsNumber(a) && a.ComponentCount() == 1)
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
    return MStatus::kSuccess;
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

// setAttr plug [-type T] values...
MStatus SetAttrCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax().AddFlag("typ", "type", 1).SetPositionalCount(1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    const ScriptValues values = args.Positionals();
    std::string name, type, error;
    values.GetString(0, name);
    if (status = args.ReadFlagValue("type", type); !status)
        return status;
    MPlug plug = LookUpPlug(name, error);
    if (plug.isNull())
        return ReportCommandError(statement, error, MStatus::kInvalidParameter);
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
    PlugPath fed;
    if (const Connection* c = plug.HostNode()->Feed(plug.Steps(), true, fed))
        return ReportCommandError(statement, "The attribute " + Quoted(plug) +
                                                 " is locked or connected and cannot be modified. " +
                                                 FeedText(plug, *c, fed));

    const unsigned given = values.Count() - 1;
    const bool numbers = IsNumber(a) || IsNumberCompound(a);
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
    if (!Scene::Get().Disconnect(source, destination))
        return ReportCommandError(statement,
                                  "There is no connection from " + Quoted(source) + " to " +
                                      Quoted(destination) + " to disconnect.",
                                  MStatus::kInvalidParameter);
    result.SetString("Disconnect " + std::string(source.name().asChar()) + " from " +
                     std::string(destination.name().asChar()) + ".");
    return MStatus::kSuccess;
}

const CommandRegistrar kGetAttr("getAttr", GetAttrCommand);
const CommandRegistrar kSetAttr("setAttr", SetAttrCommand);
const CommandRegistrar kConnectAttr("connectAttr", ConnectAttrCommand);
const CommandRegistrar kDisconnectAttr("disconnectAttr", DisconnectAttrCommand);
} // namespace
} // namespace vxhost
