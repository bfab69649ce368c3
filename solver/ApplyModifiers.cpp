#include "ApplyModifiers.h"

#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "SphereVolume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

namespace
{
double& Field(ParticleParameters& params, ParameterKey key, double& neighbours)
{
    switch (key)
    {
    case ParameterKey::kSimulationAccuracy:
        return params.simulationAccuracy;
    case ParameterKey::kMaximumForce:
        return params.maximumForce;
    case ParameterKey::kMaximumSpeed:
        return params.maximumSpeed;
    case ParameterKey::kBoidSeparation:
        return params.boidSeparation;
    case ParameterKey::kObstacleSeparation:
        return params.obstacleSeparation;
    case ParameterKey::kBoidSeparationUrge:
        return params.boidSeparationUrge;
    case ParameterKey::kFlockCentringUrge:
        return params.flockCentringUrge;
    case ParameterKey::kVelocityMatchingUrge:
        return params.velocityMatchingUrge;
    case ParameterKey::kNumberOfNeighbours:
        break;
    }
    return neighbours;
}
} // namespace

void ApplyModifiers(ModifierData& modifiers, const MPoint& p, ParticleParameters& params)
{
    for (unsigned m = 0; m < modifiers.count; ++m)
    {
        Volume* volume = m < modifiers.volumes.size() ? modifiers.volumes[m].get() : nullptr;
        const bool falloff =
            modifiers.influenceMethods[m] == static_cast<int>(InfluenceMethod::kLinearFalloff);
        double weight = 0.0;
        if (volume == nullptr || !volume->GetInfluence(p, falloff, weight))
            continue;
        weight *= modifiers.weights[m];
        const int method = modifiers.modificationMethods[m];
        for (const auto& [key, x] : modifiers.parameterOverrides[m])
        {
            double neighbours = static_cast<double>(params.numberOfNeighbours);
            double& field = Field(params, key, neighbours);
            const double o = field;
            double n = 0.0;
            if (method == static_cast<int>(ModificationMethod::kOverride))
                n = (1.0 - weight) * o + weight * x;
            else if (method == static_cast<int>(ModificationMethod::kAdditive))
                n = o + weight * x;
            field = std::max(0.0, n);
            if (key == ParameterKey::kNumberOfNeighbours)
            {
                // Truncated, and kept within an int (a huge additive value
                // would not convert).
                const double limit = static_cast<double>(std::numeric_limits<int>::max());
                params.numberOfNeighbours = static_cast<int>(std::trunc(std::min(neighbours, limit)));
            }
        }
    }
}

bool PrepareModifiers(ModifierData& modifiers)
{
    for (unsigned m = 0; m < modifiers.count; ++m)
    {
        Volume* volume = m < modifiers.volumes.size() ? modifiers.volumes[m].get() : nullptr;
        if (volume == nullptr)
            continue;
        const std::type_info& shape = typeid(*volume);
        if (shape != typeid(SphereVolume) && shape != typeid(BoxVolume) && shape != typeid(CapsuleVolume))
            return false;
        if (!volume->initialised)
            volume->InitVolume();
    }
    return true;
}
