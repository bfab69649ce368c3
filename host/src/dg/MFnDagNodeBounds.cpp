// MFnDagNode::boundingBox: what a draw override frames and culls with.
#include "BuiltinNodes.h"
#include "LocatorNodes.h"

#include <maya/MFnDagNode.h>

namespace
{
MBoundingBox Bounds(vxhost::Node& node, MStatus& status)
{
    MBoundingBox box;
    if (vxhost::LocatorBoundingBox(node, box) || !node.cls->IsA("transform"))
        return box;
    for (const auto& child : node.children)
    {
        MBoundingBox inner = Bounds(*child, status);
        if (!status)
            break;
        inner.transformUsing(vxhost::LocalTransformation(*child, status).asMatrix());
        box.expand(inner);
    }
    return box;
}
} // namespace

MBoundingBox MFnDagNode::boundingBox(MStatus* ReturnStatus) const
{
    MStatus status;
    vxhost::Node* node = HostNode(&status);
    const MBoundingBox box = node ? Bounds(*node, status) : MBoundingBox();
    if (ReturnStatus)
        *ReturnStatus = status;
    return box;
}
