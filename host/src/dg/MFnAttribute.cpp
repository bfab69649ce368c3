// The attribute function sets: they create attributes and edit the shared
// description behind an attribute MObject.
#include "Attribute.h"
#include "Names.h"

#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMessageAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>

#include <algorithm>

using vxhost::Attribute;
using vxhost::AttributeKind;
using vxhost::IsValidName;
using vxhost::QuotedName;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

std::shared_ptr<Attribute> NewAttribute(AttributeKind kind, const MString& fullName, const MString& briefName)
{
    auto attribute = std::make_shared<Attribute>();
    attribute->kind = kind;
    attribute->name = fullName.asChar();
    attribute->shortName = briefName.length() ? briefName.asChar() : fullName.asChar();
    return attribute;
}

bool ValidNames(const MString& fullName, MStatus* ReturnStatus)
{
    if (fullName.length() == 0)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "an attribute needs a name"));
        return false;
    }
    if (!IsValidName(fullName.asChar()))
    {
        Report(ReturnStatus,
               MStatus(MStatus::kInvalidParameter,
                       MString(QuotedName(fullName.asChar()).c_str()) + " is not a valid attribute name."));
        return false;
    }
    return true;
}
} // namespace

// MFnAttribute ---------------------------------------------------------------

MFnAttribute::MFnAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

bool MFnAttribute::Accepts(const MObject& object) const
{
    return object.hasFn(type());
}

Attribute* MFnAttribute::Attr(MStatus* ReturnStatus) const
{
    Attribute* attribute = Attribute::From(fObject);
    Report(ReturnStatus, attribute ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return attribute;
}

MObject MFnAttribute::Adopt(const std::shared_ptr<Attribute>& attribute, MStatus* ReturnStatus)
{
    fObject = MObject(attribute);
    Report(ReturnStatus, MStatus::kSuccess);
    return fObject;
}

MString MFnAttribute::name() const
{
    const Attribute* a = Attr();
    return a ? MString(a->name.c_str()) : MString();
}

MString MFnAttribute::shortName() const
{
    const Attribute* a = Attr();
    return a ? MString(a->shortName.c_str()) : MString();
}

MObject MFnAttribute::parent(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    if (!a || !a->parent)
        return MObject();
    return MObject(a->parent->shared_from_this());
}

// The flags a pair or triple shares with its children, as Maya's numeric
// compounds do; array-ness stays the parent's own.
#define VX_FLAG(getter, setter, field, shared)                                                               \
    bool MFnAttribute::getter(MStatus* ReturnStatus) const                                                   \
    {                                                                                                        \
        const Attribute* a = Attr(ReturnStatus);                                                             \
        return a && a->field;                                                                                \
    }                                                                                                        \
    MStatus MFnAttribute::setter(bool state)                                                                 \
    {                                                                                                        \
        MStatus status;                                                                                      \
        if (Attribute* a = Attr(&status))                                                                    \
        {                                                                                                    \
            a->field = state;                                                                                \
            if (shared && a->IsTuple())                                                                      \
                for (const auto& child : a->children)                                                        \
                    child->field = state;                                                                    \
        }                                                                                                    \
        return status;                                                                                       \
    }
VX_FLAG(isReadable, setReadable, readable, true)
VX_FLAG(isWritable, setWritable, writable, true)
VX_FLAG(isConnectable, setConnectable, connectable, true)
VX_FLAG(isStorable, setStorable, storable, true)
VX_FLAG(isKeyable, setKeyable, keyable, true)
VX_FLAG(isHidden, setHidden, hidden, true)
VX_FLAG(isArray, setArray, array, false)
VX_FLAG(isChannelBoxFlagSet, setChannelBox, channelBox, true)
VX_FLAG(usesArrayDataBuilder, setUsesArrayDataBuilder, usesArrayDataBuilder, false)
VX_FLAG(indexMatters, setIndexMatters, indexMatters, false)
#undef VX_FLAG

bool MFnAttribute::isDynamic(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->dynamic;
}

MFnAttribute::DisconnectBehavior MFnAttribute::disconnectBehavior(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a ? static_cast<DisconnectBehavior>(a->disconnectBehavior) : kNothing;
}

MStatus MFnAttribute::setCached(bool)
{
    MStatus status;
    Attr(&status);
    return status;
}

MStatus MFnAttribute::setAffectsAppearance(bool)
{
    MStatus status;
    Attr(&status);
    return status;
}

MStatus MFnAttribute::setDisconnectBehavior(DisconnectBehavior behavior)
{
    MStatus status;
    if (Attribute* a = Attr(&status))
        a->disconnectBehavior = behavior;
    return status;
}

// MFnNumericAttribute ----------------------------------------------------------

MFnNumericAttribute::MFnNumericAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    MFnNumericData::Type unitType, double defaultValue, MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    if (unitType <= MFnNumericData::kInvalid || unitType >= MFnNumericData::kLast ||
        unitType == MFnNumericData::kAddr)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "unsupported numeric type"));
        return MObject();
    }
    auto attribute = NewAttribute(AttributeKind::kNumeric, fullName, briefName);
    attribute->numericType = unitType;
    std::fill(std::begin(attribute->defaults), std::end(attribute->defaults), defaultValue);
    attribute->MakeTupleChildren();
    return Adopt(attribute, ReturnStatus);
}

