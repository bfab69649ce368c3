// What a draw override can ask about the frame being drawn.
#include "Cameras.h"

#include <maya/MFrameContext.h>

using namespace vxhost;

OPENMAYA_MAJOR_NAMESPACE_OPEN
namespace MHWRender
{
MFrameContext::MFrameContext(const ViewState& view, const MMatrix& world) : fView(&view), fWorld(world)
{
}

MMatrix MFrameContext::getMatrix(MatrixType mtype, MStatus* ReturnStatus) const
{
    const int type = static_cast<int>(mtype);
    if (type < kWorldMtx || type > kWorldViewProjTranspInverseMtx)
    {
        if (ReturnStatus)
            *ReturnStatus = MStatus::kInvalidParameter;
        return MMatrix();
    }
    if (ReturnStatus)
        *ReturnStatus = MStatus::kSuccess;
    // The enumeration runs through six bases, each as itself, transposed,
    // inverted, and transposed after inverting.
    const Projector projector = fView->MakeProjector();
    const MMatrix view = projector.ViewMatrix();
    const MMatrix projection = projector.ProjectionMatrix();
    MMatrix base;
    switch (type / 4)
    {
    case 0:
        base = fWorld;
        break;
    case 1:
        base = view;
        break;
    case 2:
        base = projection;
        break;
    case 3:
        base = view * projection;
        break;
    case 4:
        base = fWorld * view;
        break;
    default:
        base = fWorld * view * projection;
        break;
    }
    switch (type % 4)
    {
    case 1:
        return base.transpose();
    case 2:
        return base.inverse();
    case 3:
        return base.inverse().transpose();
    default:
        return base;
    }
}

MStatus MFrameContext::getViewportDimensions(int& originX, int& originY, int& width, int& height) const
{
    originX = 0;
    originY = 0;
    width = fView->width;
    height = fView->height;
    return MStatus::kSuccess;
}

MDagPath MFrameContext::getCurrentCameraPath(MStatus* ReturnStatus) const
{
    MDagPath path;
    const MStatus status = CameraPath(fView->camera, path);
    if (ReturnStatus)
        *ReturnStatus = status;
    return path;
}

unsigned int MFrameContext::getDisplayStyle() const
{
    return kWireFrame;
}

unsigned long long MFrameContext::getFrameStamp() const
{
    return fView->frameStamp;
}
} // namespace MHWRender
OPENMAYA_NAMESPACE_CLOSE
