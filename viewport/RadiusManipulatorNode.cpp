#include "RadiusManipulatorNode.h"

#include "CirclePoints.h"

#include <maya/MDagPath.h>
#include <maya/MFnCamera.h>
#include <maya/MFnTransform.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MSelectionList.h>
#include <maya/MUIDrawManager.h>

using MHWRender::MUIDrawManager;

const MTypeId RadiusManipulatorNode::id(0x123B46);
const char* const RadiusManipulatorNode::typeName = "QF_VX_radiusManipulatorNode";

namespace
{
/// Below this |n . direction| the mouse ray counts as parallel to the drag
/// plane and meets it nowhere useful.
constexpr double kParallelLimit = 1e-5;
} // namespace

void* RadiusManipulatorNode::creator()
{
    return new RadiusManipulatorNode();
}

MStatus RadiusManipulatorNode::initialize()
{
    return MS::kSuccess;
}

void RadiusManipulatorNode::postConstructor()
{
    glFirstHandle(handleName_);
}

void RadiusManipulatorNode::preDrawUI(const M3dView& view)
{
    // getCamera is not const in Maya's API: ask a copy of the view.
    M3dView cameraView(view);
    MDagPath camera;
    MStatus status = cameraView.getCamera(camera);
    if (!status)
    {
        visible_ = false;
        return;
    }
    const MFnCamera cameraFn(camera, &status);
    if (!status || cameraFn.name().length() == 0)
    {
        visible_ = false;
        return;
    }
    visible_ = true;
    handleColour_ = mainColor();

    double radius = 1.0;
    if (!radiusPlug.isNull())
    {
        double value = 0.0;
        // An unreadable plug keeps last frame's circle.
        if (!radiusPlug.getValue(value))
            return;
        radius = value * scale;
    }
    BuildCircle(radius);
}

void RadiusManipulatorNode::drawUI(MUIDrawManager& drawManager, const MHWRender::MFrameContext&) const
{
    if (!visible_)
        return;
    drawManager.beginDrawable(MUIDrawManager::kSelectable, handleName_);
    setHandleColor(drawManager, handleName_, handleColour_);
    drawManager.setLineWidth(2.0f);
    drawManager.mesh(MUIDrawManager::kClosedLine, circlePoints_);
    drawManager.setLineWidth(1.0f);
    drawManager.endDrawable();
}

MStatus RadiusManipulatorNode::doPress(M3dView&)
{
    dragPoint_ = MPoint(0.0, 0.0, 0.0, 1.0);
    const MVector n = normal.normal();
    dragPlane_[0] = n.x;
    dragPlane_[1] = n.y;
    dragPlane_[2] = n.z;
    dragPlane_[3] = -(n * MVector(centre));
    DragUpdate();
    return MS::kSuccess;
}

MStatus RadiusManipulatorNode::doDrag(M3dView&)
{
    DragUpdate();
    return MS::kSuccess;
}

MStatus RadiusManipulatorNode::doRelease(M3dView&)
{
    MSelectionList selection;
    MStatus status = MGlobal::getActiveSelectionList(selection);
    if (!status)
        return status;
    for (unsigned int i = 0; i < selection.length(); ++i)
    {
        MObject node;
        if (!(status = selection.getDependNode(i, node)))
            return status;
        const MFnTransform transformFn(node, &status);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}

void RadiusManipulatorNode::DragUpdate()
{
    MPoint origin;
    MVector direction;
    if (!mouseRay(origin, direction))
        return;
    const MVector n(dragPlane_[0], dragPlane_[1], dragPlane_[2]);
    const double denominator = n * direction;
    if (denominator > -kParallelLimit && denominator < kParallelLimit)
        return;
    // A plane behind the ray's origin is met as well: the circle follows the
    // mouse whichever side of it the camera is.
    const double t = -(n * MVector(origin) + dragPlane_[3]) / denominator;
    dragPoint_ = origin + direction * t;

    const double value = dragPoint_.distanceTo(centre) / scale;
    MGLuint active = 0;
    glActiveName(active);
    if (active == handleName_ && !radiusPlug.isNull())
        radiusPlug.setValue(value);
}

void RadiusManipulatorNode::BuildCircle(double radius)
{
    circlePoints_.clear();
    circlepoints::AppendOrientedCircle(centre, normal, radius, circlePoints_);
}
