#pragma once
/// \file MFnMesh.h
/// Function set for polygon meshes.

#include <maya/MFloatPoint.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVector.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnBase.h>
#include <maya/MIntArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MTypes.h>

namespace vxhost
{
class MeshData;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// How MFnMesh should accelerate repeated queries. Obtain one from
/// MFnMesh::autoUniformGridParams() or MFnMesh::uniformGridParams().
///
/// The host always answers through one bounding volume hierarchy per distinct
/// mesh content, built once and shared, so the grid values change nothing;
/// they are kept so that a caller reading back its settings sees what it set.
class MMeshIsectAccelParams
{
public:
    /// No acceleration requested (as a default-constructed Maya object).
    MMeshIsectAccelParams() = default;

#ifdef VXHOST_INTERNAL
    /// Host code: the settings of MFnMesh::autoUniformGridParams().
    static MMeshIsectAccelParams Auto()
    {
        MMeshIsectAccelParams p;
        p.fAuto = true;
        return p;
    }
    /// Host code: the settings of MFnMesh::uniformGridParams(x, y, z).
    static MMeshIsectAccelParams UniformGrid(int xDivisions, int yDivisions, int zDivisions)
    {
        MMeshIsectAccelParams p;
        p.fXDivisions = xDivisions;
        p.fYDivisions = yDivisions;
        p.fZDivisions = zDivisions;
        return p;
    }

    /// Host code: true when the grid size is left to the host.
    bool IsAuto() const { return fAuto; }
    /// Host code: the requested grid divisions (0 when automatic or unset).
    int XDivisions() const { return fXDivisions; }
    int YDivisions() const { return fYDivisions; }
    int ZDivisions() const { return fZDivisions; }
#endif

private:
    bool fAuto = false;
    int fXDivisions = 0;
    int fYDivisions = 0;
    int fZDivisions = 0;
};

/// Creates, reads, edits and queries polygon meshes held in mesh data objects.
///
/// Mesh data holds world coordinates (it stands for a mesh shape's worldMesh
/// output), so MSpace::kObject and MSpace::kWorld give the same answers.
///
/// Queries (getClosestPoint, closestIntersection) run on an Embree scene that
/// is built once per distinct mesh content and shared by every copy; they may
/// run on several threads at once, but not while the mesh is being changed.
/// On a mesh with no faces, or with no mesh attached, they fail with a status
/// that says so.
class MFnMesh : public MFnBase
{
public:
    MFnMesh() = default;
    /// Attaches to a mesh; see MFnBase::setObject for failures.
    explicit MFnMesh(const MObject& object, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kMesh; }
    MStatus setObject(const MObject& object) override;

