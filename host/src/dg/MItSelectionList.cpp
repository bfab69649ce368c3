// Walking a selection list through a type filter.
#include "Scene.h"

#include <maya/MItSelectionList.h>

using namespace vxhost;

namespace
{
// The shapes a plug-in means by "geometry" when it asks for kGeometric:
// something with points or a place to draw, not a particle system.
bool IsGeometricShape(const Node& node)
{
    return node.cls->shape &&
           (node.HasFn(MFn::kNurbsCurve) || node.HasFn(MFn::kMesh) || node.HasFn(MFn::kLocator));
}

Node* FirstShape(const Node& transform)
{
    for (const auto& child : transform.children)
        if (child->cls->shape)
            return child.get();
    return nullptr;
}
} // namespace

MItSelectionList::MItSelectionList(const MSelectionList& list, MFn::Type filter, MStatus* ReturnStatus)
    : fList(list), fFilter(filter)
{
    SkipUnmatched();
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
}

MObject MItSelectionList::Yield(unsigned int index) const
{
    MObject object;
    if (!fList.getDependNode(index, object))
        return MObject();
    Node* node = Node::From(object);
    if (!node || !node->alive)
        return MObject();
    if (fFilter == MFn::kInvalid)
        return object;
    if (fFilter == MFn::kGeometric)
    {
        if (IsGeometricShape(*node))
            return object;
        if (node->cls->IsA("transform"))
            if (Node* shape = FirstShape(*node); shape && IsGeometricShape(*shape))
                return shape->Object();
        return MObject();
    }
    return node->HasFn(fFilter) ? object : MObject();
}

void MItSelectionList::SkipUnmatched()
{
    while (fIndex < fList.length() && Yield(fIndex).isNull())
        ++fIndex;
}

bool MItSelectionList::isDone(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    return fIndex >= fList.length();
}

MStatus MItSelectionList::next()
{
    if (fIndex >= fList.length())
        return MStatus(MStatus::kFailure, "the iteration is done");
    ++fIndex;
    SkipUnmatched();
    return MStatus::kSuccess;
}

MStatus MItSelectionList::reset()
{
    fIndex = 0;
    SkipUnmatched();
    return MStatus::kSuccess;
}

MStatus MItSelectionList::setFilter(MFn::Type filter)
{
    fFilter = filter;
    return reset();
}

MStatus MItSelectionList::getDependNode(MObject& depNode) const
{
    depNode = isDone() ? MObject() : Yield(fIndex);
    return depNode.isNull() ? MStatus(MStatus::kFailure, "the iteration is done") : MStatus::kSuccess;
}

MStatus MItSelectionList::getDagPath(MDagPath& dagPath) const
{
    MObject object;
    if (MStatus status = getDependNode(object); !status)
        return status;
    if (!MDagPath::getAPathTo(object, dagPath))
        return MStatus(MStatus::kFailure, "the item is no DAG node");
    return MStatus::kSuccess;
}

MStatus MItSelectionList::getDagPath(MDagPath& dagPath, MObject& component) const
{
    component = MObject::kNullObj;
    return getDagPath(dagPath);
}

MItSelectionList::selItemType MItSelectionList::itemType(MStatus* ReturnStatus) const
{
    MObject object;
    const MStatus status = getDependNode(object);
    if (ReturnStatus)
        *ReturnStatus = status;
    if (!status)
        return kUnknownItem;
    return object.hasFn(MFn::kDagNode) ? kDagSelectionItem : kDNselectionItem;
}

MStatus MItSelectionList::getStrings(MStringArray& array) const
{
    array.clear();
    MObject object;
    if (MStatus status = getDependNode(object); !status)
        return status;
    array.append(MString(Node::From(object)->name.c_str()));
    return MStatus::kSuccess;
}
