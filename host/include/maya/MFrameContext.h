#pragma once
/// \file MFrameContext.h
/// What a draw override may ask about the frame being drawn.

#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MStatus.h>

namespace vxhost
{
struct ViewState;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

namespace MHWRender
{
/// The frame the host is drawing: its camera, matrices and viewport. Made
/// by the host for each redraw; an override only reads it.
///
/// Matrices follow the row-vector convention: a world point p is at
/// p × view in camera space (looking down -z) and at p × viewProj in clip
/// space (OpenGL's [-1, 1] cube after the divide by w). Without an object
/// (the frame as a whole) the world matrix is the identity.
class MFrameContext
{
public:
    enum MatrixType
    {
        kWorldMtx,
        kWorldTransposeMtx,
        kWorldInverseMtx,
        kWorldTranspInverseMtx,
        kViewMtx,
        kViewTransposeMtx,
        kViewInverseMtx,
        kViewTranspInverseMtx,
        kProjectionMtx,
        kProjectionTranposeMtx,
        kProjectionInverseMtx,
        kProjectionTranspInverseMtx,
        kViewProjMtx,
        kViewProjTransposeMtx,
        kViewProjInverseMtx,
        kViewProjTranspInverseMtx,
        kWorldViewMtx,
        kWorldViewTransposeMtx,
        kWorldViewInverseMtx,
        kWorldViewTranspInverseMtx,
        kWorldViewProjMtx,
        kWorldViewProjTransposeMtx,
        kWorldViewProjInverseMtx,
        kWorldViewProjTranspInverseMtx
    };

    /// Display style bits; the host draws wireframe.
    enum DisplayStyle
    {
        kGouraudShaded = 1 << 0,
        kWireFrame = 1 << 1,
        kBoundingBox = 1 << 2,
        kTextured = 1 << 3,
        kDefaultMaterial = 1 << 4,
        kXrayJoint = 1 << 5,
        kXray = 1 << 6,
        kTwoSidedLighting = 1 << 7,
        kFlatShaded = 1 << 8,
        kShadeActiveOnly = 1 << 9,
        kXrayActiveComponents = 1 << 10,
        kBackfaceCulling = 1 << 11,
        kSmoothWireframe = 1 << 12
    };

    virtual ~MFrameContext() = default;

    MMatrix getMatrix(MatrixType mtype, MStatus* ReturnStatus = nullptr) const;
    /// The viewport in pixels; the origin is its lower-left corner.
    MStatus getViewportDimensions(int& originX, int& originY, int& width, int& height) const;
    MDagPath getCurrentCameraPath(MStatus* ReturnStatus = nullptr) const;
    unsigned int getDisplayStyle() const;
    float getGlobalLineWidth() const { return 1.0f; }
    /// Counts redraws; each frame the host draws has a new stamp.
    unsigned long long getFrameStamp() const;

#ifdef VXHOST_INTERNAL
    /// Host code: a context for view, drawing an object at world (the
    /// identity for the frame as a whole). view must outlive the context.
    explicit MFrameContext(const vxhost::ViewState& view, const MMatrix& world = MMatrix());
#endif
    void SetWorld(const MMatrix& world) { fWorld = world; }

private:
    const vxhost::ViewState* fView;
    MMatrix fWorld;
};
} // namespace MHWRender

OPENMAYA_NAMESPACE_CLOSE
