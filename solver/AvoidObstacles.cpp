#include "AvoidObstacles.h"

#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "MeshVolume.h"
#include "RayRoutines.h"
#include "SphereVolume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

namespace
{
// Obstacles farther than about sqrt(1 + 25) times their size are not seen.
constexpr double kCullingFactor = 5.0;

// x / y < 1, as rounded division answers it, without dividing where the
// answer is plain: most particles are well inside or well outside the reach
// of every obstacle, and the division would cost more than the rest of the
// cull. Close to the edge, and for unusual values, the division decides.
bool QuotientBelowOne(double x, double y)
{
    if (y >= std::numeric_limits<double>::min() && y <= std::numeric_limits<double>::max())
    {
        // x / y >= 1 rounds to at least 1; x <= y (1 - 1e-7) stays below 1
        // after both roundings.
        if (x >= y)
            return false;
        if (x <= y * (1.0 - 1e-7))
            return true;
    }
    return x / y < 1.0;
}
} // namespace

SteeringForce AvoidObstacles(ObstacleData& obstacles, const MPoint& p, const MVector& v,
                             const ParticleParameters& params)
{
    SteeringForce out;
    out.priority = 100;
    if (v == MVector::zero || obstacles.count == 0)
        return out;

    const double maxForce = params.maximumForce;
    // Every shape would normalise the velocity for its ray in the same way:
    // once serves them all.
    MVector direction = v;
    direction.normalize();
    for (unsigned o = 0; o < obstacles.count; ++o)
    {
        Volume* volume = o < obstacles.volumes.size() ? obstacles.volumes[o].get() : nullptr;
        if (volume == nullptr)
            continue;
        volume->SetMargin(params.obstacleSeparation);

        // A shape of no size (a curve, an empty mesh) is culled rather than
        // divided by.
        const double r = volume->GetMaxDimension();
        const MVector q = p - volume->GetCentre();
        const double reach = kCullingFactor * r;
        if (r == 0.0 || !QuotientBelowOne(q * q - r * r, reach * reach))
            continue;

        const int type = obstacles.volumeTypes[o];
        if (type != static_cast<int>(VolumeType::kMesh) && volume->IsPointInVolume(p))
        {
            MVector push = volume->GetClosestPoint(p) - volume->GetCentre();
            if (push.normalize())
                push *= volume->GetFalloff(p) * maxForce;
            out.vector += push;
            continue;
        }

        MPoint hitPoint(0.0, 0.0, 0.0);
        MVector hitNormal;
        MVector reflected;
        if (type == static_cast<int>(VolumeType::kBox) || type == static_cast<int>(VolumeType::kMesh))
        {
            if (!volume->GetRayHitPoint(p, direction, hitPoint, false))
                continue;
            // Radial from the centre rather than the face normal: a smoother
            // push around corners, and meshes report no normal at all.
            hitNormal = hitPoint - volume->GetCentre();
            hitNormal.normalize();
            reflected = Reflect(direction, hitNormal);
        }
        else if (!volume->GetRayIntersection(p, direction, hitPoint, hitNormal, reflected, false))
        {
            continue;
        }
        const double a = std::fabs(reflected * hitNormal);
        const double k = (a == 0.0 ? 0.0 : std::min(1.0, a)) * maxForce;
        if (hitNormal.normalize())
            hitNormal *= k;
        out.vector += hitNormal;
    }
    return out;
}

bool PrepareObstacles(ObstacleData& obstacles, double margin)
{
    for (unsigned o = 0; o < obstacles.count; ++o)
    {
        Volume* volume = o < obstacles.volumes.size() ? obstacles.volumes[o].get() : nullptr;
        if (volume == nullptr)
            continue;
        const std::type_info& shape = typeid(*volume);
        const bool mesh = shape == typeid(MeshVolume);
        if (!mesh && shape != typeid(SphereVolume) && shape != typeid(BoxVolume) &&
            shape != typeid(CapsuleVolume))
            return false;
        volume->SetMargin(margin);
        if (volume->initialised)
            continue;
        // A mesh that cannot initialise reports at every query: leave those
        // reports to the in-order pass.
        if (mesh && !static_cast<MeshVolume*>(volume)->CanInitialise())
            return false;
        volume->InitVolume();
        if (!volume->initialised)
            return false;
    }
    return true;
}
