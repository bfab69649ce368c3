#include "TargetSteering.h"

#include "ArrayView.h"
#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "CurveVolume.h"
#include "MathConstants.h"
#include "RandomUnitVector.h"
#include "SphereVolume.h"
#include "Truncate.h"

#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>
#include <maya/MTransformationMatrix.h>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <typeinfo>

namespace
{
// The accuracy the curve point of a target needs.
constexpr double kCurveTolerance = 0.01;

MVector Normalised(MVector v)
{
    v.normalize(); // a zero vector stays zero
    return v;
}

// 0 for no strength, else the strength capped at 1.
double WanderScale(double strength)
{
    return strength <= 0.0 ? 0.0 : std::min(1.0, strength);
}
} // namespace

TargetSteering::TargetSteering(TargetData& targets, ObstacleData& obstacles, MVectorArray& wanderStates,
                               const PerlinNoise& noise)
    : targets_(targets), obstacles_(obstacles), wanderStates_(wanderStates), noise_(noise)
{
}

MStatus TargetSteering::TargetPass(unsigned i, const MPoint& p, const MVector& v, ParticleParameters& params,
                                   SteeringForce& outForce)
{
    return Pass(i, p, v, params, nullptr, outForce);
}

SteeringForce TargetSteering::TargetPassWithDraws(unsigned i, const MPoint& p, const MVector& v,
                                                  ParticleParameters& params, const MVector* drawn)
{
    // DrawWander has met, and reported, any failure first.
    SteeringForce force;
    Pass(i, p, v, params, drawn, force);
    return force;
}

MStatus TargetSteering::Pass(unsigned i, const MPoint& p, const MVector& v, ParticleParameters& params,
                             const MVector* drawn, SteeringForce& outForce)
{
    outForce = SteeringForce();
    NoteTranslations();
    for (unsigned t = 0; t < targets_.count; ++t)
    {
        const int type = targets_.steeringTypes[t];
        const CurveSearch* search = SearchOf(i, t);
        double influence = 1.0;
        if (!(targets_.containments[t] == 1 && !targets_.curves[t].isNull()))
        {
            influence = Influence(t, p, search);
            if (influence == 0.0)
                continue;
        }

        MPoint target;
        if (targets_.volumeTypes[t] != static_cast<int>(VolumeType::kCurve))
        {
            target = translations_[t];
        }
        else
        {
            MStatus status;
            if (search != nullptr)
            {
                target = SearchedTargetPoint(t, p, v, *search, status);
            }
            else
            {
                target = GetCurveTargetPoint(t, p, v, status);
            }
            if (!status)
            {
                MGlobal::displayError(MString("getting curve target") + status.errorString());
                return MStatus::kFailure;
            }
        }

        const bool attracted =
            type == static_cast<int>(SteeringType::kWander) && targets_.wanderParameters[t].z > 0.0;
        // A target point left unsearched goes unused: nothing to push.
        const bool targetUsed = search == nullptr || !search->targetUnused;
        if ((type == static_cast<int>(SteeringType::kSeek) ||
             type == static_cast<int>(SteeringType::kPathFollow) || attracted) &&
            targetUsed)
            PushTarget(t, target, p, v, params);

        SteeringForce steering = Steering(i, t, p, v, type, target, params, search, drawn);
        steering.vector *= influence;
        // Every target force has priority 0, as the total has: Accumulate
        // would only add.
        outForce.vector += steering.vector * targets_.weights[t];
    }
    return MStatus::kSuccess;
}

void TargetSteering::NoteTranslations()
{
    if (translations_.size() == targets_.count)
        return;
    translations_.clear();
    for (unsigned t = 0; t < targets_.count; ++t)
        translations_.emplace_back(
            MTransformationMatrix(targets_.worldMatrices[t]).getTranslation(MSpace::kWorld));
}

