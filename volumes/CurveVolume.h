#pragma once

#include "Volume.h"

#include <maya/MFnNurbsCurve.h>
#include <maya/MObject.h>
#include <maya/MPointArray.h>

#include <vector>

/// A tube of varying radius around a NURBS curve. curveData holds one sample
/// per point along the curve: x the curve parameter (increasing), y the tube
/// radius there, z 1 for a sample carrying a radius key and 0 between keys.
/// The radius at the curve's point nearest a particle is interpolated
/// linearly, by parameter, between the two keys that bracket it.
///
/// The curve is data read from a curve's "worldSpace" output, already in
/// world coordinates, so it is queried in its own (object) space: a function
/// set on data rather than on a DAG path has no world space to offer.
///
/// The last query's closest-point results are cached: the solver asks
/// several questions about one particle, and each costs one closest-point
/// search only. The tube ignores the margin and has no centre, size, closest
/// point or ray hit of its own (fixed answers below).
class CurveVolume : public Volume
{
public:
    CurveVolume(const MObject& curve, const MPointArray& curveData);

    /// The accuracy of the tube's closest-point searches.
    static constexpr double kClosestPointTolerance = 0.001;

    void InitVolume() override;
    /// Strictly inside the tube; outside when the closest point cannot be found.
    bool IsPointInVolume(MPoint p) override;
    /// 1 - (d / r)^2 inside; 0 outside, and where the tube has no radius; 1
    /// when the closest point cannot be found.
    double GetFalloff(MPoint p) override;
    /// Always the origin.
    MPoint GetClosestPoint(MPoint p) override;
    /// Always 0.
    double GetMaxDimension() override { return 0.0; }
    /// Always the origin.
    MPoint GetCentre() override { return MPoint(0.0, 0.0, 0.0); }
    /// The tube ignores the margin and stays initialised.
    void SetMargin(double) override {}

    /// Refreshes the cached results for p; false (with an error) when the
    /// curve's closest point cannot be found.
    bool UpdateClosestPoint(MPoint p);
    /// Fills the cache for p from a closest point found elsewhere (the same
    /// search, made ahead of time); false, changing nothing, while the tube
    /// has not initialised.
    bool UseKnownClosestPoint(const MPoint& p, const MPoint& closest, double param);
    /// Where the tube's radius at the point nearest p lies between the
    /// thinnest and the thickest sample, in squared terms: 0 thinnest, 1
    /// thickest; 1 when all samples are equal or the closest point fails.
    double GetNormalisedRadius(MPoint p);

    /// Whether InitVolume would succeed; reports nothing.
    bool CanInitialise() const;

    /// What the tube says about one point, from the curve point nearest it.
    struct Sample
    {
        MPoint closestPoint;
        double distanceSquared = 0.0; ///< from the point to closestPoint
        double radiusSquared = 0.0;   ///< the tube's radius at closestPoint, squared
    };
    /// The sample of p from its closest curve point and that point's
    /// parameter, found elsewhere. Touches no cache, so several threads may
    /// ask at once.
    Sample SampleAt(const MPoint& p, const MPoint& closest, double param) const;
    /// IsPointInVolume, GetFalloff and GetNormalisedRadius for a sample whose
    /// closest point was found; the last needs the tube initialised.
    static bool IsInside(const Sample& sample) { return sample.radiusSquared > sample.distanceSquared; }
    static double Falloff(const Sample& sample);
    double NormalisedRadius(const Sample& sample) const;

    MObject curve;
    MPointArray curveData; ///< as given; must not change once the tube is made
    MFnNurbsCurve curveFn;
    MPoint cachedPoint;
    bool cacheValid = false;
    double distanceSquared = 0.0;
    double radiusSquared = 0.0;
    double closestParam = 0.0;
    MPoint closestPoint;
    double maxRadius = 0.0;
    double minRadius;
    double maxRadiusSquared = 0.0;
    double minRadiusSquared;

private:
    /// The indices of the samples that carry a radius key, in order: the
    /// per-particle search for the bracketing keys need not pass the
    /// samples between them.
    std::vector<unsigned> keys_;

    /// Caches the closest point of p and the tube's radius there.
    void SetClosestPoint(const MPoint& p, const MPoint& closest, double param);
    Sample CachedSample() const { return Sample{closestPoint, distanceSquared, radiusSquared}; }
};
