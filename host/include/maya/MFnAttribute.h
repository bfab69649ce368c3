#pragma once
/// \file MFnAttribute.h
/// The base function set of attributes: names and flags.

#include <maya/MFnBase.h>
#include <maya/MString.h>

namespace vxhost
{
class Attribute;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Works on any attribute. Flags keep Maya's defaults: readable, writable,
/// connectable and storable; not keyable, hidden or array.
class MFnAttribute : public MFnBase
{
public:
    enum DisconnectBehavior
    {
        kDelete,
        kReset,
        kNothing
    };

    MFnAttribute() = default;
    explicit MFnAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kAttribute; }

    MString name() const;
    MString shortName() const;
    /// The compound this attribute is a child of; null at the top level.
    MObject parent(MStatus* ReturnStatus = nullptr) const;

    bool isReadable(MStatus* ReturnStatus = nullptr) const;
    bool isWritable(MStatus* ReturnStatus = nullptr) const;
    bool isConnectable(MStatus* ReturnStatus = nullptr) const;
    bool isStorable(MStatus* ReturnStatus = nullptr) const;
    bool isKeyable(MStatus* ReturnStatus = nullptr) const;
    bool isHidden(MStatus* ReturnStatus = nullptr) const;
    bool isArray(MStatus* ReturnStatus = nullptr) const;
    bool isChannelBoxFlagSet(MStatus* ReturnStatus = nullptr) const;
    bool isDynamic(MStatus* ReturnStatus = nullptr) const;
    bool usesArrayDataBuilder(MStatus* ReturnStatus = nullptr) const;
    bool indexMatters(MStatus* ReturnStatus = nullptr) const;
    DisconnectBehavior disconnectBehavior(MStatus* ReturnStatus = nullptr) const;

    MStatus setReadable(bool state);
    MStatus setWritable(bool state);
    MStatus setConnectable(bool state);
    MStatus setStorable(bool state);
    MStatus setKeyable(bool state);
    MStatus setHidden(bool state);
    MStatus setArray(bool state);
    MStatus setChannelBox(bool state);
    MStatus setCached(bool state);
    MStatus setUsesArrayDataBuilder(bool state);
    MStatus setIndexMatters(bool state);
    MStatus setDisconnectBehavior(DisconnectBehavior behavior);
    MStatus setAffectsAppearance(bool state);

protected:
    bool Accepts(const MObject& object) const override;
#ifdef VXHOST_INTERNAL
    /// The attached attribute, or null (with *ReturnStatus set) when none.
    vxhost::Attribute* Attr(MStatus* ReturnStatus = nullptr) const;
    /// Attaches the set to a new attribute; used by the create functions.
    MObject Adopt(const std::shared_ptr<vxhost::Attribute>& attribute, MStatus* ReturnStatus);
#endif
};

OPENMAYA_NAMESPACE_CLOSE