bool TargetSteering::PrepareSplitPass()
{
    NoteTranslations();
    wanderColumn_.assign(targets_.count, -1);
    wanderColumns_ = 0;
    if (tubeSearchMissed_)
        return false;
    for (unsigned t = 0; t < targets_.count; ++t)
    {
        const bool searched = curveSearches_ != nullptr && curveColumn_[t] >= 0;
        if (targets_.volumeTypes[t] == static_cast<int>(VolumeType::kCurve) && !searched)
            return false;
        // GetTargetVolume would report this for every particle.
        if (targets_.steeringTypes[t] == static_cast<int>(SteeringType::kPathFollow) &&
            targets_.curves[t].isNull())
            return false;
        if (Volume* volume = GetTargetVolume(t))
        {
            // Shapes whose queries only read once initialised; a tube only
            // when it answers from the searches made ahead.
            const std::type_info& shape = typeid(*volume);
            if (shape == typeid(SphereVolume) || shape == typeid(BoxVolume) || shape == typeid(CapsuleVolume))
            {
                if (!volume->initialised)
                    volume->InitVolume();
            }
            else if (shape == typeid(CurveVolume) && searched && TubeBoundsTarget(t))
            {
                if (!volume->initialised && !static_cast<CurveVolume*>(volume)->CanInitialise())
                    return false;
                if (!volume->initialised)
                    volume->InitVolume();
            }
            else
            {
                return false;
            }
        }
        if (WanderDraws(t))
            wanderColumn_[t] = static_cast<int>(wanderColumns_++);
    }
    // Every target's volume is now known to answer without reports.
    plannedVolumes_.assign(targets_.count, nullptr);
    plannedTubes_.assign(targets_.count, nullptr);
    for (unsigned t = 0; t < targets_.count; ++t)
    {
        plannedVolumes_[t] = GetTargetVolume(t);
        plannedTubes_[t] = dynamic_cast<CurveVolume*>(plannedVolumes_[t]);
    }
    planned_ = true;
    return true;
}

MStatus TargetSteering::DrawWander(unsigned i, const MPoint& p, const MVector& v, const ParticleParameters&,
                                   MVector* outDrawn)
{
    // The targets in the pass's order, as far as the pass gets: a failing
    // curve target ends it before the wander draws of the targets after it.
    for (unsigned t = 0; t < targets_.count; ++t)
    {
        const bool onCurve = targets_.volumeTypes[t] == static_cast<int>(VolumeType::kCurve);
        const int column = wanderColumn_[t];
        if (!onCurve && column < 0)
            continue;
        const CurveSearch* search = SearchOf(i, t);
        if (!(targets_.containments[t] == 1 && !targets_.curves[t].isNull()) &&
            Influence(t, p, search) == 0.0)
            continue;
        if (onCurve && search->targetFailed)
        {
            MStatus status;
            SearchedTargetPoint(t, p, v, *search, status);
            MGlobal::displayError(MString("getting curve target") + status.errorString());
            return MStatus::kFailure;
        }
        if (column >= 0)
        {
            // Only the draws and the state they keep; the rest of the term
            // is the pass's, on any thread (WanderFromDraw).
            const MVector draw = RandomUnitVector();
            if (targets_.wanderModes[t] == static_cast<int>(WanderMode::kRandomDirection))
            {
                outDrawn[column] = draw;
                continue;
            }
            const MVector jitter = draw * targets_.wanderParameters[t].y;
            MVector direction = i < wanderStates_.length() ? wanderStates_[i] + jitter : jitter;
            direction.normalize();
            if (i < wanderStates_.length())
                wanderStates_[i] = direction;
            outDrawn[column] = direction;
        }
    }
    return MStatus::kSuccess;
}

MVector TargetSteering::WanderFromDraw(unsigned t, const MVector& v, const MVector& draw,
                                       double maximumForce) const
{
    // As GetWanderSteering goes on from its draws.
    const double strength = targets_.wanderParameters[t].x;
    if (targets_.wanderModes[t] == static_cast<int>(WanderMode::kRandomDirection))
        return draw * WanderScale(strength) * maximumForce;
    return Normalised(v) * kSqrt2 + draw * strength * maximumForce;
}

MPoint TargetSteering::SearchedTargetPoint(unsigned t, const MPoint& p, const MVector& v,
                                           const CurveSearch& search, MStatus& status) const
{
    status = MStatus::kSuccess;
    if (!search.targetFailed)
        return search.targetPoint;
    // The same search fails the same way, with the host's reason.
    const MPoint point = GetCurveTargetPoint(t, p, v, status);
    return status ? search.targetPoint : point;
}

