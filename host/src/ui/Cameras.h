#pragma once
/// \file Cameras.h
/// The host's four cameras, the active view that looks through one of them,
/// and the projection between world space and the view's pixels.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>

#include <string>

namespace vxhost
{
class Node;

/// Placement and lens of a camera, in world space (the host keeps cameras
/// out of the scene, under transforms that stay at the identity).
struct CameraModel
{
    MPoint eye;
    MVector forward{0.0, 0.0, -1.0}; ///< unit, the viewing direction
    MVector up{0.0, 1.0, 0.0};       ///< unit, at right angles to forward
    bool ortho = false;
    double orthoWidth = 30.0;         ///< centimetres across the view
    double focalLength = 35.0;        ///< millimetres
    double horizontalAperture = 36.0; ///< millimetres of film
    double verticalAperture = 24.0;
    double nearClip = 0.1;
    double farClip = 10000.0;
    double centreOfInterest = 44.82; ///< distance from the eye to the point looked at

    MVector Right() const { return (forward ^ up).normal(); }
};

/// World space to pixels of a width × height image, for one camera.
/// Pixels run right and down from the image's top-left corner (the
/// renderer's convention; M3dView flips y). The film fits the image as
/// Maya's "fill" fit does: horizontally when the image is at least as wide
/// as the film, vertically otherwise.
class Projector
{
public:
    Projector(const CameraModel& camera, int width, int height);

    /// The pixel of a world point and its depth in front of the eye. False
    /// when the point is nearer than the near clip plane (perspective).
    bool Project(const MPoint& world, double& x, double& y, double& depth) const
    {
        const double dx = world.x - fEye.x, dy = world.y - fEye.y, dz = world.z - fEye.z;
        const double cx = dx * fRight.x + dy * fRight.y + dz * fRight.z;
        const double cy = dx * fUp.x + dy * fUp.y + dz * fUp.z;
        depth = dx * fForward.x + dy * fForward.y + dz * fForward.z;
        if (fOrtho)
        {
            x = fHalfWidth + fScale * cx;
            y = fHalfHeight - fScale * cy;
            return true;
        }
        if (depth < fNear)
            return false;
        x = fHalfWidth + fScale * cx / depth;
        y = fHalfHeight - fScale * cy / depth;
        return true;
    }
    /// The pixel of a camera-space point (see ToCamera); for a perspective
    /// view the point must lie at or beyond the near clip plane.
    void CameraToPixel(const MVector& c, double& x, double& y) const
    {
        const double s = fOrtho ? fScale : fScale / c.z;
        x = fHalfWidth + s * c.x;
        y = fHalfHeight - s * c.y;
    }
    /// The world ray through a pixel: its point on the near clip plane and
    /// its unit direction.
    void Ray(double x, double y, MPoint& origin, MVector& direction) const;
    /// Pixels per centimetre at depth (any depth for an orthographic view).
    double PixelsPerUnit(double depth) const { return fOrtho ? fScale : fScale / depth; }
    /// The camera-space point (right, up, forward) of a world point.
    MVector ToCamera(const MPoint& world) const;
    bool Ortho() const { return fOrtho; }
    double NearClip() const { return fNear; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    /// The world-to-camera matrix (camera looking down its -z) and an
    /// OpenGL-style projection, both for row vectors.
    MMatrix ViewMatrix() const;
    MMatrix ProjectionMatrix() const;

private:
    MPoint fEye;
    MVector fRight, fUp, fForward;
    bool fOrtho;
    double fScale; // pixels per unit at depth 1 (perspective) or per unit (ortho)
    double fNear, fFar;
    double fHalfWidth, fHalfHeight;
    int fWidth, fHeight;
};

/// persp, top, front or side; null for any other name.
CameraModel* FindCamera(const std::string& name);
/// The path of the camera's shape ("|persp|perspShape").
MStatus CameraPath(const std::string& name, MDagPath& out);
/// The camera whose shape node is node, or null.
CameraModel* CameraOfShape(const Node& node);
/// Places the camera so that bounds fill a width × height image with a
/// small margin: persp keeps Maya's default viewing direction (from
/// (28, 21, 28) towards the origin), top, front and side look down -y, -z
/// and -x.
void FrameCamera(const std::string& name, CameraModel& camera, const MBoundingBox& bounds, int width,
                 int height);

/// The one 3D view: the camera it looks through and its size in pixels.
struct ViewState
{
    std::string camera = "persp";
    int width = 960;
    int height = 540;
    unsigned long long frameStamp = 0;

    const CameraModel& Camera() const;
    Projector MakeProjector() const { return Projector(Camera(), width, height); }
};

ViewState& ActiveView();
} // namespace vxhost
