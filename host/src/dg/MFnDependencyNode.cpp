#include "Names.h"
#include "Scene.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MPlugArray.h>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}
} // namespace

MFnDependencyNode::MFnDependencyNode(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

Node* MFnDependencyNode::HostNode(MStatus* ReturnStatus) const
{
    Node* node = Node::From(fObject);
    if (node && !node->alive)
        node = nullptr;
    Report(ReturnStatus, node ? MStatus::kSuccess : MStatus(MStatus::kInvalidParameter, "no node attached"));
    return node;
}

MObject MFnDependencyNode::create(const MString& type, MStatus* ReturnStatus)
{
    return create(type, MString(), ReturnStatus);
}

MObject MFnDependencyNode::create(const MString& type, const MString& name, MStatus* ReturnStatus)
{
    MStatus status;
    const std::shared_ptr<Node> node = Scene::Get().CreateNode(type.asChar(), name.asChar(), nullptr, status);
    Report(ReturnStatus, status);
    fObject = node ? node->Object() : MObject();
    return fObject;
}

MObject MFnDependencyNode::create(const MTypeId& typeId, MStatus* ReturnStatus)
{
    const NodeClass* cls = NodeRegistry::Get().Find(typeId);
    if (!cls)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "no node type has that id"));
        return MObject();
    }
    return create(MString(cls->typeName.c_str()), ReturnStatus);
}

MString MFnDependencyNode::name(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node ? MString(node->name.c_str()) : MString();
}

MString MFnDependencyNode::setName(const MString& name, bool, MStatus* ReturnStatus)
{
    Node* node = HostNode(ReturnStatus);
    if (!node)
        return MString();
    if (name.length() == 0)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "a node needs a name"));
        return MString(node->name.c_str());
    }
    if (!IsValidName(name.asChar()))
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, MString(QuotedName(name.asChar()).c_str()) +
                                                                     " is not a valid node name."));
        return MString(node->name.c_str());
    }
    return MString(Scene::Get().Rename(*node, name.asChar()).c_str());
}

MTypeId MFnDependencyNode::typeId(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node ? node->cls->id : MTypeId();
}

MString MFnDependencyNode::typeName(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node ? MString(node->cls->typeName.c_str()) : MString();
}

MPlug MFnDependencyNode::findPlug(const MString& attrName, bool, MStatus* ReturnStatus) const
{
    Node* node = HostNode(ReturnStatus);
    if (!node)
        return MPlug();
    const Attribute* attribute = node->FindAttribute(attrName.asChar());
    if (!attribute)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, MString("no attribute named ") + attrName +
                                                                     " on " + node->name.c_str()));
        return MPlug();
    }
    return MPlug(node->Self(), node->PathTo(attribute));
}

MPlug MFnDependencyNode::findPlug(const MObject& attribute, bool, MStatus* ReturnStatus) const
{
    Node* node = HostNode(ReturnStatus);
    const Attribute* a = Attribute::From(attribute);
    if (!node || !node->Owns(a))
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the attribute is not one of the node's"));
        return MPlug();
    }
    return MPlug(node->Self(), node->PathTo(a));
}

MObject MFnDependencyNode::attribute(const MString& attrName, MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    const Attribute* a = node ? node->FindAttribute(attrName.asChar()) : nullptr;
    if (node && !a)
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, MString("no attribute named ") + attrName));
    return a ? MObject(const_cast<Attribute*>(a)->shared_from_this()) : MObject();
}

unsigned int MFnDependencyNode::attributeCount(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    if (!node)
        return 0;
    std::vector<const Attribute*> all;
    node->AllAttributes(all);
    return static_cast<unsigned>(all.size());
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    if (!node)
        return MObject();
    std::vector<const Attribute*> all;
    node->AllAttributes(all);
    if (index >= all.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "attribute index out of range"));
        return MObject();
    }
    return MObject(const_cast<Attribute*>(all[index])->shared_from_this());
}

bool MFnDependencyNode::hasAttribute(const MString& name, MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node && node->FindAttribute(name.asChar());
}

MStatus MFnDependencyNode::addAttribute(const MObject& attribute)
{
    MStatus status;
    Node* node = HostNode(&status);
    return node ? node->AddDynamicAttribute(Attribute::Shared(attribute)) : status;
}

MStatus MFnDependencyNode::removeAttribute(const MObject& attribute)
{
    MStatus status;
    Node* node = HostNode(&status);
    return node ? node->RemoveDynamicAttribute(Attribute::From(attribute)) : status;
}

MStatus MFnDependencyNode::getConnections(MPlugArray& array) const
{
    array.clear();
    MStatus status;
    Node* node = HostNode(&status);
    if (!node)
        return status;
    for (const Connection& c : Scene::Get().Connections())
    {
        const MPlug plug = c.source.get() == node        ? MPlug(c.source, c.sourcePath)
                           : c.destination.get() == node ? MPlug(c.destination, c.destinationPath)
                                                         : MPlug();
        if (plug.isNull())
            continue;
        bool seen = false;
        for (unsigned i = 0; i < array.length() && !seen; ++i)
            seen = array[i] == plug;
        if (!seen)
            array.append(plug);
    }
    return MStatus::kSuccess;
}

MPxNode* MFnDependencyNode::userNode(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node && !node->cls->plugin.empty() ? node->behaviour.get() : nullptr;
}

MString MFnDependencyNode::classification(const MString& nodeTypeName)
{
    const NodeClass* cls = NodeRegistry::Get().Find(nodeTypeName.asChar());
    return cls ? MString(cls->classification.c_str()) : MString();
}