MObject MFnNumericAttribute::child(unsigned int index, MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    if (!a || index >= a->children.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "no child with that index"));
        return MObject();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return MObject(a->children[index]);
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a ? static_cast<MFnNumericData::Type>(a->numericType) : MFnNumericData::kInvalid;
}

namespace
{
using Triple = double (Attribute::*)[3];

// The children of a pair or triple hold its numbers one by one: each takes
// its component's default and limits.
MStatus SetTriple(Attribute* a, Triple field, double x, double y, double z, bool Attribute::*flag = nullptr)
{
    if (!a)
        return MStatus::kInvalidParameter;
    (a->*field)[0] = x;
    (a->*field)[1] = y;
    (a->*field)[2] = z;
    if (flag)
        a->*flag = true;
    if (a->IsTuple())
        for (std::size_t c = 0; c < a->children.size(); ++c)
            SetTriple(a->children[c].get(), field, (a->*field)[c], (a->*field)[c], (a->*field)[c], flag);
    return MStatus::kSuccess;
}

MStatus GetTriple(const Attribute* a, Triple field, bool has, double* x, double* y = nullptr,
                  double* z = nullptr)
{
    if (!a)
        return MStatus::kInvalidParameter;
    if (!has)
        return MStatus::kFailure;
    *x = (a->*field)[0];
    if (y)
        *y = (a->*field)[1];
    if (z)
        *z = (a->*field)[2];
    return MStatus::kSuccess;
}
MStatus SetSoft(Attribute* a, double Attribute::*field, bool Attribute::*flag, double value)
{
    if (!a)
        return MStatus::kInvalidParameter;
    a->*field = value;
    a->*flag = true;
    if (a->IsTuple())
        for (const auto& child : a->children)
            SetSoft(child.get(), field, flag, value);
    return MStatus::kSuccess;
}

MStatus GetSoft(const Attribute* a, double Attribute::*field, bool Attribute::*flag, double& value)
{
    if (!a)
        return MStatus::kInvalidParameter;
    if (!(a->*flag))
        return MStatus::kFailure;
    value = a->*field;
    return MStatus::kSuccess;
}
} // namespace

MStatus MFnNumericAttribute::setDefault(bool value)
{
    return setDefault(value ? 1.0 : 0.0);
}
MStatus MFnNumericAttribute::setDefault(int value)
{
    return setDefault(static_cast<double>(value));
}
MStatus MFnNumericAttribute::setDefault(int a, int b)
{
    return setDefault(static_cast<double>(a), static_cast<double>(b));
}
MStatus MFnNumericAttribute::setDefault(int a, int b, int c)
{
    return setDefault(static_cast<double>(a), static_cast<double>(b), static_cast<double>(c));
}
MStatus MFnNumericAttribute::setDefault(double value)
{
    return SetTriple(Attr(), &Attribute::defaults, value, value, value);
}
MStatus MFnNumericAttribute::setDefault(double a, double b)
{
    return SetTriple(Attr(), &Attribute::defaults, a, b, 0.0);
}
MStatus MFnNumericAttribute::setDefault(double a, double b, double c)
{
    return SetTriple(Attr(), &Attribute::defaults, a, b, c);
}
MStatus MFnNumericAttribute::getDefault(bool& value) const
{
    double d = 0.0;
    const MStatus status = getDefault(d);
    value = d != 0.0;
    return status;
}
MStatus MFnNumericAttribute::getDefault(int& value) const
{
    double d = 0.0;
    const MStatus status = getDefault(d);
    value = static_cast<int>(d);
    return status;
}
MStatus MFnNumericAttribute::getDefault(int& a, int& b) const
{
    double x = 0.0, y = 0.0;
    const MStatus status = getDefault(x, y);
    a = static_cast<int>(x);
    b = static_cast<int>(y);
    return status;
}
MStatus MFnNumericAttribute::getDefault(double& value) const
{
    return GetTriple(Attr(), &Attribute::defaults, true, &value);
}
MStatus MFnNumericAttribute::getDefault(double& a, double& b) const
{
    return GetTriple(Attr(), &Attribute::defaults, true, &a, &b);
}
MStatus MFnNumericAttribute::getDefault(double& a, double& b, double& c) const
{
    return GetTriple(Attr(), &Attribute::defaults, true, &a, &b, &c);
}

