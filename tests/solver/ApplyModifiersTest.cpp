#include "ApplyModifiers.h"

#include "EntityBuilders.h"

#include <gtest/gtest.h>

namespace
{
bool SameParams(const ParticleParameters& a, const ParticleParameters& b)
{
    return a.simulationAccuracy == b.simulationAccuracy && a.maximumSpeed == b.maximumSpeed &&
           a.maximumForce == b.maximumForce && a.boidSeparation == b.boidSeparation &&
           a.obstacleSeparation == b.obstacleSeparation && a.numberOfNeighbours == b.numberOfNeighbours &&
           a.boidSeparationUrge == b.boidSeparationUrge && a.flockCentringUrge == b.flockCentringUrge &&
           a.velocityMatchingUrge == b.velocityMatchingUrge;
}

// A box of side 10 about the origin: every test particle at the origin is
// inside, at falloff 1.
void AddBox(ModifierData& data, ModificationMethod method, std::map<ParameterKey, double> overrides,
            double weight = 1.0, InfluenceMethod influence = InfluenceMethod::kFull)
{
    AddModifier(data, VolumeType::kBox, MPoint(0, 0, 0), MPoint(10, 10, 10), method, std::move(overrides),
                weight, influence);
}

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
    const ParticleParameters base = DistinctParams(); // maximum speed 10
    {                                                 // No modifiers: unchanged.
        ModifierData none;
        EXPECT_TRUE(SameParams(Applied(none), base));
    }
    { // Two overlapping Overrides of weight 1: the later one's value.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}});
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 30.0}});
        ParticleParameters expected = base;
        expected.maximumSpeed = 30.0;
        EXPECT_TRUE(SameParams(Applied(data), expected)); // nothing else changes
    }
    { // Additives add up; weight 0.5 halves the amount.
        ModifierData data;
        AddBox(data, ModificationMethod::kAdditive, {{ParameterKey::kMaximumForce, 5.0}});
        AddBox(data, ModificationMethod::kAdditive, {{ParameterKey::kMaximumForce, 8.0}}, 0.5);
        EXPECT_EQ(Applied(data).maximumForce, 13.0);
    }
    { // Nothing becomes negative.
        ModifierData data;
        AddBox(data, ModificationMethod::kAdditive,
               {{ParameterKey::kBoidSeparation, -50.0}, {ParameterKey::kFlockCentringUrge, -1.0}});
        const ParticleParameters p = Applied(data);
        EXPECT_EQ(p.boidSeparation, 0.0);
        EXPECT_EQ(p.flockCentringUrge, 0.0);
    }
    { // Neighbours 4 + Additive 3 at weight 0.5 = 5.5, stored as 5.
        ModifierData data;
        AddBox(data, ModificationMethod::kAdditive, {{ParameterKey::kNumberOfNeighbours, 3.0}}, 0.5);
        EXPECT_EQ(Applied(data).numberOfNeighbours, 5);
    }
    { // Override with weight 2 extrapolates past the value: 10 -> 20 gives 30;
        // an unknown method sets 0.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}}, 2.0);
        AddBox(data, static_cast<ModificationMethod>(7), {{ParameterKey::kVelocityMatchingUrge, 9.0}});
        const ParticleParameters p = Applied(data);
        EXPECT_EQ(p.maximumSpeed, 30.0);
        EXPECT_EQ(p.velocityMatchingUrge, 0.0);
    }
    { // Every key reaches its own field (keys 1 and 2 are the two limits).
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride,
               {{ParameterKey::kSimulationAccuracy, 0.5},
                {ParameterKey::kMaximumForce, 41.0},
                {ParameterKey::kMaximumSpeed, 42.0},
                {ParameterKey::kBoidSeparation, 43.0},
                {ParameterKey::kObstacleSeparation, 44.0},
                {ParameterKey::kNumberOfNeighbours, 45.0},
                {ParameterKey::kBoidSeparationUrge, 46.0},
                {ParameterKey::kFlockCentringUrge, 47.0},
                {ParameterKey::kVelocityMatchingUrge, 48.0}});
        const ParticleParameters expected{0.5, 42.0, 41.0, 43.0, 44.0, 45, 46.0, 47.0, 48.0};
        EXPECT_TRUE(SameParams(Applied(data), expected));
    }
}

TEST(ApplyModifiers, VolumesAndFalloff)
{
    const ParticleParameters base = DistinctParams();
    { // Outside the volume: unchanged.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}});
        EXPECT_TRUE(SameParams(Applied(data, MPoint(6, 0, 0)), base));
    }
    { // Linear Falloff of the box (1 at the centre, 0 at a face) times the
        // weight 0.5: on the face the value is kept; halfway, w = 0.25; at the
        // centre the weight alone.
        ModifierData data;
        AddBox(data, ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 20.0}}, 0.5,
               InfluenceMethod::kLinearFalloff);
        EXPECT_EQ(Applied(data, MPoint(5, 0, 0)).maximumSpeed, 10.0);
        EXPECT_DOUBLE_EQ(Applied(data, MPoint(0, 2.5, 0)).maximumSpeed, 12.5);
        EXPECT_DOUBLE_EQ(Applied(data, MPoint(0, 0, 0)).maximumSpeed, 15.0);
    }
    { // A sphere's falloff is quadratic: 0.75 at half the radius.
        ModifierData data;
        AddModifier(data, VolumeType::kSphere, MPoint(10, 0, 0), MPoint(4, 0, 0),
                    ModificationMethod::kAdditive, {{ParameterKey::kMaximumForce, 4.0}}, 1.0,
                    InfluenceMethod::kLinearFalloff);
        EXPECT_DOUBLE_EQ(Applied(data, MPoint(12, 0, 0)).maximumForce, 7.0);
    }
    { // A modifier without a volume is skipped; the next still applies.
        ModifierData data;
        AddModifier(data, static_cast<VolumeType>(9), MPoint(0, 0, 0), MPoint(10, 10, 10),
                    ModificationMethod::kOverride, {{ParameterKey::kMaximumSpeed, 99.0}});
        AddBox(data, ModificationMethod::kAdditive, {{ParameterKey::kMaximumSpeed, 1.0}});
        EXPECT_EQ(Applied(data).maximumSpeed, 11.0);
        // Fewer volumes than modifiers (not built yet) is no crash either.
        data.DeleteVolumes();
        ParticleParameters params = base;
        ApplyModifiers(data, MPoint(0, 0, 0), params);
        EXPECT_TRUE(SameParams(params, base));
    }
}
