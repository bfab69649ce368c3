#pragma once

#include "ObstacleData.h"
#include "ParticleParameters.h"
#include "PerlinNoise.h"
#include "SteeringForce.h"
#include "TargetData.h"

#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <cstdint>
#include <span>
#include <vector>

/// The target pass of one evaluation: for each particle, the sum over the
/// targets of weight x influence x (desired velocity - velocity). Reads the
/// evaluation's targets and obstacles, keeps each particle's wander direction
/// in wanderStates, and draws random numbers, so particles go through it one
/// at a time, in order. It lives for one evaluation: the records must not
/// change while it does (it keeps each target's translation).
class TargetSteering
{
public:
    TargetSteering(TargetData& targets, ObstacleData& obstacles, MVectorArray& wanderStates,
                   const PerlinNoise& noise);

    /// The target force of particle i at p with velocity v (priority 0). May
    /// set params.boidSeparationUrge (curve containment). Fails, with the
    /// host's error, when a curve target's point cannot be found.
    MStatus TargetPass(unsigned i, const MPoint& p, const MVector& v, ParticleParameters& params,
                       SteeringForce& outForce);

    /// The volume that bounds target t's influence, or null.
    Volume* GetTargetVolume(unsigned t);
    /// 1 without a volume; 0 outside it; inside, the falloff with "Linear
    /// Falloff", else 1.
    double GetTargetInfluence(unsigned t, const MPoint& p);
    /// One tangent length beyond the curve point nearest the look-ahead point
    /// p + v (or nearest p, when a direction limit forbids going back). The
    /// origin when the target has no curve.
    MPoint GetCurveTargetPoint(unsigned t, const MPoint& p, const MVector& v, MStatus& status) const;

    /// The curve searches of one particle and one curve target, made ahead
    /// of the pass.
    struct CurveSearch
    {
        MPoint targetPoint; ///< GetCurveTargetPoint
        MStatus status;
        MPoint tubePoint; ///< the tube's closest curve point to the particle
        double tubeParam = 0.0;
        bool tubeFound = false; ///< false: the pass searches itself
    };
    /// Makes, for every listed particle and every target of volume type Curve,
    /// the curve searches the pass would make (the target point, and the
    /// tube's closest point when the tube bounds the target), on the threads
    /// of the calling task arena: they depend only on the particle's position
    /// and velocity, and they are the costliest part of the pass. TargetPass
    /// then uses outSearches; its results are the same.
    void PrecomputeCurveSearches(std::span<const std::int32_t> particles, const MVectorArray& positions,
                                 const MVectorArray& velocities, std::vector<CurveSearch>& outSearches);
    /// Moves T to the nearest point of every obstacle (grown by the particle's
    /// obstacleSeparation) that contains it, later obstacles testing the moved point.
    void PushTargetOutOfObstacles(MPoint& T, const MPoint& p, const MVector& v, ParticleParameters params);
    /// Desired velocity minus v for one target and steering type.
    SteeringForce GetTargetSteering(unsigned i, unsigned t, const MPoint& p, const MVector& v, int type,
                                    const MPoint& T, ParticleParameters& params);
    /// The wander term of particle i, by mode.
    MVector GetWanderSteering(unsigned i, const MVector& v, const MPoint& p, int mode, double strength,
                              double rate, double maximumForce);
    /// The pull back into a curve target's tube; sets inside and the particle's
    /// boid separation urge.
    MVector GetContainmentSteering(unsigned t, const MPoint& p, ParticleParameters& params, bool& inside);

private:
    /// Whether target t's tube bounds it (so the pass asks the tube about p).
    bool TubeBoundsTarget(unsigned t) const;

    TargetData& targets_;
    /// The world translation of each target's matrix, worked out on the first
    /// pass rather than once per particle.
    std::vector<MPoint> translations_;
    /// Per target, its column in the precomputed curve searches (-1: none).
    std::vector<int> curveColumn_;
    int curveColumns_ = 0;
    const std::vector<CurveSearch>* curveSearches_ = nullptr;
    ObstacleData& obstacles_;
    MVectorArray& wanderStates_;
    const PerlinNoise& noise_;
};