MStatus MFnNumericAttribute::setMin(double value)
{
    return SetTriple(Attr(), &Attribute::min, value, value, value, &Attribute::hasMin);
}
MStatus MFnNumericAttribute::setMin(double a, double b)
{
    return SetTriple(Attr(), &Attribute::min, a, b, b, &Attribute::hasMin);
}
MStatus MFnNumericAttribute::setMin(double a, double b, double c)
{
    return SetTriple(Attr(), &Attribute::min, a, b, c, &Attribute::hasMin);
}
MStatus MFnNumericAttribute::setMax(double value)
{
    return SetTriple(Attr(), &Attribute::max, value, value, value, &Attribute::hasMax);
}
MStatus MFnNumericAttribute::setMax(double a, double b)
{
    return SetTriple(Attr(), &Attribute::max, a, b, b, &Attribute::hasMax);
}
MStatus MFnNumericAttribute::setMax(double a, double b, double c)
{
    return SetTriple(Attr(), &Attribute::max, a, b, c, &Attribute::hasMax);
}
MStatus MFnNumericAttribute::setSoftMin(double value)
{
    return SetSoft(Attr(), &Attribute::softMin, &Attribute::hasSoftMin, value);
}
MStatus MFnNumericAttribute::setSoftMax(double value)
{
    return SetSoft(Attr(), &Attribute::softMax, &Attribute::hasSoftMax, value);
}
bool MFnNumericAttribute::hasMin(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasMin;
}
bool MFnNumericAttribute::hasMax(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasMax;
}
bool MFnNumericAttribute::hasSoftMin(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasSoftMin;
}
bool MFnNumericAttribute::hasSoftMax(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasSoftMax;
}
MStatus MFnNumericAttribute::getMin(double& value) const
{
    const Attribute* a = Attr();
    return GetTriple(a, &Attribute::min, a && a->hasMin, &value);
}
MStatus MFnNumericAttribute::getMin(double& x, double& y) const
{
    const Attribute* a = Attr();
    return GetTriple(a, &Attribute::min, a && a->hasMin, &x, &y);
}
MStatus MFnNumericAttribute::getMax(double& value) const
{
    const Attribute* a = Attr();
    return GetTriple(a, &Attribute::max, a && a->hasMax, &value);
}
MStatus MFnNumericAttribute::getMax(double& x, double& y) const
{
    const Attribute* a = Attr();
    return GetTriple(a, &Attribute::max, a && a->hasMax, &x, &y);
}
MStatus MFnNumericAttribute::getSoftMin(double& value) const
{
    return GetSoft(Attr(), &Attribute::softMin, &Attribute::hasSoftMin, value);
}
MStatus MFnNumericAttribute::getSoftMax(double& value) const
{
    return GetSoft(Attr(), &Attribute::softMax, &Attribute::hasSoftMax, value);
}

// MFnUnitAttribute -------------------------------------------------------------

MFnUnitAttribute::MFnUnitAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, Type unitType,
                                 double defaultValue, MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    if (unitType <= kInvalid || unitType >= kLast)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "unsupported unit type"));
        return MObject();
    }
    auto attribute = NewAttribute(AttributeKind::kUnit, fullName, briefName);
    attribute->unitType = unitType;
    std::fill(std::begin(attribute->defaults), std::end(attribute->defaults), defaultValue);
    return Adopt(attribute, ReturnStatus);
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName,
                                 const MDistance& defaultValue, MStatus* ReturnStatus)
{
    return create(fullName, briefName, kDistance, defaultValue.asCentimeters(), ReturnStatus);
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                                 MStatus* ReturnStatus)
{
    return create(fullName, briefName, kTime, defaultValue.as(MTime::kSeconds), ReturnStatus);
}

MFnUnitAttribute::Type MFnUnitAttribute::unitType(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a ? static_cast<Type>(a->unitType) : kInvalid;
}

