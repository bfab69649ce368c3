// The curve searches of path-following targets: the nearest point on a
// target's curve and on its tube for every particle, made on the
// evaluation's threads before the passes that read them.
#include "TargetSteering.h"

#include "ArrayView.h"
#include "CurveVolume.h"

#include <maya/MFnNurbsCurve.h>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <atomic>

namespace
{
// The accuracy the curve point of a target needs.
constexpr double kCurveTolerance = 0.01;
} // namespace

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
