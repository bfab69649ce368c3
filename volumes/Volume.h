#pragma once

#include <maya/MBoundingBox.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

/// The shape code shared by the locators' "volumeType" attribute, the field's
/// per-entity volume types and the entity records.
enum class VolumeType : int
{
    kSphere = 0,
    kCapsule = 1,
    kBox = 2,
    kCurve = 3,
    kMesh = 4,
};

/// A shape in world space that the solver asks about particles: containment,
/// depth (falloff), nearest point and first ray hit. Shapes are built for one
/// evaluation, computed lazily (InitVolume) on the first query that needs
/// their derived data, and queried by one thread at a time: queries may
/// update caches. Lengths in centimetres.
class Volume
{
public:
    virtual ~Volume() = default;

    /// Computes the derived data and expands boundingBox; sets initialised on success.
    virtual void InitVolume() = 0;
    /// Whether p lies inside the shape grown by margin.
    virtual bool IsPointInVolume(MPoint p) = 0;
    /// How deep p lies inside, from 1 at the core to 0 at the surface; 0 outside.
    virtual double GetFalloff(MPoint p) = 0;
    /// Whether p lies inside; inside, outInfluence is the falloff with
    /// linearFalloff and 1 without, outside it is 0. The same answers as
    /// IsPointInVolume and GetFalloff, from one look at p.
    virtual bool GetInfluence(MPoint p, bool linearFalloff, double& outInfluence);
    /// The point of the shape nearest to p, as each shape defines it.
    virtual MPoint GetClosestPoint(MPoint p) = 0;
    /// One size of the shape, used to cull far shapes.
    virtual double GetMaxDimension() = 0;
    /// The shape's centre.
    virtual MPoint GetCentre() = 0;
    /// Stores the margin; a new value makes the next query recompute the
    /// derived data.
    virtual void SetMargin(double value);
    /// The first hit of the ray from origin along direction: the hit point,
    /// the surface normal there and the direction reflected about it
    /// (d - 2 (d.n) n). With normaliseDirection the unit direction is used.
    /// Writes its outputs only on a hit (shapes may write fewer). The base
    /// shape is never hit.
    virtual bool GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                                    MVector& reflectedDirection, bool normaliseDirection);
    /// GetRayIntersection's hit point alone, for callers that need no normal:
    /// the same hit, to the bit, perhaps found with less work.
    virtual bool GetRayHitPoint(MPoint origin, MVector direction, MPoint& hitPoint, bool normaliseDirection);

    MBoundingBox boundingBox; ///< world bounds of the grown shape; only ever expanded
    bool initialised = false;
    double margin = 0.0; ///< how much the shape is grown
};
