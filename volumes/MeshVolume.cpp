#include "MeshVolume.h"

#include <maya/MFnMeshData.h>
#include <maya/MGlobal.h>

#include <algorithm>
#include <cmath>

namespace
{
// Enough for the few obstacle separations a flock usually has.
constexpr std::size_t kMaxGrownMeshes = 8;

// How far the host's single-precision ray test may stray outside a triangle
// is a few float roundings of the coordinates involved; this relative pad is
// hundreds of times that.
constexpr double kRayBoundsPad = 1e-4;
// The longest ray the obstacle queries cast.
constexpr float kRayLength = 1e6f;

void ReportError(const char* context, const MStatus& status)
{
    MGlobal::displayError(MString(context) + status.errorString());
}
} // namespace

MeshVolume::MeshVolume(const MObject& mesh_) : mesh(mesh_)
{
}

void MeshVolume::InitVolume()
{
    if (mesh.isNull())
    {
        MGlobal::displayError(
            "MeshVolume::InitVolume - Unable to initialise mesh volume class. Not enough data provided");
        return;
    }
    MStatus status = meshFn.setObject(mesh);
    if (!status)
    {
        ReportError("MeshVolume::InitVolume - Unable to initialise mesh volume class.", status);
        return;
    }
    accelParams = meshFn.autoUniformGridParams();
    if (initialised)
        return;

    if (!sourceRead_)
    {
        if (meshFn.numPolygons() == 0)
        {
            MGlobal::displayError(
                "MeshVolume::InitVolume - Unable to initialise mesh volume class. Not enough data provided");
            return;
        }
        status = meshFn.getPoints(originalPoints_, MSpace::kObject);
        if (!status)
        {
            ReportError("MeshVolume::InitVolume - Error getting points array from mesh.", status);
            return;
        }
        status = meshFn.getVertexNormals(false, normals_, MSpace::kObject);
        if (!status)
        {
            ReportError("MeshVolume::InitVolume - Error getting normals array from mesh.", status);
            return;
        }
        sourceRead_ = true;
    }

    const GrownMesh* grown = GrownByMargin();
    if (grown == nullptr)
        return;
    status = grownFn_.setObject(grown->mesh);
    if (!status)
    {
        ReportError("MeshVolume::InitVolume - Unable to initialise mesh volume class.", status);
        return;
    }
    boundingBox.expand(grown->bounds);
    boundsLow_ = grown->bounds.min();
    boundsHigh_ = grown->bounds.max();
    boundsCentre_ = grown->bounds.center();
    boundsScale_ = std::max({std::fabs(boundsLow_.x), std::fabs(boundsLow_.y), std::fabs(boundsLow_.z),
                             std::fabs(boundsHigh_.x), std::fabs(boundsHigh_.y), std::fabs(boundsHigh_.z),
                             grown->bounds.width(), grown->bounds.height(), grown->bounds.depth()});
    boundsRadius_ = 0.5 * (boundsHigh_ - boundsLow_).length();
    initialised = true;
}

bool MeshVolume::CanInitialise() const
{
    if (mesh.isNull())
        return false;
    MFnMesh fn;
    MStatus status;
    return fn.setObject(mesh) && fn.numPolygons(&status) > 0 && status;
}

const MeshVolume::GrownMesh* MeshVolume::GrownByMargin()
{
    for (const GrownMesh& g : grown_)
        if (g.margin == margin)
            return &g;

    MStatus status;
    MObject owner = MFnMeshData().create(&status);
    MObject copy;
    if (status)
        copy = MFnMesh().copy(mesh, owner, &status);
    if (!status)
    {
        ReportError("MeshVolume::InitVolume - Unable to initialise mesh volume class.", status);
        return nullptr;
    }

    // Always from the original positions: growing grown ones would inflate
    // the mesh a little more with every change of margin.
    MFloatPointArray points(originalPoints_);
    MBoundingBox bounds;
    const float m = static_cast<float>(margin);
    for (unsigned i = 0; i < points.length(); ++i)
    {
        const MFloatVector& n = normals_[i];
        points[i] = MFloatPoint(points[i].x + n.x * m, points[i].y + n.y * m, points[i].z + n.z * m);
        bounds.expand(MPoint(points[i].x, points[i].y, points[i].z));
    }
    MFnMesh(copy).setPoints(points, MSpace::kObject);

    if (grown_.size() == kMaxGrownMeshes)
        grown_.erase(grown_.begin());
    grown_.push_back(GrownMesh{margin, copy, bounds});
    return &grown_.back();
}