Volume* TargetSteering::TargetVolume(unsigned t)
{
    return planned_ ? plannedVolumes_[t] : GetTargetVolume(t);
}

bool TargetSteering::WanderDraws(unsigned t) const
{
    const int mode = targets_.wanderModes[t];
    return targets_.steeringTypes[t] == static_cast<int>(SteeringType::kWander) &&
           (mode == static_cast<int>(WanderMode::kRandomDirection) ||
            mode == static_cast<int>(WanderMode::kSphericalConstraint));
}

const TargetSteering::CurveSearch* TargetSteering::SearchOf(unsigned i, unsigned t) const
{
    if (curveSearches_ == nullptr || curveColumn_[t] < 0)
        return nullptr;
    return &(*curveSearches_)[static_cast<std::size_t>(i) * static_cast<std::size_t>(curveColumns_) +
                              static_cast<std::size_t>(curveColumn_[t])];
}

bool TargetSteering::KnownTubeSample(unsigned t, const CurveSearch* search,
                                     CurveVolume::Sample& outSample) const
{
    if (search == nullptr || !search->tubeFound)
        return false;
    // A found tube search means the volume is the target's tube. Before it
    // has initialised, its own search must run (and report any failure).
    const auto* tube = static_cast<const CurveVolume*>(targets_.volumes[t].get());
    if (!tube->initialised)
        return false;
    outSample.closestPoint = search->tubePoint;
    outSample.distanceSquared = search->tubeDistanceSquared;
    outSample.radiusSquared = search->tubeRadiusSquared;
    return true;
}

Volume* TargetSteering::GetTargetVolume(unsigned t)
{
    const int volumeType = targets_.volumeTypes[t];
    if (volumeType > static_cast<int>(VolumeType::kCurve))
        return nullptr;
    Volume* volume = t < targets_.volumes.size() ? targets_.volumes[t].get() : nullptr;
    if (targets_.steeringTypes[t] != static_cast<int>(SteeringType::kPathFollow))
    {
        const MPoint& d = targets_.volumeDimensions[t];
        switch (static_cast<VolumeType>(volumeType))
        {
        case VolumeType::kSphere:
        case VolumeType::kCapsule:
            return d.x <= 0.0 ? nullptr : volume;
        case VolumeType::kBox:
            return (d.x <= 0.0 || d.y <= 0.0 || d.z <= 0.0) ? nullptr : volume;
        default:
            return nullptr;
        }
    }
    if (targets_.curves[t].isNull())
    {
        MGlobal::displayError("Target type must be a curve to use the Path Follow steering type.");
        return nullptr;
    }
    return targets_.useCurveVolumes[t] == 1 ? volume : nullptr;
}

double TargetSteering::GetTargetInfluence(unsigned t, const MPoint& p)
{
    return Influence(t, p, nullptr);
}

double TargetSteering::Influence(unsigned t, const MPoint& p, const CurveSearch* search)
{
    Volume* volume = TargetVolume(t);
    if (volume == nullptr)
        return 1.0;
    const bool falloff = targets_.influenceMethods[t] == static_cast<int>(InfluenceMethod::kLinearFalloff);
    CurveVolume::Sample sample;
    if (KnownTubeSample(t, search, sample))
    {
        if (!CurveVolume::IsInside(sample))
            return 0.0;
        return falloff ? CurveVolume::Falloff(sample) : 1.0;
    }
    double influence = 0.0;
    volume->GetInfluence(p, falloff, influence);
    return influence;
}

MPoint TargetSteering::GetCurveTargetPoint(unsigned t, const MPoint& p, const MVector& v,
                                           MStatus& status) const
{
    status = MStatus::kSuccess;
    if (targets_.curves[t].isNull())
        return MPoint(0.0, 0.0, 0.0);
    MFnNurbsCurve curveFn;
    status = curveFn.setObject(targets_.curves[t]);
    if (!status)
        return MPoint(0.0, 0.0, 0.0);
    return CurveTargetPoint(curveFn, t, p, v, status);
}