MStatus MFnUnitAttribute::setDefault(double value)
{
    return SetTriple(Attr(), &Attribute::defaults, value, value, value);
}
MStatus MFnUnitAttribute::setDefault(const MDistance& value)
{
    return setDefault(value.asCentimeters());
}
MStatus MFnUnitAttribute::setDefault(const MTime& value)
{
    return setDefault(value.as(MTime::kSeconds));
}
MStatus MFnUnitAttribute::getDefault(double& value) const
{
    return GetTriple(Attr(), &Attribute::defaults, true, &value);
}
MStatus MFnUnitAttribute::setMin(double value)
{
    return SetTriple(Attr(), &Attribute::min, value, value, value, &Attribute::hasMin);
}
MStatus MFnUnitAttribute::setMin(const MDistance& value)
{
    return setMin(value.asCentimeters());
}
MStatus MFnUnitAttribute::setMax(double value)
{
    return SetTriple(Attr(), &Attribute::max, value, value, value, &Attribute::hasMax);
}
MStatus MFnUnitAttribute::setMax(const MDistance& value)
{
    return setMax(value.asCentimeters());
}
MStatus MFnUnitAttribute::setSoftMin(double value)
{
    return SetSoft(Attr(), &Attribute::softMin, &Attribute::hasSoftMin, value);
}
MStatus MFnUnitAttribute::setSoftMin(const MDistance& value)
{
    return setSoftMin(value.asCentimeters());
}
MStatus MFnUnitAttribute::setSoftMax(double value)
{
    return SetSoft(Attr(), &Attribute::softMax, &Attribute::hasSoftMax, value);
}
MStatus MFnUnitAttribute::setSoftMax(const MDistance& value)
{
    return setSoftMax(value.asCentimeters());
}
bool MFnUnitAttribute::hasMin(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasMin;
}
bool MFnUnitAttribute::hasMax(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasMax;
}
bool MFnUnitAttribute::hasSoftMin(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasSoftMin;
}
bool MFnUnitAttribute::hasSoftMax(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a && a->hasSoftMax;
}
MStatus MFnUnitAttribute::getMin(double& value) const
{
    const Attribute* a = Attr();
    return GetTriple(a, &Attribute::min, a && a->hasMin, &value);
}
MStatus MFnUnitAttribute::getMax(double& value) const
{
    const Attribute* a = Attr();
    return GetTriple(a, &Attribute::max, a && a->hasMax, &value);
}
MStatus MFnUnitAttribute::getSoftMin(double& value) const
{
    return GetSoft(Attr(), &Attribute::softMin, &Attribute::hasSoftMin, value);
}
MStatus MFnUnitAttribute::getSoftMax(double& value) const
{
    return GetSoft(Attr(), &Attribute::softMax, &Attribute::hasSoftMax, value);
}

// MFnEnumAttribute -------------------------------------------------------------

MFnEnumAttribute::MFnEnumAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnEnumAttribute::create(const MString& fullName, const MString& briefName, short defaultValue,
                                 MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    auto attribute = NewAttribute(AttributeKind::kEnum, fullName, briefName);
    attribute->defaults[0] = defaultValue;
    return Adopt(attribute, ReturnStatus);
}

MStatus MFnEnumAttribute::addField(const MString& fieldString, short index)
{
    MStatus status;
    Attribute* a = Attr(&status);
    if (!a)
        return status;
    for (const auto& [name, value] : a->enumFields)
        if (name == fieldString.asChar() || value == index)
            return MStatus(MStatus::kInvalidParameter, "the enum field name or value is taken");
    a->enumFields.emplace_back(fieldString.asChar(), index);
    return MStatus::kSuccess;
}

MString MFnEnumAttribute::fieldName(short index, MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    if (a)
        for (const auto& [name, value] : a->enumFields)
            if (value == index)
                return MString(name.c_str());
    Report(ReturnStatus, MStatus::kInvalidParameter);
    return MString();
}

short MFnEnumAttribute::fieldIndex(const MString& fieldString, MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    if (a)
        for (const auto& [name, value] : a->enumFields)
            if (name == fieldString.asChar())
                return value;
    Report(ReturnStatus, MStatus::kInvalidParameter);
    return 0;
}

MStatus MFnEnumAttribute::getMin(short& minValue) const
{
    const Attribute* a = Attr();
    if (!a || a->enumFields.empty())
        return MStatus::kFailure;
    minValue = std::min_element(a->enumFields.begin(), a->enumFields.end(),
                                [](const auto& l, const auto& r) { return l.second < r.second; })
                   ->second;
    return MStatus::kSuccess;
}

MStatus MFnEnumAttribute::getMax(short& maxValue) const
{
    const Attribute* a = Attr();
    if (!a || a->enumFields.empty())
        return MStatus::kFailure;
    maxValue = std::max_element(a->enumFields.begin(), a->enumFields.end(),
                                [](const auto& l, const auto& r) { return l.second < r.second; })
                   ->second;
    return MStatus::kSuccess;
}