bool MeshVolume::IsPointInVolume(MPoint p)
{
    if (!initialised)
        InitVolume();
    if (!initialised)
    {
        MGlobal::displayWarning(
            "Attempting to use uninitialised bounding box in volume...no intersection will be detected");
        return false;
    }
    const MPoint lo = boundingBox.min();
    const MPoint hi = boundingBox.max();
    return lo.x <= p.x && p.x <= hi.x && lo.y <= p.y && p.y <= hi.y && lo.z <= p.z && p.z <= hi.z;
}

MPoint MeshVolume::GetClosestPoint(MPoint p)
{
    if (!initialised)
        InitVolume();
    MPoint closest;
    const MStatus status = grownFn_.getClosestPoint(p, closest, MSpace::kObject);
    if (!status)
    {
        ReportError("MeshVolume::GetRayIntersection - Error getting closest point.", status);
        return MPoint(0.0, 0.0, 0.0);
    }
    return closest;
}

double MeshVolume::GetMaxDimension()
{
    if (!initialised)
        InitVolume();
    if (!initialised)
        return 0.0;
    return std::max({boundingBox.width(), boundingBox.height(), boundingBox.depth()});
}

MPoint MeshVolume::GetCentre()
{
    if (!initialised)
        InitVolume();
    if (!initialised)
        return MPoint(0.0, 0.0, 0.0);
    return boundingBox.center();
}

bool MeshVolume::GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector&, MVector&,
                                    bool normaliseDirection)
{
    if (!initialised)
        InitVolume();
    if (normaliseDirection)
        direction.normalize();

    const MFloatPoint source(origin);
    const MFloatVector along(static_cast<float>(direction.x), static_cast<float>(direction.y),
                             static_cast<float>(direction.z));
    // Most particles head nowhere near the mesh: a ray that misses its box
    // cannot hit it, and the answer is the host's own.
    if (initialised && RayMissesGrownBounds(source, along, kRayLength))
        return false;

    MStatus status;
    MFloatPoint hit;
    const bool found = grownFn_.closestIntersection(source, along, nullptr, nullptr, false, MSpace::kObject,
                                                    kRayLength, false, &accelParams, hit, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, 1e-6f, &status);
    if (!status)
    {
        ReportError("MeshVolume::GetRayIntersection - Error trying to compute mesh intersection.", status);
        return false;
    }
    if (found)
        hitPoint = MPoint(hit.x, hit.y, hit.z);
    return found;
}

bool MeshVolume::RayMissesGrownBounds(const MFloatPoint& origin, const MFloatVector& direction,
                                      float maxParam) const
{
    // Only the rays the host answers without complaint: anything it would
    // report (a zero direction, a source that is not a plain point) is left
    // for it to report.
    if (origin.w != 1.0f || (direction.x == 0.0f && direction.y == 0.0f && direction.z == 0.0f))
        return false;
    const double o[3] = {origin.x, origin.y, origin.z};
    const double d[3] = {direction.x, direction.y, direction.z};
    const double scale = std::max({boundsScale_, std::fabs(o[0]), std::fabs(o[1]), std::fabs(o[2])});
    // Infinities would turn the arithmetic below into NaNs.
    if (!std::isfinite(scale) || !std::isfinite(d[0]) || !std::isfinite(d[1]) || !std::isfinite(d[2]))
        return false;
    const double pad = kRayBoundsPad * scale + kRayBoundsPad;

    // The ball around the box first: a few products settle most rays.
    const double w[3] = {boundsCentre_.x - o[0], boundsCentre_.y - o[1], boundsCentre_.z - o[2]};
    const double ww = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    const double wd = w[0] * d[0] + w[1] * d[1] + w[2] * d[2];
    const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double radius = boundsRadius_ + pad;
    const double r2 = radius * radius;
    if (ww > r2 && (wd <= 0.0 || ww * dd - wd * wd > r2 * dd))
        return true;

    const double low[3] = {boundsLow_.x - pad, boundsLow_.y - pad, boundsLow_.z - pad};
    const double high[3] = {boundsHigh_.x + pad, boundsHigh_.y + pad, boundsHigh_.z + pad};
    double enter = 0.0;
    double leave = static_cast<double>(maxParam);
    for (int a = 0; a < 3; ++a)
    {
        if (d[a] == 0.0)
        {
            if (o[a] < low[a] || o[a] > high[a])
                return true;
            continue;
        }
        const double t0 = (low[a] - o[a]) / d[a];
        const double t1 = (high[a] - o[a]) / d[a];
        enter = std::max(enter, std::min(t0, t1));
        leave = std::min(leave, std::max(t0, t1));
    }
    return enter > leave * (1.0 + kRayBoundsPad) + kRayBoundsPad;
}
