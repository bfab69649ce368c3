// Maya's type names for attributes and plugs.

#include "AttributeTypes.h"

#include "PlugLookup.h"

#include "dg/DataObjects.h"

#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>

namespace vxhost
{
namespace
{
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
} // namespace

bool IsNumberAttribute(const Attribute& a)
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
        if (!IsNumberAttribute(*child) || child->array || child->ComponentCount() != 1)
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
    if (IsNumberAttribute(a))
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

const Attribute& ComponentAttribute(const Attribute& a, unsigned c)
{
    return a.IsTuple() && c < a.children.size() ? *a.children[c] : a;
}

} // namespace vxhost