MStatus MFnEnumAttribute::setDefault(short index)
{
    MStatus status;
    if (Attribute* a = Attr(&status))
        a->defaults[0] = index;
    return status;
}

MStatus MFnEnumAttribute::setDefault(const MString& fieldString)
{
    MStatus status;
    const short index = fieldIndex(fieldString, &status);
    return status ? setDefault(index) : status;
}

MStatus MFnEnumAttribute::getDefault(short& index) const
{
    MStatus status;
    if (const Attribute* a = Attr(&status))
        index = static_cast<short>(a->defaults[0]);
    return status;
}

// MFnTypedAttribute ------------------------------------------------------------

MFnTypedAttribute::MFnTypedAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, MFnData::Type dataType,
                                  const MObject& defaultData, MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    auto attribute = NewAttribute(AttributeKind::kTyped, fullName, briefName);
    attribute->dataType = dataType;
    attribute->defaultData = defaultData;
    return Adopt(attribute, ReturnStatus);
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a ? static_cast<MFnData::Type>(a->dataType) : MFnData::kInvalid;
}

MStatus MFnTypedAttribute::setDefault(const MObject& defaultData)
{
    MStatus status;
    if (Attribute* a = Attr(&status))
        a->defaultData = defaultData;
    return status;
}

MStatus MFnTypedAttribute::getDefault(MObject& defaultData) const
{
    MStatus status;
    if (const Attribute* a = Attr(&status))
        defaultData = a->defaultData;
    return status;
}

// MFnMatrixAttribute -----------------------------------------------------------

MFnMatrixAttribute::MFnMatrixAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnMatrixAttribute::create(const MString& fullName, const MString& briefName, Type,
                                   MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    return Adopt(NewAttribute(AttributeKind::kMatrix, fullName, briefName), ReturnStatus);
}

// MFnMessageAttribute ----------------------------------------------------------

MFnMessageAttribute::MFnMessageAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnMessageAttribute::create(const MString& fullName, const MString& briefName, MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    auto attribute = NewAttribute(AttributeKind::kMessage, fullName, briefName);
    attribute->storable = false;
    return Adopt(attribute, ReturnStatus);
}

// MFnCompoundAttribute ---------------------------------------------------------

MFnCompoundAttribute::MFnCompoundAttribute(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MObject MFnCompoundAttribute::create(const MString& fullName, const MString& briefName, MStatus* ReturnStatus)
{
    if (!ValidNames(fullName, ReturnStatus))
        return MObject();
    return Adopt(NewAttribute(AttributeKind::kCompound, fullName, briefName), ReturnStatus);
}

MStatus MFnCompoundAttribute::addChild(const MObject& child)
{
    MStatus status;
    Attribute* a = Attr(&status);
    if (!a)
        return status;
    if (a->kind != AttributeKind::kCompound)
        return MStatus(MStatus::kInvalidParameter, "a numeric pair or triple has the children of its type");
    const std::shared_ptr<Attribute> c = Attribute::Shared(child);
    if (!c || c.get() == a)
        return MStatus(MStatus::kInvalidParameter, "the child is not an attribute");
    // One parent only: a plug's path must be unambiguous.
    if (c->parent || c->added)
        return MStatus(MStatus::kInvalidParameter, "the attribute already has a parent");
    if (a->added)
        return MStatus(MStatus::kFailure, "the compound is already part of a node type");
    c->parent = a;
    a->children.push_back(c);
    return MStatus::kSuccess;
}

MStatus MFnCompoundAttribute::removeChild(const MObject& child)
{
    MStatus status;
    Attribute* a = Attr(&status);
    if (!a)
        return status;
    const int index = a->ChildIndex(Attribute::From(child));
    if (index < 0 || a->added || a->kind != AttributeKind::kCompound)
        return MStatus::kInvalidParameter;
    a->children[static_cast<std::size_t>(index)]->parent = nullptr;
    a->children.erase(a->children.begin() + index);
    return MStatus::kSuccess;
}

unsigned int MFnCompoundAttribute::numChildren(MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    return a ? static_cast<unsigned>(a->children.size()) : 0u;
}

MObject MFnCompoundAttribute::child(unsigned int index, MStatus* ReturnStatus) const
{
    const Attribute* a = Attr(ReturnStatus);
    if (!a || index >= a->children.size())
    {
        Report(ReturnStatus, MStatus::kInvalidParameter);
        return MObject();
    }
    return MObject(a->children[index]);
}
