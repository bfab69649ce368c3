#include "MeshVolume.h"

#include <maya/MFnMeshData.h>
#include <maya/MGlobal.h>

#include <algorithm>

namespace
{
// Enough for the few obstacle separations a flock usually has.
constexpr std::size_t kMaxGrownMeshes = 8;

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

    MStatus status;
    MFloatPoint hit;
    const bool found = grownFn_.closestIntersection(
        MFloatPoint(origin),
        MFloatVector(static_cast<float>(direction.x), static_cast<float>(direction.y),
                     static_cast<float>(direction.z)),
        nullptr, nullptr, false, MSpace::kObject, 1e6f, false, &accelParams, hit, nullptr, nullptr, nullptr,
        nullptr, nullptr, 1e-6f, &status);
    if (!status)
    {
        ReportError("MeshVolume::GetRayIntersection - Error trying to compute mesh intersection.", status);
        return false;
    }
    if (found)
        hitPoint = MPoint(hit.x, hit.y, hit.z);
    return found;
}
