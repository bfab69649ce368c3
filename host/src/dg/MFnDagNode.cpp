// The DAG function sets and paths.
#include "BuiltinNodes.h"
#include "Scene.h"

#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnTransform.h>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

std::string FullPath(const Node& node)
{
    std::string path;
    for (const Node* n = &node; n; n = n->parent)
        path.insert(0, "|" + n->name);
    return path;
}

Node* DagNode(const MObject& object)
{
    Node* node = Node::From(object);
    return node && node->alive && node->cls->dag ? node : nullptr;
}
} // namespace

// MFnDagNode ---------------------------------------------------------------------

MFnDagNode::MFnDagNode(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MFnDagNode::MFnDagNode(const MDagPath& path, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(path.node()));
}

MObject MFnDagNode::create(const MString& type, const MObject& parent, MStatus* ReturnStatus)
{
    return create(type, MString(), parent, ReturnStatus);
}

MObject MFnDagNode::create(const MString& type, const MString& name, const MObject& parent,
                           MStatus* ReturnStatus)
{
    MStatus status;
    Node* p = parent.isNull() ? nullptr : DagNode(parent);
    if (!parent.isNull() && !p)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "the parent is no DAG node"));
        return MObject();
    }
    const std::shared_ptr<Node> node = Scene::Get().CreateNode(type.asChar(), name.asChar(), p, status);
    Report(ReturnStatus, status);
    if (!node)
        return MObject();
    // Like Maya, a shape made without a parent hands back its new transform.
    fObject = node->cls->shape && !p ? node->parent->Object() : node->Object();
    return fObject;
}

unsigned int MFnDagNode::parentCount(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node && node->parent ? 1u : 0u;
}

MObject MFnDagNode::parent(unsigned int index, MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    if (!node || !node->parent || index != 0)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "no parent at that index"));
        return MObject();
    }
    return node->parent->Object();
}

unsigned int MFnDagNode::childCount(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node ? static_cast<unsigned>(node->children.size()) : 0u;
}

MObject MFnDagNode::child(unsigned int index, MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    if (!node || index >= node->children.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "no child at that index"));
        return MObject();
    }
    return node->children[index]->Object();
}

MStatus MFnDagNode::addChild(MObject& child, unsigned int, bool)
{
    MStatus status;
    Node* node = HostNode(&status);
    Node* c = DagNode(child);
    if (!node || !c)
        return node ? MStatus(MStatus::kInvalidParameter, "the child is no DAG node") : status;
    return Scene::Get().Reparent(*c, node);
}

MStatus MFnDagNode::removeChild(MObject& child)
{
    MStatus status;
    Node* node = HostNode(&status);
    Node* c = DagNode(child);
    if (!node || !c || c->parent != node)
        return MStatus(MStatus::kInvalidParameter, "not a child of this node");
    return Scene::Get().Reparent(*c, nullptr);
}

MString MFnDagNode::fullPathName(MStatus* ReturnStatus) const
{
    const Node* node = HostNode(ReturnStatus);
    return node ? MString(FullPath(*node).c_str()) : MString();
}

MString MFnDagNode::partialPathName(MStatus* ReturnStatus) const
{
    return name(ReturnStatus);
}

MStatus MFnDagNode::getPath(MDagPath& path) const
{
    return MDagPath::getAPathTo(fObject, path);
}

MDagPath MFnDagNode::dagPath(MStatus* ReturnStatus) const
{
    MDagPath path;
    Report(ReturnStatus, getPath(path));
    return path;
}

MMatrix MFnDagNode::transformationMatrix(MStatus* ReturnStatus) const
{
    Node* node = HostNode(ReturnStatus);
    if (!node)
        return MMatrix();
    MStatus status;
    const MMatrix m = LocalTransformation(*node, status).asMatrix();
    Report(ReturnStatus, status);
    return m;
}

bool MFnDagNode::isIntermediateObject(MStatus* ReturnStatus) const
{
    const MPlug plug = findPlug("intermediateObject", true, ReturnStatus);
    return !plug.isNull() && plug.asBool();
}

