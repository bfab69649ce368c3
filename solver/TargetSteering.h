#pragma once

#include "ArrayView.h"
#include "CurveVolume.h"
#include "ObstacleData.h"
#include "ParticleParameters.h"
#include "PerlinNoise.h"
#include "Prefetch.h"
#include "SteeringForce.h"
#include "TargetData.h"

#include <maya/MFnNurbsCurve.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <cstdint>
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
        MPoint tubePoint;   ///< the tube's closest curve point to the particle
        double tubeParam = 0.0;
        /// The tube's sample at tubePoint (CurveVolume::SampleAt), when found.
        double tubeDistanceSquared = 0.0;
        double tubeRadiusSquared = 0.0;
        bool tubeFound = false; ///< false: the pass searches itself
        /// The particle is outside the tube of a target that contains it: the
        /// pass steers it back by the tube alone, so targetPoint was not
        /// searched for (and no failure of that search is reported).
        bool targetUnused = false;
        /// The target point could not be found; the pass searches again for
        /// the host's reason, which it reports (rare: kept out of the record).
        bool targetFailed = false;
    };
    /// Makes, for every listed particle and every target of volume type Curve,
    /// the curve searches the pass would make (the tube's closest point when
    /// the tube bounds the target, and the target point unless the pass
    /// would not use it), on the threads
    /// of the calling task arena: they depend only on the particle's position
    /// and velocity, and they are the costliest part of the pass. TargetPass
    /// then uses outSearches; its results are the same. Entries of particles
    /// not listed are left as they were.
    void PrecomputeCurveSearches(ArrayView<std::int32_t> particles, const MVectorArray& positions,
                                 const MVectorArray& velocities, std::vector<CurveSearch>& outSearches);

    // The pass split for an evaluation whose entity work runs on several
    // threads: DrawWander makes, in particle order, the part that draws
    // random numbers or keeps state; TargetPassWithDraws then does the rest
    // for any particle on any thread, with the same results as TargetPass.

    /// Readies the pass to be split: every curve search made ahead (and every
    /// tube search found), every target volume of a shape that answers
    /// without changing (initialised here), no target that reports an error
    /// per particle. False, with nothing reported, when the pass must stay
    /// whole; the obstacles are the caller's to ready.
    bool PrepareSplitPass();
    /// How many wander draws DrawWander makes room for per particle.
    unsigned WanderColumns() const { return wanderColumns_; }
    /// For particle i, in particle order: what TargetPass would draw and keep
    /// into outDrawn[0..WanderColumns()) (the random unit vector, or the
    /// spherical wander's new direction, which it also keeps as the state),
    /// and the failure TargetPass would report, at the same point. Only the
    /// draws are made here: everything else waits for TargetPassWithDraws,
    /// which may run on other threads (params goes unused).
    MStatus DrawWander(unsigned i, const MPoint& p, const MVector& v, const ParticleParameters& params,
                       MVector* outDrawn);
    /// TargetPass with the wander terms DrawWander made for particle i. Draws
    /// nothing and changes nothing shared, so several threads may run it
    /// once PrepareSplitPass has succeeded (and the obstacles are grown).
    SteeringForce TargetPassWithDraws(unsigned i, const MPoint& p, const MVector& v,
                                      ParticleParameters& params, const MVector* drawn);
    /// After the obstacles are grown for the split pass: notes which obstacle
    /// first holds each target's fixed point, so that the pass need not ask
    /// again for every particle.
    void NoteFixedTargetsInObstacles();
    /// Starts fetching the curve searches of particle i, for a pass that
    /// visits the particles out of order.
    void Prefetch(unsigned i) const
    {
        if (curveSearches_ == nullptr)
            return;
        const auto* first = reinterpret_cast<const char*>(
            curveSearches_->data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(curveColumns_));
        for (std::size_t b = 0; b < sizeof(CurveSearch) * static_cast<std::size_t>(curveColumns_); b += 64)
            ::Prefetch(first + b);
    }

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
    /// The search made ahead for particle i and target t, or null.
    const CurveSearch* SearchOf(unsigned i, unsigned t) const;
    /// The tube's answer for the particle of a search made ahead, when it
    /// can give one without searching (its cache untouched).
    bool KnownTubeSample(unsigned t, const CurveSearch* search, CurveVolume::Sample& outSample) const;
    /// The whole pass; drawn, when not null, replaces the wander draws.
    MStatus Pass(unsigned i, const MPoint& p, const MVector& v, ParticleParameters& params,
                 const MVector* drawn, SteeringForce& outForce);
    double Influence(unsigned t, const MPoint& p, const CurveSearch* search);
    SteeringForce Steering(unsigned i, unsigned t, const MPoint& p, const MVector& v, int type,
                           const MPoint& T, ParticleParameters& params, const CurveSearch* search,
                           const MVector* drawn);
    MVector Containment(unsigned t, const MPoint& p, const CurveSearch* search, ParticleParameters& params,
                        bool& inside);
    MPoint CurveTargetPoint(const MFnNurbsCurve& curveFn, unsigned t, const MPoint& p, const MVector& v,
                            MStatus& status) const;
    /// PushTargetOutOfObstacles for target t, from what NoteFixedTargetsInObstacles noted.
    void PushTarget(unsigned t, MPoint& T, const MPoint& p, const MVector& v,
                    const ParticleParameters& params);
    /// Fills translations_ on the first call of the evaluation.
    void NoteTranslations();
    /// Whether target t's wander term draws random numbers.
    bool WanderDraws(unsigned t) const;
    /// The volume bounding target t's influence (GetTargetVolume), as noted
    /// by PrepareSplitPass when it succeeded.
    Volume* TargetVolume(unsigned t);
    /// The target point a search made ahead found, or the failure the host
    /// gives for it.
    MPoint SearchedTargetPoint(unsigned t, const MPoint& p, const MVector& v, const CurveSearch& search,
                               MStatus& status) const;
    /// The wander term from the part DrawWander drew (the unit vector, or
    /// the spherical wander's new direction).
    MVector WanderFromDraw(unsigned t, const MVector& v, const MVector& draw, double maximumForce) const;

    TargetData& targets_;
    /// The world translation of each target's matrix, worked out on the first
    /// pass rather than once per particle.
    std::vector<MPoint> translations_;
    /// Per target, its column in the precomputed curve searches (-1: none).
    std::vector<int> curveColumn_;
    int curveColumns_ = 0;
    const std::vector<CurveSearch>* curveSearches_ = nullptr;
    bool tubeSearchMissed_ = false; ///< some tube search made ahead failed
    /// Per target with a fixed point, the first obstacle holding that point
    /// (the obstacle count: none); empty unless the obstacles are grown alike.
    std::vector<unsigned> firstObstacleHolding_;
    /// Per target, when planned_: GetTargetVolume, and the tube Containment
    /// asks (null: none), both fixed for the evaluation.
    std::vector<Volume*> plannedVolumes_;
    std::vector<CurveVolume*> plannedTubes_;
    bool planned_ = false;
    /// Per target, its column in DrawWander's output (-1: draws nothing).
    std::vector<int> wanderColumn_;
    unsigned wanderColumns_ = 0;
    ObstacleData& obstacles_;
    MVectorArray& wanderStates_;
    const PerlinNoise& noise_;
};
