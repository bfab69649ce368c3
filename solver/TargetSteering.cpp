#include "TargetSteering.h"

#include "CurveVolume.h"
#include "RandomUnitVector.h"
#include "Truncate.h"

#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>
#include <maya/MTransformationMatrix.h>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <cmath>
#include <numbers>

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
    outForce = SteeringForce();
    if (translations_.size() != targets_.count)
    {
        translations_.clear();
        for (unsigned t = 0; t < targets_.count; ++t)
            translations_.emplace_back(
                MTransformationMatrix(targets_.worldMatrices[t]).getTranslation(MSpace::kWorld));
    }
    for (unsigned t = 0; t < targets_.count; ++t)
    {
        const int type = targets_.steeringTypes[t];
        const CurveSearch* search = nullptr;
        if (curveSearches_ != nullptr && curveColumn_[t] >= 0)
        {
            search =
                &(*curveSearches_)[static_cast<std::size_t>(i) * static_cast<std::size_t>(curveColumns_) +
                                   static_cast<std::size_t>(curveColumn_[t])];
            // The tube then answers this particle from its cache.
            if (search->tubeFound)
                static_cast<CurveVolume*>(targets_.volumes[t].get())
                    ->UseKnownClosestPoint(p, search->tubePoint, search->tubeParam);
        }
        double influence = 1.0;
        if (!(targets_.containments[t] == 1 && !targets_.curves[t].isNull()))
        {
            influence = GetTargetInfluence(t, p);
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
                target = search->targetPoint;
                status = search->status;
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
        if (type == static_cast<int>(SteeringType::kSeek) ||
            type == static_cast<int>(SteeringType::kPathFollow) || attracted)
            PushTargetOutOfObstacles(target, p, v, params);

        SteeringForce steering = GetTargetSteering(i, t, p, v, type, target, params);
        steering.vector *= influence;
        SteeringForce weighted;
        weighted.vector = steering.vector * targets_.weights[t];
        Accumulate(outForce, weighted);
    }
    return MStatus::kSuccess;
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
    Volume* volume = GetTargetVolume(t);
    if (volume == nullptr)
        return 1.0;
    if (!volume->IsPointInVolume(p))
        return 0.0;
    return targets_.influenceMethods[t] == static_cast<int>(InfluenceMethod::kLinearFalloff)
               ? volume->GetFalloff(p)
               : 1.0;
}

MPoint TargetSteering::GetCurveTargetPoint(unsigned t, const MPoint& p, const MVector& v,
                                           MStatus& status) const
{
    status = MStatus::kSuccess;
    const MPoint origin(0.0, 0.0, 0.0);
    if (targets_.curves[t].isNull())
        return origin;
    MFnNurbsCurve curveFn;
    status = curveFn.setObject(targets_.curves[t]);
    if (!status)
        return origin;

    // The nearest point's own parameter serves for the tangent: a second
    // search for the parameter at that point would find the same one.
    double u = 0.0;
    MPoint c = curveFn.closestPoint(p + v, &u, kCurveTolerance, MSpace::kWorld, &status);
    if (!status)
        return origin;
    MVector tangent = curveFn.tangent(u, MSpace::kWorld, &status);
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
            c = curveFn.closestPoint(p, nullptr, kCurveTolerance, MSpace::kWorld, &status);
            if (!status)
                return origin;
        }
    }
    return c + tangent;
}

void TargetSteering::PrecomputeCurveSearches(std::span<const std::int32_t> particles,
                                             const MVectorArray& positions, const MVectorArray& velocities,
                                             std::vector<CurveSearch>& outSearches)
{
    curveColumn_.assign(targets_.count, -1);
    curveColumns_ = 0;
    for (unsigned t = 0; t < targets_.count; ++t)
        if (targets_.volumeTypes[t] == static_cast<int>(VolumeType::kCurve))
            curveColumn_[t] = curveColumns_++;
    curveSearches_ = nullptr;
    if (curveColumns_ == 0)
        return;

    const std::size_t columns = static_cast<std::size_t>(curveColumns_);
    outSearches.assign(positions.length() * columns, CurveSearch());
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, particles.size(), 256),
        [&](const tbb::blocked_range<std::size_t>& range)
        {
            for (std::size_t r = range.begin(); r != range.end(); ++r)
            {
                const unsigned i = static_cast<unsigned>(particles[r]);
                const MVector& position = positions[i];
                const MPoint p(position.x, position.y, position.z);
                for (unsigned t = 0; t < targets_.count; ++t)
                {
                    if (curveColumn_[t] < 0)
                        continue;
                    CurveSearch& out = outSearches[i * columns + static_cast<std::size_t>(curveColumn_[t])];
                    out.targetPoint = GetCurveTargetPoint(t, p, velocities[i], out.status);
                    if (!TubeBoundsTarget(t))
                        continue;
                    MFnNurbsCurve curveFn;
                    MStatus status = curveFn.setObject(targets_.curves[t]);
                    if (status)
                        out.tubePoint = curveFn.closestPoint(
                            p, &out.tubeParam, CurveVolume::kClosestPointTolerance, MSpace::kWorld, &status);
                    out.tubeFound = static_cast<bool>(status);
                }
            }
        });
    curveSearches_ = &outSearches;
}

bool TargetSteering::TubeBoundsTarget(unsigned t) const
{
    return targets_.steeringTypes[t] == static_cast<int>(SteeringType::kPathFollow) &&
           targets_.useCurveVolumes[t] == 1 && !targets_.curves[t].isNull() && t < targets_.volumes.size() &&
           dynamic_cast<const CurveVolume*>(targets_.volumes[t].get()) != nullptr;
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
        desired = GetWanderSteering(i, v, p, targets_.wanderModes[t], w.x, w.y, F);
        Truncate(desired, S);
        if (w.z > 0.0)
            desired += Normalised(T - p) * S * w.z;
        break;
    }
    case SteeringType::kPathFollow:
    {
        bool inside = true;
        const MVector containment = GetContainmentSteering(t, p, params, inside);
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
        return Normalised(v) * std::numbers::sqrt2 + direction * strength * maximumForce;
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
    if (targets_.useCurveVolumes[t] != 1 || targets_.containments[t] != 1)
        return MVector::zero;
    auto* tube = dynamic_cast<CurveVolume*>(GetTargetVolume(t));
    if (tube == nullptr)
        return MVector::zero;

    inside = tube->IsPointInVolume(p);
    const double f = tube->GetFalloff(p); // also refreshes the tube's nearest curve point
    const MVector pull = Normalised(tube->closestPoint - p) * (1.0 - f) * params.maximumForce;
    if (!inside)
    {
        params.boidSeparationUrge = 0.0;
    }
    else
    {
        const double a = targets_.containmentSeparationMins[t];
        const double g = tube->GetNormalisedRadius(p);
        params.boidSeparationUrge = (1.0 - f) * a + ((1.0 - g) * a + g) * f;
    }
    return pull;
}