    /// Makes a mesh from vertices and polygons. polygonCounts gives each
    /// polygon's vertex count (at least 3); polygonConnects lists the vertex
    /// indices of all polygons, one polygon after the other, counter-clockwise
    /// seen from the side the normal points to. Fails with kInvalidParameter,
    /// naming the offending entry, when the counts and indices disagree.
    /// A mesh with no polygons is allowed.
    ///
    /// parentOrOwner: a mesh data object receives the mesh (replacing what it
    /// held); a null object makes a new mesh data object (the host has no
    /// scene to add a mesh node to). Returns the object holding the mesh, to
    /// which the function set is then attached; a null object on failure.
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = nullptr);
    /// As above, with double-precision vertices (stored as floats).
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = nullptr);

    /// Copies the mesh `source` into parentOrOwner (as for create). The copy
    /// is cheap: it shares the source's geometry until either is changed.
    /// Attaches the function set to the copy and returns it.
    MObject copy(const MObject& source, MObject parentOrOwner = MObject::kNullObj,
                 MStatus* ReturnStatus = nullptr);

    int numVertices(MStatus* ReturnStatus = nullptr) const;
    int numPolygons(MStatus* ReturnStatus = nullptr) const;

    /// All vertex positions, in vertex order.
    MStatus getPoints(MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    /// Replaces every vertex position; the array must hold numVertices()
    /// points. Other copies of the mesh keep their positions.
    MStatus setPoints(const MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus setPoints(const MPointArray& vertexArray, MSpace::Space space = MSpace::kObject);

    /// Each polygon's vertex count, and their vertex indices one polygon
    /// after the other (the arrays create() takes).
    MStatus getVertices(MIntArray& vertexCount, MIntArray& vertexList) const;
    /// The triangles queries run on: each polygon's triangle count and the
    /// triangles' vertex indices, three per triangle. A polygon of n vertices
    /// is cut into n - 2 triangles fanning out from its first vertex.
    MStatus getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const;

    /// One unit normal per vertex. With angleWeighted false: the normalised
    /// mean of the unit normals of the polygons around the vertex; with
    /// true, each polygon's normal is weighted by the polygon's angle at the
    /// vertex. Polygon normals follow Newell's method, so non-planar
    /// polygons get their best-fit normal. A vertex on no polygon (or only
    /// on degenerate ones) gets the zero vector.
    MStatus getVertexNormals(bool angleWeighted, MFloatVectorArray& normals,
                             MSpace::Space space = MSpace::kObject) const;

    /// The point on the mesh surface closest to toThisPoint, and the polygon
    /// it lies on. accelParams is accepted for compatibility; the shared
    /// query structure is always used.
    MStatus getClosestPoint(const MPoint& toThisPoint, MPoint& theClosestPoint,
                            MSpace::Space space = MSpace::kObject, int* closestPolygon = nullptr,
                            MMeshIsectAccelParams* accelParams = nullptr) const;

    /// The first hit of the ray raySource + t * rayDirection with
    /// 0 < t <= maxParam; t is in units of rayDirection as given (it is not
    /// normalised). With testBothDirections, hits behind the source count
    /// too (negative t) and the one with the smallest |t| wins.
    ///
    /// faceIds, when not null, limits the search to those polygons; triIds,
    /// when also given, is parallel to faceIds and picks one triangle of each
    /// (its index within the polygon, as getTriangles counts). idsSorted is
    /// only a hint: the host checks the order itself, as a wrong promise
    /// would make it miss hits.
    ///
    /// On a hit: hitPoint, *hitRayParam (t), *hitFace, *hitTriangle (within
    /// the polygon), and barycentric weights of the triangle's first
    /// (*hitBary1) and second (*hitBary2) vertex; the third vertex's weight
    /// is 1 - hitBary1 - hitBary2. Any output pointer may be null.
    ///
    /// Returns false on a miss (status kSuccess) and on failure (status says
    /// why). accelParams is accepted for compatibility; tolerance is not
    /// needed: the traversal is watertight, so a ray through a shared edge or
    /// vertex hits one of its triangles.
    bool closestIntersection(const MFloatPoint& raySource, const MFloatVector& rayDirection,
                             const MIntArray* faceIds, const MIntArray* triIds, bool idsSorted,
                             MSpace::Space space, float maxParam, bool testBothDirections,
                             MMeshIsectAccelParams* accelParams, MFloatPoint& hitPoint, float* hitRayParam,
                             int* hitFace, int* hitTriangle, float* hitBary1, float* hitBary2,
                             float tolerance = 1e-6f, MStatus* ReturnStatus = nullptr) const;

    /// Acceleration settings that let the host choose the grid.
    static MMeshIsectAccelParams autoUniformGridParams();
    /// Acceleration settings asking for a uniform grid of the given size.
    static MMeshIsectAccelParams uniformGridParams(int xDivisions, int yDivisions, int zDivisions);

protected:
    /// Only the host's mesh data objects carry the geometry MFnMesh reads.
    bool Accepts(const MObject& object) const override;

private:
    /// The attached mesh data (owned through fObject), cached so that queries
    /// need no type check.
    vxhost::MeshData* fData = nullptr;
};

OPENMAYA_NAMESPACE_CLOSE
