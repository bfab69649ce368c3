#pragma once
/// \file AttributeTypes.h
/// Maya's names for what an attribute or plug holds, as getAttr -type and
/// attributeQuery -attributeType print them, and the questions behind them.

#include "dg/Attribute.h"

#include <maya/MPlug.h>

#include <string>

namespace vxhost
{
/// A numeric, unit or enum attribute: its values are numbers.
bool IsNumberAttribute(const Attribute& a);
/// A float, float2 or float3 attribute, which shows a float's digits.
bool IsFloat(const Attribute& a);
/// A compound of single numbers only (translate, a colour): set and read
/// as one tuple of its children's values.
bool IsNumberCompound(const Attribute& a);
/// Maya's name of a single number type, without a count ("double", "long",
/// "doubleLinear", "enum").
const char* NumberTypeName(const Attribute& a);
/// The base of a tuple's type name: a compound of distances is a "double3",
/// as translate is.
std::string TupleBase(const Attribute& a);
/// The name of an MFnData::Type ("doubleArray"); null for one without.
const char* DataTypeNameOf(int type);
/// The MFnData::Type of a data object, for attributes that take any data.
int DataTypeOfObject(const MObject& data);
/// The attribute that types and shows number c of a: the child of a pair or
/// triple (a double3 with distance children, made with addAttr -p), or a
/// itself.
const Attribute& ComponentAttribute(const Attribute& a, unsigned c);
/// getAttr -type: Maya's name for what the plug holds ("double3",
/// "doubleArray", "TdataCompound" for an array plug or a compound of data).
std::string TypeNameOf(const MPlug& plug);
} // namespace vxhost