MPoint TargetSteering::CurveTargetPoint(const MFnNurbsCurve& curveFn, unsigned t, const MPoint& p,
                                        const MVector& v, MStatus& status) const
{
    status = MStatus::kSuccess;
    const MPoint origin(0.0, 0.0, 0.0);
    // The nearest point's own parameter serves for the tangent: a second
    // search for the parameter at that point would find the same one. The
    // curve is "worldSpace" data, already in world coordinates: its own space
    // is the world.
    double u = 0.0;
    MPoint c = curveFn.closestPoint(p + v, &u, kCurveTolerance, MSpace::kObject, &status);
    if (!status)
        return origin;
    MVector tangent = curveFn.tangent(u, MSpace::kObject, &status);
    if (!status)
        return origin;
    if (targets_.curveDirLimits[t] != 0)
    {
        if (targets_.reverseCurveDirections[t] != 0)
            tangent = -tangent;
        // The look-ahead point projects behind the particle along the allowed
        // direction: start from the particle's own nearest point instead.
        if ((c - p) * tangent < 0.0)
        {
            c = curveFn.closestPoint(p, nullptr, kCurveTolerance, MSpace::kObject, &status);
            if (!status)
                return origin;
        }
    }
    return c + tangent;
}

void TargetSteering::PrecomputeCurveSearches(ArrayView<std::int32_t> particles, const MVectorArray& positions,
                                             const MVectorArray& velocities,
                                             std::vector<CurveSearch>& outSearches)
{
    curveColumn_.assign(targets_.count, -1);
    curveColumns_ = 0;
    std::vector<std::uint8_t> tubes(targets_.count, 0);
    for (unsigned t = 0; t < targets_.count; ++t)
        if (targets_.volumeTypes[t] == static_cast<int>(VolumeType::kCurve))
        {
            curveColumn_[t] = curveColumns_++;
            if (TubeBoundsTarget(t))
            {
                // 2: the tube also contains the particles, and it has the
                // samples that tell whether a particle is inside.
                const auto* tube = static_cast<const CurveVolume*>(targets_.volumes[t].get());
                const bool contains = targets_.containments[t] == 1 && tube->curveData.length() > 0;
                tubes[t] = contains ? 2 : 1;
            }
        }
    curveSearches_ = nullptr;
    tubeSearchMissed_ = false;
    if (curveColumns_ == 0)
        return;

    const std::size_t columns = static_cast<std::size_t>(curveColumns_);
    // Every entry of a listed particle is written below.
    outSearches.resize(positions.length() * columns);
    std::atomic<bool> missed{false};
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, particles.size(), 256),
        [&](const tbb::blocked_range<std::size_t>& range)
        {
            bool rangeMissed = false;
            for (unsigned t = 0; t < targets_.count; ++t)
            {
                if (curveColumn_[t] < 0)
                    continue;
                const std::size_t column = static_cast<std::size_t>(curveColumn_[t]);
                // One function set per target and chunk: binding one shares
                // the curve's reference count with every other thread.
                const bool hasCurve = !targets_.curves[t].isNull();
                MFnNurbsCurve curveFn;
                const MStatus bound = hasCurve ? curveFn.setObject(targets_.curves[t]) : MStatus::kSuccess;
                // A curve of no length has no tangent: its target point fails
                // wherever it is searched for, so it is always searched for.
                const bool mayLeaveTarget = tubes[t] == 2 && bound && curveFn.length() > 0.0;
                for (std::size_t r = range.begin(); r != range.end(); ++r)
                {
                    const unsigned i = static_cast<unsigned>(particles[r]);
                    const MVector& position = positions[i];
                    const MPoint p(position.x, position.y, position.z);
                    CurveSearch& out = outSearches[i * columns + column];
                    out.tubeFound = false;
                    bool inside = true;
                    if (tubes[t] != 0 && bound)
                    {
                        MStatus status;
                        out.tubePoint = curveFn.closestPoint(
                            p, &out.tubeParam, CurveVolume::kClosestPointTolerance, MSpace::kObject, &status);
                        out.tubeFound = static_cast<bool>(status);
                        if (out.tubeFound)
                        {
                            const CurveVolume::Sample sample =
                                static_cast<const CurveVolume*>(targets_.volumes[t].get())
                                    ->SampleAt(p, out.tubePoint, out.tubeParam);
                            out.tubeDistanceSquared = sample.distanceSquared;
                            out.tubeRadiusSquared = sample.radiusSquared;
                            inside = CurveVolume::IsInside(sample);
                        }
                    }
                    rangeMissed = rangeMissed || (tubes[t] != 0 && !out.tubeFound);
                    out.targetFailed = !bound;
                    out.targetPoint = MPoint(0.0, 0.0, 0.0);
                    // Outside a tube that contains the particles the pass
                    // steers by the tube alone, so the target point (the
                    // dearer of the two searches) would go unused.
                    out.targetUnused = mayLeaveTarget && out.tubeFound && !inside;
                    if (hasCurve && bound && !out.targetUnused)
                    {
                        MStatus status;
                        out.targetPoint = CurveTargetPoint(curveFn, t, p, velocities[i], status);
                        out.targetFailed = !status;
                    }
                }
            }
            if (rangeMissed)
                missed.store(true, std::memory_order_relaxed);
        });
    tubeSearchMissed_ = missed.load();
    curveSearches_ = &outSearches;
}

