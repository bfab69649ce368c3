// Plug-in locators: the attributes they share with the built-in locator,
// and the host's questions to them.
#include "LocatorNodes.h"

#include "Scene.h"

#include <maya/MPxLocatorNode.h>

// Set by the built-in "locator" type when it registers, so that a plug-in
// locator's initialiser can name them in attributeAffects.
MObject MPxLocatorNode::localPosition;
MObject MPxLocatorNode::localScale;

namespace vxhost
{
namespace
{
// The three values of a compound of numbers (as read through connections).
bool ReadTriple(Node& node, const MObject& attribute, double out[3])
{
    const Attribute* a = Attribute::From(attribute);
    if (!a || !node.Owns(a))
        return false;
    MStatus status;
    const DataNode* data = node.Evaluate(node.PathTo(a), status);
    if (!data || data->children.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        out[i] = data->children[static_cast<std::size_t>(i)].numbers[0];
    return true;
}
} // namespace

bool LocatorBoundingBox(Node& node, MBoundingBox& out)
{
    out.clear();
    if (!node.cls->HasFn(MFn::kLocator))
        return false;
    if (const auto* locator = dynamic_cast<const MPxLocatorNode*>(node.behaviour.get()))
    {
        if (!locator->isBounded())
            return false;
        out = locator->boundingBox();
        return true;
    }
    double position[3], scale[3];
    if (!ReadTriple(node, MPxLocatorNode::localPosition, position) ||
        !ReadTriple(node, MPxLocatorNode::localScale, scale))
        return false;
    // The cross reaches localScale along each axis from its centre; a
    // negative scale flips it, and the box holds both ends either way.
    out.expand(MPoint(position[0] - scale[0], position[1] - scale[1], position[2] - scale[2]));
    out.expand(MPoint(position[0] + scale[0], position[1] + scale[1], position[2] + scale[2]));
    return true;
}

bool LocatorIsTransparent(const Node& node)
{
    const auto* locator = dynamic_cast<const MPxLocatorNode*>(node.behaviour.get());
    return locator && locator->isTransparent();
}
} // namespace vxhost
