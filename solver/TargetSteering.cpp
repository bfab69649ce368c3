#include "TargetSteering.h"

#include "ArrayView.h"
#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "CurveVolume.h"
#include "MathConstants.h"
#include "RandomUnitVector.h"
#include "SphereVolume.h"
#include "Truncate.h"

#include <maya/MGlobal.h>
#include <maya/MTransformationMatrix.h>

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace
{
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
