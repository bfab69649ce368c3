// The MGlobal services over the scene and the command engine: the active
// selection and running script text.
#include "dg/Scene.h"

#include <maya/MGlobal.h>
#include <maya/MSelectionList.h>
#include <vxhost/CommandEngine.h>

#include <string>

using namespace vxhost;

MStatus MGlobal::getActiveSelectionList(MSelectionList& dest, bool)
{
    // The scene keeps the selection in the order made, which is the order
    // Maya gives when asked for the ordered selection too.
    dest.clear();
    for (const auto& node : Scene::Get().Selection())
        dest.add(node->Object());
    return MStatus::kSuccess;
}

MStatus MGlobal::setActiveSelectionList(const MSelectionList& src)
{
    std::vector<std::shared_ptr<Node>> selection;
    for (unsigned i = 0; i < src.length(); ++i)
    {
        MObject object;
        src.getDependNode(i, object);
        // A node deleted since it was listed cannot be selected.
        if (const std::shared_ptr<Node> node = Node::Shared(object); node && node->alive)
            selection.push_back(node);
    }
    Scene::Get().Selection() = std::move(selection);
    return MStatus::kSuccess;
}

MStatus MGlobal::executeCommand(const MString& command, bool, bool)
{
    // Maya runs a single statement without its ';' ("select -cl"); the
    // script reader wants every statement ended. The engine shows results
    // whatever displayEnabled asks: the host has no quiet statements.
    std::string text = command.asChar();
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    if (end != std::string::npos && text[end] != ';')
        text += ';';
    return CommandEngine::Instance().RunScript(text);
}
