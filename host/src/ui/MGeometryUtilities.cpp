// Display status from the selection, visibility and intermediate state.
#include "dg/Scene.h"

#include <maya/MHWGeometryUtilities.h>

using namespace vxhost;

OPENMAYA_MAJOR_NAMESPACE_OPEN
namespace MHWRender
{
namespace
{
// A boolean attribute's value, or fallback when the node has no such
// attribute or it cannot be read.
bool BoolAttribute(Node& node, const char* name, bool fallback)
{
    const Attribute* attribute = node.FindAttribute(name);
    if (!attribute)
        return fallback;
    MStatus status;
    const DataNode* data = node.Evaluate(node.PathTo(attribute), status);
    return status && data ? data->numbers[0] != 0.0 : fallback;
}
} // namespace

DisplayStatus MGeometryUtilities::displayStatus(const MDagPath& path, MStatus* returnStatus)
{
    MStatus status;
    Node* node = Node::From(path.node(&status));
    if (!status || !node)
    {
        if (returnStatus)
            *returnStatus = MStatus(MStatus::kInvalidParameter, "the path leads to no node");
        return kNoStatus;
    }
    if (returnStatus)
        *returnStatus = MStatus::kSuccess;
    if (BoolAttribute(*node, "intermediateObject", false))
        return kIntermediateObject;
    for (Node* n = node; n; n = n->parent)
        if (!BoolAttribute(*n, "visibility", true))
            return kInvisible;

    // Selecting a transform selects what it draws: the node or any of its
    // ancestors counts.
    const std::vector<std::shared_ptr<Node>>& selection = Scene::Get().Selection();
    for (std::size_t i = selection.size(); i-- > 0;)
        for (const Node* n = node; n; n = n->parent)
            if (selection[i].get() == n)
                return i + 1 == selection.size() ? kLead : kActive;
    return kDormant;
}
} // namespace MHWRender
OPENMAYA_NAMESPACE_CLOSE
