// The manipulator container's base: children, conversions and the
// manipulator connect table.
#include "Manipulators.h"

#include "dg/Node.h"
#include "dg/NodeClass.h"

#include <maya/MPxManipContainer.h>
#include <maya/MPxManipulatorNode.h>

using namespace vxhost;

MPxManipContainer::MPxManipContainer() : fState(std::make_unique<ManipContainerState>())
{
}

// The children (and their plug-in objects) go before the container's own
// members, as their state points into it.
MPxManipContainer::~MPxManipContainer()
{
    fState->children.clear();
}

MStatus MPxManipContainer::initialize()
{
    return MStatus::kSuccess;
}

void MPxManipContainer::addToManipConnectTable(MTypeId& id)
{
    ManipContext::Get().ConnectTable().insert(id.id());
}

void MPxManipContainer::removeFromManipConnectTable(MTypeId& id)
{
    ManipContext::Get().ConnectTable().erase(id.id());
}

MStatus MPxManipContainer::createChildren()
{
    return MStatus::kSuccess;
}

MStatus MPxManipContainer::connectToDependNode(const MObject& node)
{
    fState->node = node;
    for (const auto& child : fState->children)
        if (child.custom)
            if (MStatus status = child.custom->connectToDependNode(node); !status)
                return status;
    ManipContext& context = ManipContext::Get();
    if (context.Container() == this)
        context.Update();
    return MStatus::kSuccess;
}

void MPxManipContainer::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle, M3dView::DisplayStatus)
{
}

void MPxManipContainer::preDrawUI(const M3dView&)
{
}

void MPxManipContainer::drawUI(MHWRender::MUIDrawManager&, const MHWRender::MFrameContext&) const
{
}

MStatus MPxManipContainer::doPress()
{
    return MStatus::kUnknownParameter;
}

MStatus MPxManipContainer::doDrag()
{
    return MStatus::kUnknownParameter;
}

MStatus MPxManipContainer::doRelease()
{
    return MStatus::kUnknownParameter;
}

MDagPath MPxManipContainer::addDistanceManip(const MString& manipName, const MString& distanceName)
{
    HostManip* manip = nullptr;
    ManipContainerState::Child child;
    child.node = MakeDistanceManipNode(manipName.asChar(), *fState, manip);
    child.distance = manip;
    manip->distanceName = distanceName.asChar();
    fState->children.push_back(child);
    MDagPath path;
    MDagPath::getAPathTo(child.node->Object(), path);
    return path;
}

MStatus MPxManipContainer::addMPxManipulatorNode(const MString& manipTypeName, const MString& manipName,
                                                 MPxManipulatorNode*& proxyManip)
{
    const NodeClass* cls = NodeRegistry::Get().Find(manipTypeName.asChar());
    if (!cls || cls->pxType != MPxNode::kManipulatorNode || !cls->creator)
        return MStatus(MStatus::kInvalidParameter, MString("No manipulator node type ") + manipTypeName);
    auto node = std::make_shared<Node>(cls, manipName.asChar());
    MPxNode* behaviour = cls->creator();
    auto* manip = dynamic_cast<MPxManipulatorNode*>(behaviour);
    if (!manip)
    {
        delete behaviour;
        return MStatus(MStatus::kFailure,
                       MString("The creator of ") + manipTypeName + " made no manipulator");
    }
    node->behaviour.reset(behaviour);
    behaviour->SetHostNode(node.get());
    behaviour->postConstructor();
    ManipContainerState::Child child;
    child.node = node;
    child.custom = manip;
    fState->children.push_back(child);
    proxyManip = manip;
    return MStatus::kSuccess;
}

void MPxManipContainer::addPlugToManipConversionCallback(unsigned int manipIndex,
                                                         plugToManipConversionCallback callback)
{
    if (callback)
        fState->plugToManip.emplace_back(manipIndex, callback);
}

unsigned int MPxManipContainer::addManipToPlugConversionCallback(MPlug& plug,
                                                                 manipToPlugConversionCallback callback)
{
    fState->manipToPlug.push_back({plug, callback});
    return static_cast<unsigned int>(fState->manipToPlug.size() - 1);
}

MStatus MPxManipContainer::finishAddingManips()
{
    fState->finished = true;
    return MStatus::kSuccess;
}

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, double& value)
{
    if (manipIndex >= fState->values.size() || fState->values[manipIndex].kind != ManipValue::Kind::kDouble)
        return MStatus::kInvalidParameter;
    value = fState->values[manipIndex].number;
    return MStatus::kSuccess;
}

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, MPoint& point)
{
    if (manipIndex >= fState->values.size() || fState->values[manipIndex].kind != ManipValue::Kind::kPoint)
        return MStatus::kInvalidParameter;
    point = fState->values[manipIndex].point;
    return MStatus::kSuccess;
}

MStatus MPxManipContainer::getConverterManipValue(unsigned int manipIndex, MVector& vector)
{
    if (manipIndex >= fState->values.size() || fState->values[manipIndex].kind != ManipValue::Kind::kVector)
        return MStatus::kInvalidParameter;
    vector = fState->values[manipIndex].vector;
    return MStatus::kSuccess;
}

MStatus MPxManipContainer::getConverterPlugValue(unsigned int plugIndex, double& value)
{
    if (plugIndex >= fState->manipToPlug.size())
        return MStatus::kInvalidParameter;
    MStatus status;
    value = fState->manipToPlug[plugIndex].plug.asDouble(&status);
    return status;
}
