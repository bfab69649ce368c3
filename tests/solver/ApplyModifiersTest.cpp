#include "ApplyModifiers.h"

#include "EntityBuilders.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{
// Every field, for comparing whole records.
auto Fields(const ParticleParameters& p)
{
    return std::tuple(p.simulationAccuracy, p.maximumSpeed, p.maximumForce, p.boidSeparation,
                      p.obstacleSeparation, p.numberOfNeighbours, p.boidSeparationUrge, p.flockCentringUrge,
                      p.velocityMatchingUrge);
}

// A box of side 10 about the origin.
void AddBox(ModifierData& data, ModificationMethod method, std::map<ParameterKey, double> overrides,
            double weight = 1.0, InfluenceMethod influence = InfluenceMethod::kFull)
{
    AddModifier(data, VolumeType::kBox, MPoint(0, 0, 0), MPoint(10, 10, 10), method, std::move(overrides),
                weight, influence);
}

// DistinctParams (speed 10, force 4, neighbours 4) modified at p.
ParticleParameters Applied(ModifierData& data, const MPoint& p = MPoint(0, 0, 0))
{
    data.BuildVolumes();
    ParticleParameters params = DistinctParams();
    ApplyModifiers(data, p, params);
    return params;
}
} // namespace

TEST(ApplyModifiers, MethodsAndOrder)
{
    { // Two overlapping Overrides of weight 1: the later one's value, nothing else changes.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}});
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 30.0}});
        ParticleParameters expected = DistinctParams();
        expected.maximumSpeed = 30.0;
        EXPECT_EQ(Fields(Applied(data)), Fields(expected));
    }
    { // Additives add up, weight 0.5 halving the amount; nothing becomes
        // negative; neighbours 4 + 3 x 0.5 = 5.5 is stored as 5.
        ModifierData data;
        AddBox(data, ModificationMethod::kAdditive,
               {{ParameterKey::kMaximumForce, 5.0}, {ParameterKey::kBoidSeparation, -50.0}});
        AddBox(data, ModificationMethod::kAdditive,
               {{ParameterKey::kMaximumForce, 8.0}, {ParameterKey::kNumberOfNeighbours, 3.0}}, 0.5);
        const ParticleParameters p = Applied(data);
        EXPECT_EQ(p.maximumForce, 13.0);
        EXPECT_EQ(p.boidSeparation, 0.0);
        EXPECT_EQ(p.numberOfNeighbours, 5);
    }
    { // Override with weight 2 extrapolates: 10 -> 20 gives 30; an unknown method sets 0.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}}, 2.0);
        AddBox(data, static_cast<ModificationMethod>(7), {{ParameterKey::kVelocityMatchingUrge, 9.0}});
        const ParticleParameters p = Applied(data);
        EXPECT_EQ(p.maximumSpeed, 30.0);
        EXPECT_EQ(p.velocityMatchingUrge, 0.0);
    }
    { // Every key reaches its own field: key k set to 40 + k (keys 1 and 2 are the two limits).
        std::map<ParameterKey, double> all;
        for (int k = 0; k < 9; ++k)
            all[static_cast<ParameterKey>(k)] = 40.0 + k;
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, all);
        EXPECT_EQ(Fields(Applied(data)), Fields({40.0, 42.0, 41.0, 43.0, 44.0, 45, 46.0, 47.0, 48.0}));
    }
}

TEST(ApplyModifiers, VolumesAndFalloff)
{
    { // Linear Falloff of the box (1 at the centre, 0 at a face) times the
        // weight 0.5: on the face the value is kept; halfway w = 0.25; outside unchanged.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}}, 0.5,
               InfluenceMethod::kLinearFalloff);
        EXPECT_EQ(Applied(data, MPoint(5, 0, 0)).maximumSpeed, 10.0);
        EXPECT_DOUBLE_EQ(Applied(data, MPoint(0, 2.5, 0)).maximumSpeed, 12.5);
        EXPECT_DOUBLE_EQ(Applied(data, MPoint(0, 0, 0)).maximumSpeed, 15.0);
        EXPECT_EQ(Fields(Applied(data, MPoint(6, 0, 0))), Fields(DistinctParams()));
    }
    { // A modifier without a volume is skipped; the next still applies.
        ModifierData data;
        AddModifier(data, static_cast<VolumeType>(9), MPoint(0, 0, 0), MPoint(10, 10, 10),
                    ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 99.0}});
        AddBox(data, ModificationMethod::kAdditive, {{ParameterKey::kMaximumSpeed, 1.0}});
        EXPECT_EQ(Applied(data).maximumSpeed, 11.0);
        // Fewer volumes than modifiers (not built yet) is no crash either.
        data.DeleteVolumes();
        ParticleParameters params = DistinctParams();
        ApplyModifiers(data, MPoint(0, 0, 0), params);
        EXPECT_EQ(Fields(params), Fields(DistinctParams()));
    }
}
