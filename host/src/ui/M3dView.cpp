// The active view and the colour tables.
#include "Cameras.h"

#include "dg/Node.h"

#include <maya/M3dView.h>

#include <algorithm>
#include <cmath>

using namespace vxhost;

namespace
{
// Maya's default user palette, the colours of the colour-index editor
// (components rounded to three places). See M3dView::colorAtIndex.
const MColor kPalette[] = {
    {0.0f, 0.0f, 0.0f},       {0.251f, 0.251f, 0.251f}, {0.6f, 0.6f, 0.6f},       {0.608f, 0.0f, 0.157f},
    {0.0f, 0.016f, 0.376f},   {0.0f, 0.0f, 1.0f},       {0.0f, 0.275f, 0.098f},   {0.149f, 0.0f, 0.263f},
    {0.784f, 0.0f, 0.784f},   {0.541f, 0.282f, 0.2f},   {0.247f, 0.137f, 0.122f}, {0.6f, 0.149f, 0.0f},
    {1.0f, 0.0f, 0.0f},       {0.0f, 1.0f, 0.0f},       {0.0f, 0.255f, 0.6f},     {1.0f, 1.0f, 1.0f},
    {1.0f, 1.0f, 0.0f},       {0.392f, 0.863f, 1.0f},   {0.263f, 1.0f, 0.639f},   {1.0f, 0.69f, 0.69f},
    {0.894f, 0.675f, 0.475f}, {1.0f, 1.0f, 0.388f},     {0.0f, 0.6f, 0.329f},     {0.631f, 0.416f, 0.188f},
    {0.624f, 0.631f, 0.188f}, {0.408f, 0.631f, 0.188f}, {0.188f, 0.631f, 0.365f}, {0.188f, 0.631f, 0.631f},
    {0.188f, 0.404f, 0.631f}, {0.435f, 0.188f, 0.631f}, {0.631f, 0.188f, 0.412f}, {0.471f, 0.471f, 0.471f}};
constexpr unsigned kPaletteSize = sizeof(kPalette) / sizeof(kPalette[0]);

// Maya 2022's default viewport background: a plain colour, and the top and
// bottom of the gradient it shows by default.
const MColor kBackground[] = {{0.361f, 0.361f, 0.361f}, {0.535f, 0.535f, 0.535f}, {0.052f, 0.052f, 0.052f}};
constexpr unsigned kBackgroundSize = sizeof(kBackground) / sizeof(kBackground[0]);

void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

short Clamp16(double v)
{
    return static_cast<short>(std::clamp(std::lround(v), -32768L, 32767L));
}
} // namespace

M3dView M3dView::active3dView(MStatus* ReturnStatus)
{
    Report(ReturnStatus, MStatus::kSuccess);
    return M3dView();
}

MColor M3dView::colorAtIndex(unsigned int index, ColorTable table, MStatus* ReturnStatus) const
{
    const bool background = table == kBackgroundColor;
    const unsigned size = background ? kBackgroundSize : kPaletteSize;
    if (index >= size || table < kActiveColors || table > kBackgroundColor)
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "colour index out of range"));
        return MColor();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return background ? kBackground[index] : kPalette[index];
}

MStatus M3dView::getCamera(MDagPath& camera)
{
    return CameraPath(ActiveView().camera, camera);
}

MStatus M3dView::setCamera(const MDagPath& camera)
{
    MStatus status;
    const MObject node = camera.node(&status);
    if (!status)
        return status;
    const Node* shape = Node::From(node);
    if (!shape || !CameraOfShape(*shape))
        return MStatus(MStatus::kInvalidParameter, "not one of the host's cameras");
    // Shapes are named after their camera with "Shape" appended.
    ActiveView().camera = shape->parent ? shape->parent->name : shape->name;
    return MStatus::kSuccess;
}

int M3dView::portWidth(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return ActiveView().width;
}

int M3dView::portHeight(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return ActiveView().height;
}

bool M3dView::worldToView(const MPoint& worldPt, short& x_pos, short& y_pos, MStatus* ReturnStatus) const
{
    const ViewState& view = ActiveView();
    double x = 0.0, y = 0.0, depth = 0.0;
    const bool inFront = view.MakeProjector().Project(worldPt, x, y, depth);
    Report(ReturnStatus, inFront ? MStatus::kSuccess : MStatus::kFailure);
    if (!inFront)
        return false;
    x_pos = Clamp16(x);
    y_pos = Clamp16(view.height - y);
    return true;
}

MStatus M3dView::viewToWorld(short x_pos, short y_pos, MPoint& worldPt, MVector& worldVector) const
{
    const ViewState& view = ActiveView();
    view.MakeProjector().Ray(x_pos, view.height - y_pos, worldPt, worldVector);
    return MStatus::kSuccess;
}

MStatus M3dView::viewToWorld(short x_pos, short y_pos, MPoint& nearClipPt, MPoint& farClipPt) const
{
    MVector direction;
    const MStatus status = viewToWorld(x_pos, y_pos, nearClipPt, direction);
    const CameraModel& camera = ActiveView().Camera();
    // Along the ray to the far plane's depth.
    farClipPt = nearClipPt + direction * ((camera.farClip - camera.nearClip) / (direction * camera.forward));
    return status;
}

M3dView::DisplayStyle M3dView::displayStyle(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return kWireFrame;
}

MStatus M3dView::refresh(bool, bool)
{
    return MStatus::kSuccess;
}