bool TargetSteering::TubeBoundsTarget(unsigned t) const
{
    return targets_.steeringTypes[t] == static_cast<int>(SteeringType::kPathFollow) &&
           targets_.useCurveVolumes[t] == 1 && !targets_.curves[t].isNull() && t < targets_.volumes.size() &&
           dynamic_cast<const CurveVolume*>(targets_.volumes[t].get()) != nullptr;
}

void TargetSteering::NoteFixedTargetsInObstacles()
{
    firstObstacleHolding_.assign(targets_.count, 0);
    for (unsigned t = 0; t < targets_.count; ++t)
    {
        if (targets_.volumeTypes[t] == static_cast<int>(VolumeType::kCurve))
            continue;
        unsigned o = 0;
        for (; o < obstacles_.count; ++o)
        {
            Volume* volume = o < obstacles_.volumes.size() ? obstacles_.volumes[o].get() : nullptr;
            if (volume != nullptr && volume->IsPointInVolume(translations_[t]))
                break;
        }
        firstObstacleHolding_[t] = o;
    }
}

void TargetSteering::PushTarget(unsigned t, MPoint& T, const MPoint& p, const MVector& v,
                                const ParticleParameters& params)
{
    if (firstObstacleHolding_.empty() || targets_.volumeTypes[t] == static_cast<int>(VolumeType::kCurve))
    {
        PushTargetOutOfObstacles(T, p, v, params);
        return;
    }
    // The target's own point is the same for every particle, and so is what
    // holds it, up to the first obstacle that moves it.
    unsigned o = firstObstacleHolding_[t];
    if (o == obstacles_.count)
        return;
    T = obstacles_.volumes[o]->GetClosestPoint(p + v);
    for (++o; o < obstacles_.count; ++o)
    {
        Volume* volume = o < obstacles_.volumes.size() ? obstacles_.volumes[o].get() : nullptr;
        if (volume != nullptr && volume->IsPointInVolume(T))
            T = volume->GetClosestPoint(p + v);
    }
}

void TargetSteering::PushTargetOutOfObstacles(MPoint& T, const MPoint& p, const MVector& v,
                                              ParticleParameters params)
{
    for (unsigned o = 0; o < obstacles_.count; ++o)
    {
        Volume* volume = o < obstacles_.volumes.size() ? obstacles_.volumes[o].get() : nullptr;
        if (volume == nullptr)
            continue;
        volume->SetMargin(params.obstacleSeparation);
        if (volume->IsPointInVolume(T))
            T = volume->GetClosestPoint(p + v);
    }
}

SteeringForce TargetSteering::GetTargetSteering(unsigned i, unsigned t, const MPoint& p, const MVector& v,
                                                int type, const MPoint& T, ParticleParameters& params)
{
    return Steering(i, t, p, v, type, T, params, nullptr, nullptr);
}

