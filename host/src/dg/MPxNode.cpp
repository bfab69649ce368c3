#include "NodeClass.h"
#include "Scene.h"

#include <maya/MPxFieldNode.h>
#include <maya/MPxNode.h>

using namespace vxhost;

MObject MPxNode::message;
MObject MPxNode::isHistoricallyInteresting;
MObject MPxNode::caching;
MObject MPxNode::state;
MObject MPxNode::frozen;

MStatus MPxNode::compute(const MPlug&, MDataBlock&)
{
    return MStatus::kUnknownParameter;
}

MObject MPxNode::thisMObject() const
{
    return fHostNode ? fHostNode->Object() : MObject();
}

MString MPxNode::name() const
{
    return fHostNode ? MString(fHostNode->name.c_str()) : MString();
}

MTypeId MPxNode::typeId() const
{
    return fHostNode ? fHostNode->cls->id : MTypeId();
}

MString MPxNode::typeName() const
{
    return fHostNode ? MString(fHostNode->cls->typeName.c_str()) : MString();
}

namespace
{
void MarkAdded(Attribute& attribute)
{
    attribute.added = true;
    for (const auto& child : attribute.children)
        MarkAdded(*child);
}

bool NameTaken(const NodeClass& cls, const Attribute& attribute)
{
    if (cls.Find(attribute.name) || cls.Find(attribute.shortName))
        return true;
    for (const auto& child : attribute.children)
        if (NameTaken(cls, *child))
            return true;
    return false;
}
} // namespace

MStatus MPxNode::addAttribute(const MObject& attribute)
{
    NodeClass* cls = NodeRegistry::Get().Initialising();
    if (!cls)
        return MStatus(MStatus::kFailure, "attributes are added while a node type initialises");
    const std::shared_ptr<Attribute> a = Attribute::Shared(attribute);
    if (!a)
        return MStatus(MStatus::kInvalidParameter, "not an attribute");
    if (a->parent)
        return MStatus(MStatus::kInvalidParameter,
                       MString("\"") + a->name.c_str() + "\" is a child: it comes with its compound");
    if (a->added)
        return MStatus(MStatus::kInvalidParameter, MString("\"") + a->name.c_str() + "\" is already added");
    if (NameTaken(*cls, *a))
        return MStatus(MStatus::kInvalidParameter,
                       MString("an attribute of the type already has the name of \"") + a->name.c_str() +
                           "\"");
    MarkAdded(*a);
    cls->attributes.push_back(a);
    return MStatus::kSuccess;
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected)
{
    NodeClass* cls = NodeRegistry::Get().Initialising();
    if (!cls)
        return MStatus(MStatus::kFailure, "affects relations are declared while a node type initialises");
    const Attribute* from = Attribute::From(whenChanges);
    const Attribute* to = Attribute::From(isAffected);
    if (!from || !to || !cls->Owns(from) || !cls->Owns(to))
        return MStatus(MStatus::kInvalidParameter, "both attributes must belong to the node type");
    cls->affects.emplace_back(from, to);
    return MStatus::kSuccess;
}

MStatus MPxNode::inheritAttributesFrom(const MString& parentClassName)
{
    NodeClass* cls = NodeRegistry::Get().Initialising();
    const NodeClass* parent = NodeRegistry::Get().Find(parentClassName.asChar());
    if (!cls || !parent || parent == cls)
        return MStatus(MStatus::kInvalidParameter, MString("cannot inherit from ") + parentClassName);
    if (!cls->attributes.empty())
        return MStatus(MStatus::kFailure, "inherit before adding attributes");
    cls->parent = parent;
    return MStatus::kSuccess;
}

// The field attributes, made by the abstract "field" node type.
MObject MPxFieldNode::mInputData;
MObject MPxFieldNode::mInputPositions;
MObject MPxFieldNode::mInputVelocities;
MObject MPxFieldNode::mInputMass;
MObject MPxFieldNode::mDeltaTime;
MObject MPxFieldNode::mInputPPData;
MObject MPxFieldNode::mOwnerPPData;
MObject MPxFieldNode::mOwnerPosData;
MObject MPxFieldNode::mOwnerVelData;
MObject MPxFieldNode::mOutputForce;
MObject MPxFieldNode::mMagnitude;
MObject MPxFieldNode::mAttenuation;
MObject MPxFieldNode::mMaxDistance;
MObject MPxFieldNode::mUseMaxDistance;
MObject MPxFieldNode::mApplyPerVertex;
