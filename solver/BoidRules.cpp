#include "BoidRules.h"

#include "Truncate.h"

void FindNeighboursBruteForce(std::int32_t i, const MPoint& p, const MVectorArray& positions, int k,
                              ArrayView<std::int32_t> candidates, NeighbourList& out)
{
    out.Reset(k);
    for (const std::int32_t j : candidates)
    {
        if (j == i)
            continue;
        const MVector& q = positions[static_cast<unsigned>(j)];
        const double dx = p.x - q.x;
        const double dy = p.y - q.y;
        const double dz = p.z - q.z;
        const double position[3] = {q.x, q.y, q.z};
        out.Offer(j, j, dx * dx + dy * dy + dz * dz, position, out.HasRoomSigned());
    }
}

SteeringForce BoidForce(std::int32_t i, std::size_t rank, const MPoint& p, const MVectorArray& positions,
                        const MVectorArray& velocities, const ParticleParameters& params, const KDTree& tree,
                        ArrayView<std::int32_t> candidates, NeighbourList& neighbours,
                        ArrayView<MVector> leafVelocities)
{
    SteeringForce result;
    if (params.boidSeparationUrge == 0.0 && params.flockCentringUrge == 0.0 &&
        params.velocityMatchingUrge == 0.0)
        return result;

    const bool byRank = tree.IsBuilt() && !leafVelocities.empty();
    // In particle order the neighbours' velocities lie far apart: fetch each
    // as it is found.
    neighbours.prefetch = byRank ? nullptr : &velocities[0];
    if (tree.IsBuilt())
        tree.NearestAt(rank, params.numberOfNeighbours, neighbours);
    else
        FindNeighboursBruteForce(i, p, positions, params.numberOfNeighbours, candidates, neighbours);

    const double s2 = params.boidSeparation * params.boidSeparation;
    const double maxForce = params.maximumForce;
    MVector separation;
    MVector centre;
    MVector velocity;
    const std::size_t n = neighbours.Size();
    for (std::size_t e = 0; e < n; ++e)
    {
        const MVector& position = neighbours.Positions()[e];
        const double d2 = neighbours.SquaredDistances()[e];
        if (d2 < s2)
        {
            MVector away(p.x - position.x, p.y - position.y, p.z - position.z);
            // Coincident particles cannot push each other apart: a zero vector
            // does not normalise and adds nothing.
            if (away.normalize())
                away *= (s2 - d2) / s2 * maxForce;
            separation += away;
        }
        velocity += byRank ? leafVelocities[static_cast<std::size_t>(neighbours.Ranks()[e])]
                           : velocities[static_cast<unsigned>(neighbours.Indices()[e])];
        centre += position;
    }

    MVector cohesion;
    MVector matching;
    if (n > 0)
    {
        const double count = static_cast<double>(n);
        cohesion = centre / count - MVector(p.x, p.y, p.z);
        Truncate(cohesion, maxForce);
        matching = velocity / count - (byRank ? leafVelocities[rank] : velocities[static_cast<unsigned>(i)]);
        Truncate(matching, maxForce);
    }

    result.vector = separation * params.boidSeparationUrge + cohesion * params.flockCentringUrge +
                    matching * params.velocityMatchingUrge;
    Truncate(result.vector, maxForce);
    return result;
}