// MDagPath -----------------------------------------------------------------------

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path)
{
    if (!DagNode(node))
        return MStatus(MStatus::kInvalidParameter, "the object is no DAG node");
    path.fNode = node;
    return MStatus::kSuccess;
}

bool MDagPath::isValid(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return DagNode(fNode) != nullptr;
}

MObject MDagPath::node(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isValid() ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return isValid() ? fNode : MObject();
}

MObject MDagPath::transform(MStatus* ReturnStatus) const
{
    Node* node = DagNode(fNode);
    if (!node)
    {
        Report(ReturnStatus, MStatus::kInvalidParameter);
        return MObject();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return node->cls->shape && node->parent ? node->parent->Object() : fNode;
}

MString MDagPath::fullPathName(MStatus* ReturnStatus) const
{
    const Node* node = DagNode(fNode);
    Report(ReturnStatus, node ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return node ? MString(FullPath(*node).c_str()) : MString();
}

MString MDagPath::partialPathName(MStatus* ReturnStatus) const
{
    const Node* node = DagNode(fNode);
    Report(ReturnStatus, node ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return node ? MString(node->name.c_str()) : MString();
}

unsigned int MDagPath::length(MStatus* ReturnStatus) const
{
    unsigned n = 0;
    for (const Node* node = DagNode(fNode); node; node = node->parent)
        ++n;
    Report(ReturnStatus, MStatus::kSuccess);
    return n;
}

MStatus MDagPath::pop(unsigned int num)
{
    Node* node = DagNode(fNode);
    for (unsigned i = 0; i < num && node; ++i)
        node = node->parent;
    if (!node)
        return MStatus(MStatus::kInvalidParameter, "the path is shorter");
    fNode = node->Object();
    return MStatus::kSuccess;
}

MStatus MDagPath::push(const MObject& child)
{
    Node* c = DagNode(child);
    if (!c || c->parent != DagNode(fNode))
        return MStatus(MStatus::kInvalidParameter, "not a child of the path's node");
    fNode = child;
    return MStatus::kSuccess;
}

MStatus MDagPath::extendToShape()
{
    Node* node = DagNode(fNode);
    if (node && node->cls->shape)
        return MStatus::kSuccess;
    if (node)
        for (const auto& child : node->children)
            if (child->cls->shape)
            {
                fNode = child->Object();
                return MStatus::kSuccess;
            }
    return MStatus(MStatus::kFailure, "no shape below the path");
}

unsigned int MDagPath::childCount(MStatus* ReturnStatus) const
{
    const Node* node = DagNode(fNode);
    Report(ReturnStatus, node ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return node ? static_cast<unsigned>(node->children.size()) : 0u;
}

MObject MDagPath::child(unsigned int index, MStatus* ReturnStatus) const
{
    const Node* node = DagNode(fNode);
    if (!node || index >= node->children.size())
    {
        Report(ReturnStatus, MStatus::kInvalidParameter);
        return MObject();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return node->children[index]->Object();
}

MStatus MDagPath::numberOfShapesDirectlyBelow(unsigned int& num) const
{
    num = 0;
    const Node* node = DagNode(fNode);
    if (!node)
        return MStatus::kInvalidParameter;
    for (const auto& child : node->children)
        num += child->cls->shape ? 1u : 0u;
    return MStatus::kSuccess;
}

MFn::Type MDagPath::apiType(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, isValid() ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return isValid() ? fNode.apiType() : MFn::kInvalid;
}

bool MDagPath::hasFn(MFn::Type type, MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return isValid() && fNode.hasFn(type);
}

namespace
{
MMatrix World(const MObject& object, bool inclusive, MStatus* ReturnStatus)
{
    Node* node = DagNode(object);
    if (!node)
    {
        Report(ReturnStatus, MStatus::kInvalidParameter);
        return MMatrix();
    }
    MStatus status;
    Node* start = inclusive ? node : node->parent;
    const MMatrix m = start ? WorldMatrix(*start, status) : MMatrix();
    Report(ReturnStatus, status);
    return m;
}
} // namespace

MMatrix MDagPath::inclusiveMatrix(MStatus* ReturnStatus) const
{
    return World(fNode, true, ReturnStatus);
}
MMatrix MDagPath::inclusiveMatrixInverse(MStatus* ReturnStatus) const
{
    return World(fNode, true, ReturnStatus).inverse();
}
MMatrix MDagPath::exclusiveMatrix(MStatus* ReturnStatus) const
{
    return World(fNode, false, ReturnStatus);
}
MMatrix MDagPath::exclusiveMatrixInverse(MStatus* ReturnStatus) const
{
    return World(fNode, false, ReturnStatus).inverse();
}

// MFnTransform -------------------------------------------------------------------

MFnTransform::MFnTransform(const MObject& object, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(object));
}

MFnTransform::MFnTransform(const MDagPath& path, MStatus* ReturnStatus)
{
    Report(ReturnStatus, setObject(path.node()));
}

MObject MFnTransform::create(const MObject& parent, MStatus* ReturnStatus)
{
    return MFnDagNode::create("transform", parent, ReturnStatus);
}

MTransformationMatrix MFnTransform::transformation(MStatus* ReturnStatus) const
{
    Node* node = HostNode(ReturnStatus);
    if (!node)
        return MTransformationMatrix();
    MStatus status;
    const MTransformationMatrix t = LocalTransformation(*node, status);
    Report(ReturnStatus, status);
    return t;
}

MStatus MFnTransform::set(const MTransformationMatrix& transformation)
{
    MStatus status;
    Node* node = HostNode(&status);
    return node ? SetLocalTransformation(*node, transformation) : status;
}

MVector MFnTransform::getTranslation(MSpace::Space space, MStatus* ReturnStatus) const
{
    Node* node = HostNode(ReturnStatus);
    if (!node)
        return MVector();
    MStatus status;
    MVector result;
    if (space == MSpace::kWorld)
    {
        const MMatrix m = WorldMatrix(*node, status);
        result = MVector(m(3, 0), m(3, 1), m(3, 2));
    }
    else
    {
        result = LocalTransformation(*node, status).getTranslation(MSpace::kTransform);
    }
    Report(ReturnStatus, status);
    return result;
}

MStatus MFnTransform::setTranslation(const MVector& vec, MSpace::Space space)
{
    MStatus status;
    MTransformationMatrix t = transformation(&status);
    if (!status)
        return status;
    MVector local = vec;
    if (space == MSpace::kWorld && HostNode()->parent)
    {
        const MMatrix parentInverse = WorldMatrix(*HostNode()->parent, status).inverse();
        const MPoint p = MPoint(vec) * parentInverse;
        local = MVector(p.x, p.y, p.z);
    }
    t.setTranslation(local, MSpace::kTransform);
    return set(t);
}

MStatus MFnTransform::getRotation(MEulerRotation& rotation) const
{
    MStatus status;
    rotation = transformation(&status).eulerRotation();
    return status;
}

MStatus MFnTransform::setRotation(const MEulerRotation& rotation)
{
    MStatus status;
    MTransformationMatrix t = transformation(&status);
    if (!status)
        return status;
    t.rotateTo(rotation);
    return set(t);
}

MStatus MFnTransform::getScale(double scale[3]) const
{
    MStatus status;
    const MTransformationMatrix t = transformation(&status);
    return status ? t.getScale(scale, MSpace::kTransform) : status;
}

MStatus MFnTransform::setScale(const double scale[3])
{
    MStatus status;
    MTransformationMatrix t = transformation(&status);
    if (!status)
        return status;
    t.setScale(scale, MSpace::kTransform);
    return set(t);
}

MStatus MFnTransform::getShear(double shear[3]) const
{
    MStatus status;
    const MTransformationMatrix t = transformation(&status);
    return status ? t.getShear(shear, MSpace::kTransform) : status;
}

MStatus MFnTransform::setShear(const double shear[3])
{
    MStatus status;
    MTransformationMatrix t = transformation(&status);
    if (!status)
        return status;
    t.setShear(shear, MSpace::kTransform);
    return set(t);
}
