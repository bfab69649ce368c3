#include "Cameras.h"

#include "dg/Node.h"

#include <vxhost/Viewport.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace vxhost
{
namespace
{
// Maya's default perspective camera sits here, looking at the origin.
const MVector kPerspDirection = MVector(-28.0, -21.0, -28.0).normal();

struct CameraEntry
{
    std::string name;
    std::shared_ptr<Node> transform;
    std::shared_ptr<Node> shape;
    CameraModel model;
};

// The cameras are nodes outside the scene, so that scripts, saved scenes and
// node counts never see them, yet paths, names and function sets work.
const NodeClass& CameraTransformClass()
{
    static const NodeClass cls = []
    {
        NodeClass c;
        c.typeName = "cameraTransform";
        c.apiType = MFn::kDagNode;
        c.dag = true;
        return c;
    }();
    return cls;
}

const NodeClass& CameraShapeClass()
{
    static const NodeClass cls = []
    {
        NodeClass c;
        c.typeName = "camera";
        c.apiType = MFn::kDagNode;
        c.fnTypes = {MFn::kShape};
        c.dag = true;
        c.shape = true;
        return c;
    }();
    return cls;
}

CameraModel DefaultModel(const std::string& name)
{
    CameraModel m;
    if (name == "persp")
    {
        m.eye = MPoint(28.0, 21.0, 28.0);
        m.forward = kPerspDirection;
        m.up = (m.forward ^ MVector(0.0, 1.0, 0.0)).normal() ^ m.forward;
        m.centreOfInterest = MVector(28.0, 21.0, 28.0).length();
        return m;
    }
    m.ortho = true;
    m.centreOfInterest = 100.1;
    if (name == "top")
    {
        m.eye = MPoint(0.0, 100.1, 0.0);
        m.forward = MVector(0.0, -1.0, 0.0);
        m.up = MVector(0.0, 0.0, -1.0);
    }
    else if (name == "front")
    {
        m.eye = MPoint(0.0, 0.0, 100.1);
        m.forward = MVector(0.0, 0.0, -1.0);
        m.up = MVector(0.0, 1.0, 0.0);
    }
    else
    {
        m.eye = MPoint(100.1, 0.0, 0.0);
        m.forward = MVector(-1.0, 0.0, 0.0);
        m.up = MVector(0.0, 1.0, 0.0);
    }
    return m;
}

std::array<CameraEntry, 4>& Cameras()
{
    static std::array<CameraEntry, 4> cameras = []
    {
        std::array<CameraEntry, 4> all;
        const char* names[] = {"persp", "top", "front", "side"};
        for (std::size_t i = 0; i < all.size(); ++i)
        {
            CameraEntry& e = all[i];
            e.name = names[i];
            e.transform = std::make_shared<Node>(&CameraTransformClass(), e.name);
            e.shape = std::make_shared<Node>(&CameraShapeClass(), e.name + "Shape");
            e.shape->parent = e.transform.get();
            e.transform->children.push_back(e.shape);
            e.model = DefaultModel(e.name);
        }
        return all;
    }();
    return cameras;
}

// The film's half-extent over the focal length along the fitted axis:
// tan of half the field of view.
double HalfTangent(const CameraModel& c, int width, int height)
{
    const double filmAspect = c.horizontalAperture / c.verticalAperture;
    const double imageAspect = static_cast<double>(width) / std::max(height, 1);
    return imageAspect >= filmAspect ? 0.5 * c.horizontalAperture / c.focalLength
                                     : 0.5 * c.verticalAperture / c.focalLength;
}
} // namespace

Projector::Projector(const CameraModel& camera, int width, int height)
    : fEye(camera.eye), fRight(camera.Right()), fUp(camera.up), fForward(camera.forward),
      fOrtho(camera.ortho), fNear(camera.nearClip), fFar(camera.farClip), fHalfWidth(0.5 * width),
      fHalfHeight(0.5 * height), fWidth(width), fHeight(height)
{
    const double imageAspect = static_cast<double>(width) / std::max(height, 1);
    if (fOrtho)
    {
        // The ortho width spans the image across, or down for a tall image.
        const double across = imageAspect >= 1.0 ? width : height;
        fScale = across / camera.orthoWidth;
    }
    else
    {
        const double filmAspect = camera.horizontalAperture / camera.verticalAperture;
        fScale = (imageAspect >= filmAspect ? fHalfWidth : fHalfHeight) / HalfTangent(camera, width, height);
    }
}

void Projector::Ray(double x, double y, MPoint& origin, MVector& direction) const
{
    const double cx = (x - fHalfWidth) / fScale;
    const double cy = (fHalfHeight - y) / fScale;
    if (fOrtho)
    {
        origin = fEye + fRight * cx + fUp * cy + fForward * fNear;
        direction = fForward;
        return;
    }
    direction = (fForward + fRight * cx + fUp * cy).normal();
    origin = fEye + direction * (fNear / (direction * fForward));
}

MVector Projector::ToCamera(const MPoint& world) const
{
    const MVector d = world - fEye;
    return MVector(d * fRight, d * fUp, d * fForward);
}

MMatrix Projector::ViewMatrix() const
{
    // Rows of the camera's world matrix are its axes (x right, y up, z
    // backwards) and its position; the view matrix is its inverse.
    MMatrix world;
    const MVector back = -fForward;
    const MVector axes[3] = {fRight, fUp, back};
    for (unsigned r = 0; r < 3; ++r)
    {
        world(r, 0) = axes[r].x;
        world(r, 1) = axes[r].y;
        world(r, 2) = axes[r].z;
    }
    world(3, 0) = fEye.x;
    world(3, 1) = fEye.y;
    world(3, 2) = fEye.z;
    return world.inverse();
}

MMatrix Projector::ProjectionMatrix() const
{
    MMatrix p;
    const double sx = fScale / fHalfWidth, sy = fScale / fHalfHeight;
    p(0, 0) = sx;
    p(1, 1) = sy;
    if (fOrtho)
    {
        p(2, 2) = -2.0 / (fFar - fNear);
        p(3, 2) = -(fFar + fNear) / (fFar - fNear);
        return p;
    }
    // The transpose of OpenGL's frustum matrix (row vectors).
    p(2, 2) = -(fFar + fNear) / (fFar - fNear);
    p(2, 3) = -1.0;
    p(3, 2) = -2.0 * fFar * fNear / (fFar - fNear);
    p(3, 3) = 0.0;
    return p;
}

std::vector<std::string> ViewportCameras()
{
    std::vector<std::string> names;
    for (const CameraEntry& e : Cameras())
        names.push_back(e.name);
    return names;
}

CameraModel* FindCamera(const std::string& name)
{
    for (CameraEntry& e : Cameras())
        if (e.name == name)
            return &e.model;
    return nullptr;
}

MStatus CameraPath(const std::string& name, MDagPath& out)
{
    for (CameraEntry& e : Cameras())
        if (e.name == name)
            return MDagPath::getAPathTo(e.shape->Object(), out);
    return MStatus(MStatus::kInvalidParameter, MString("No camera named ") + name.c_str());
}

CameraModel* CameraOfShape(const Node& node)
{
    for (CameraEntry& e : Cameras())
        if (e.shape.get() == &node)
            return &e.model;
    return nullptr;
}

void FrameCamera(const std::string& name, CameraModel& camera, const MBoundingBox& bounds, int width,
                 int height)
{
    const CameraModel defaults = DefaultModel(name);
    camera.forward = defaults.forward;
    camera.up = defaults.up;
    const MPoint centre = bounds.center();
    // Half the box's diagonal, so the whole box fits whatever its shape;
    // at least 5 centimetres, so a single point is framed with some room.
    const double radius = std::max(0.5 * MVector(bounds.max() - bounds.min()).length(), 5.0);
    if (!camera.ortho)
    {
        const double aspect = static_cast<double>(width) / std::max(height, 1);
        const double fitted = HalfTangent(camera, width, height);
        const bool acrossFitted = aspect >= camera.horizontalAperture / camera.verticalAperture;
        const double tanX = acrossFitted ? fitted : fitted * aspect;
        const double tanY = acrossFitted ? fitted / aspect : fitted;
        // Back far enough that every corner of the box falls inside the
        // picture, across and up, with a margin: tighter than the bounding
        // sphere when the box is long and the picture wide.
        const MVector right = camera.Right();
        double distance = 0.0;
        double deepest = 0.0;
        for (int i = 0; i < 8; ++i)
        {
            const MPoint corner((i & 1) ? bounds.max().x : bounds.min().x,
                                (i & 2) ? bounds.max().y : bounds.min().y,
                                (i & 4) ? bounds.max().z : bounds.min().z);
            const MVector d = corner - centre;
            const double depth = d * camera.forward;
            distance = std::max({distance, std::fabs(d * right) / (0.92 * tanX) - depth,
                                 std::fabs(d * camera.up) / (0.92 * tanY) - depth});
            deepest = std::max(deepest, -depth);
        }
        // Never inside the box, and a point still gets some room.
        distance = std::max({distance, 1.05 * deepest + 1.0, 5.0 / std::sin(std::atan(std::min(tanX, tanY)))});
        camera.eye = centre - camera.forward * distance;
        camera.centreOfInterest = distance;
        camera.nearClip = std::max(0.1, 0.01 * distance);
        camera.farClip = distance + 100.0 * radius;
        return;
    }
    // Ortho: the box's extent across and up the view, with a margin.
    const MVector right = camera.Right();
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int i = 0; i < 8; ++i)
    {
        const MPoint corner((i & 1) ? bounds.max().x : bounds.min().x,
                            (i & 2) ? bounds.max().y : bounds.min().y,
                            (i & 4) ? bounds.max().z : bounds.min().z);
        const MVector d = corner - centre;
        minX = std::min(minX, d * right);
        maxX = std::max(maxX, d * right);
        minY = std::min(minY, d * camera.up);
        maxY = std::max(maxY, d * camera.up);
    }
    const double aspect = static_cast<double>(width) / std::max(height, 1);
    const double across = std::max(maxX - minX, 10.0);
    const double down = std::max(maxY - minY, 10.0);
    camera.orthoWidth =
        1.1 * (aspect >= 1.0 ? std::max(across, down * aspect) : std::max(down, across / aspect));
    camera.eye = centre - camera.forward * (radius + 100.0);
    camera.centreOfInterest = radius + 100.0;
    camera.nearClip = 0.1;
    camera.farClip = 2.0 * radius + 200.0;
}

const CameraModel& ViewState::Camera() const
{
    const CameraModel* model = FindCamera(camera);
    return model ? *model : *FindCamera("persp");
}

ViewState& ActiveView()
{
    static ViewState view;
    return view;
}
} // namespace vxhost