SteeringForce TargetSteering::Steering(unsigned i, unsigned t, const MPoint& p, const MVector& v, int type,
                                       const MPoint& T, ParticleParameters& params, const CurveSearch* search,
                                       const MVector* drawn)
{
    const double S = params.maximumSpeed;
    const double F = params.maximumForce;
    MVector desired;
    switch (static_cast<SteeringType>(type))
    {
    case SteeringType::kSeek:
    {
        const MVector d = T - p;
        const double arrival = targets_.arrivalDistances[t];
        if (arrival <= 0.0)
        {
            desired = Normalised(d) * S;
        }
        else
        {
            // Slows linearly inside the arrival distance. At the target itself
            // there is nowhere to go: no desired velocity.
            const double L = d.length();
            if (L > 0.0)
                desired = d * (std::min(S, L / arrival * S) / L);
        }
        break;
    }
    case SteeringType::kFlee:
        desired = -Normalised(T - p) * S;
        break;
    case SteeringType::kWander:
    {
        const MPoint& w = targets_.wanderParameters[t];
        const int column = drawn != nullptr ? wanderColumn_[t] : -1;
        desired = column >= 0 ? WanderFromDraw(t, v, drawn[column], F)
                              : GetWanderSteering(i, v, p, targets_.wanderModes[t], w.x, w.y, F);
        Truncate(desired, S);
        if (w.z > 0.0)
            desired += Normalised(T - p) * S * w.z;
        break;
    }
    case SteeringType::kPathFollow:
    {
        bool inside = true;
        const MVector containment = Containment(t, p, search, params, inside);
        desired = Normalised(inside ? (T - p) + containment : containment) * S;
        break;
    }
    }
    SteeringForce result;
    result.vector = desired - v;
    return result;
}

MVector TargetSteering::GetWanderSteering(unsigned i, const MVector& v, const MPoint& p, int mode,
                                          double strength, double rate, double maximumForce)
{
    switch (static_cast<WanderMode>(mode))
    {
    case WanderMode::kRandomDirection:
        return RandomUnitVector() * WanderScale(strength) * maximumForce;
    case WanderMode::kSphericalConstraint:
    {
        const MVector jitter = RandomUnitVector() * rate;
        MVector direction = i < wanderStates_.length() ? wanderStates_[i] + jitter : jitter;
        direction.normalize();
        if (i < wanderStates_.length())
            wanderStates_[i] = direction;
        return Normalised(v) * kSqrt2 + direction * strength * maximumForce;
    }
    case WanderMode::kPerlinNoise:
    {
        const MVector n(noise_.Noise(p.x, p.y, p.z), noise_.Noise(p.x + 1000.0, p.y + 1000.0, p.z + 1000.0),
                        noise_.Noise(p.x + 2000.0, p.y + 2000.0, p.z + 2000.0));
        return Normalised(n) * WanderScale(strength) * maximumForce;
    }
    }
    return MVector::zero;
}

MVector TargetSteering::GetContainmentSteering(unsigned t, const MPoint& p, ParticleParameters& params,
                                               bool& inside)
{
    return Containment(t, p, nullptr, params, inside);
}

MVector TargetSteering::Containment(unsigned t, const MPoint& p, const CurveSearch* search,
                                    ParticleParameters& params, bool& inside)
{
    if (targets_.useCurveVolumes[t] != 1 || targets_.containments[t] != 1)
        return MVector::zero;
    CurveVolume* tube = planned_ ? plannedTubes_[t] : dynamic_cast<CurveVolume*>(GetTargetVolume(t));
    if (tube == nullptr)
        return MVector::zero;

    CurveVolume::Sample sample;
    const bool known = KnownTubeSample(t, search, sample);
    double f = 0.0;
    if (known)
    {
        inside = CurveVolume::IsInside(sample);
        f = CurveVolume::Falloff(sample);
    }
    else
    {
        inside = tube->IsPointInVolume(p);
        f = tube->GetFalloff(p); // also refreshes the tube's nearest curve point
        sample.closestPoint = tube->closestPoint;
    }
    const MVector pull = Normalised(sample.closestPoint - p) * (1.0 - f) * params.maximumForce;
    if (!inside)
    {
        params.boidSeparationUrge = 0.0;
    }
    else
    {
        const double a = targets_.containmentSeparationMins[t];
        const double g = known ? tube->NormalisedRadius(sample) : tube->GetNormalisedRadius(p);
        params.boidSeparationUrge = (1.0 - f) * a + ((1.0 - g) * a + g) * f;
    }
    return pull;
}
