#pragma once

#include "Volume.h"

#include <maya/MBoundingBox.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnMesh.h>
#include <maya/MObject.h>

#include <vector>

/// A polygon mesh as an obstacle, grown by the margin: every vertex moves
/// out along its vertex normal. Containment is the grown mesh's bounding box;
/// nearest point and ray hits are the host's queries on the grown mesh.
///
/// The mesh is data read from a mesh's "worldMesh" output, already in world
/// coordinates, so it is queried in its own (object) space: a function set on
/// data rather than on a DAG path has no world space to offer.
///
/// The shape never changes the mesh it is given: it grows copies, always from
/// the original positions, and keeps a few grown copies by margin so that
/// going back to a margin it has used costs nothing (the host keeps the
/// copies' acceleration structures).
class MeshVolume : public Volume
{
public:
    explicit MeshVolume(const MObject& mesh);

    void InitVolume() override;
    /// Inside the grown bounding box, bounds included.
    bool IsPointInVolume(MPoint p) override;
    /// Always 0.
    double GetFalloff(MPoint) override { return 0.0; }
    /// The nearest point of the grown mesh; the origin when the query fails.
    MPoint GetClosestPoint(MPoint p) override;
    /// The largest side of the grown bounding box (initialises first); 0 when
    /// the shape cannot initialise.
    double GetMaxDimension() override;
    /// The centre of the grown bounding box (initialises first); the origin
    /// when the shape cannot initialise.
    MPoint GetCentre() override;
    /// Writes only hitPoint; the normal and reflected direction keep the
    /// caller's values.
    bool GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                            MVector& reflectedDirection, bool normaliseDirection) override;

    /// Whether InitVolume can succeed (a mesh with faces); reports nothing.
    bool CanInitialise() const;

    MObject mesh; ///< the mesh as given; never written
    MFnMesh meshFn;
    MMeshIsectAccelParams accelParams;

private:
    struct GrownMesh
    {
        double margin;
        MObject mesh;
        MBoundingBox bounds;
    };
    /// The copy grown by the current margin, made on first use.
    const GrownMesh* GrownByMargin();
    /// Whether the ray the host would be asked about (single precision,
    /// 0 < t <= maxParam) certainly misses the grown mesh: it misses a box
    /// around the mesh padded far beyond the host's rounding.
    bool RayMissesGrownBounds(const MFloatPoint& origin, const MFloatVector& direction, float maxParam) const;

    bool sourceRead_ = false;
    MFloatPointArray originalPoints_;
    MFloatVectorArray normals_;
    std::vector<GrownMesh> grown_; ///< oldest first
    MFnMesh grownFn_;              ///< bound to the copy of the current margin
    // The ray bound of the copy of the current margin: its box, padded by
    // the pad for a ray from the origin, and a ball around that box.
    MPoint boundsLow_;
    MPoint boundsHigh_;
    MPoint boundsCentre_;
    double boundsScale_ = 0.0;  ///< the largest coordinate or side of the box
    double boundsRadius_ = 0.0; ///< half the box's diagonal
};
