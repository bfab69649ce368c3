#include "BoxVolume.h"
#include "CapsuleVolume.h"
#include "SphereVolume.h"

#include <maya/MEulerRotation.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace
{
bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

TEST(Volume, InfluenceAnswersAsContainmentAndFalloffDo)
{
    // The solver asks GetInfluence where it asked IsPointInVolume and then
    // GetFalloff; the forces it feeds must not change by a bit.
    MTransformationMatrix turned;
    turned.rotateTo(MEulerRotation(0.3, -0.7, 1.1));
    const double scale[3] = {1.5, 0.5, 2.0};
    turned.setScale(scale, MSpace::kTransform);
    turned.setTranslation(MVector(3, -2, 1), MSpace::kTransform);
    std::vector<std::unique_ptr<Volume>> shapes;
    shapes.emplace_back(new SphereVolume(MPoint(1, 2, 3), 6.0));
    shapes.emplace_back(new BoxVolume(MPoint(3, -2, 1), 8.0, 5.0, 3.0, turned));
    shapes.emplace_back(new BoxVolume(MPoint(0, 0, 0), 6.0, 0.0, 6.0, MTransformationMatrix()));
    shapes.emplace_back(new CapsuleVolume(MPoint(3, -2, 1), 2.0, 6.0, turned));
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-12.0, 12.0);
    int inside = 0;
    for (auto& shape : shapes)
    {
        shape->SetMargin(0.5);
        for (int k = 0; k < 2000; ++k)
        {
            const MPoint p(u(rng), u(rng), u(rng));
            for (const bool falloff : {false, true})
            {
                double influence = -1.0;
                const bool in = shape->GetInfluence(p, falloff, influence);
                ASSERT_EQ(in, shape->IsPointInVolume(p));
                const double expected = !in ? 0.0 : falloff ? shape->GetFalloff(p) : 1.0;
                ASSERT_TRUE(SameBits(influence, expected)) << influence << " " << expected;
                inside += in ? 1 : 0;
            }
        }
    }
    EXPECT_GT(inside, 300);
}

TEST(Volume, RayHitPointsAreThoseOfTheFullRayQuery)
{
    // Rays from all around aimed at points near a turned, scaled box: the
    // quick answer (no normal, a ball to turn most rays away) must be the
    // full query's, hit point to the bit.
    MTransformationMatrix turned;
    turned.rotateTo(MEulerRotation(-0.4, 0.9, 0.2));
    const double scale[3] = {2.0, 0.5, 1.0};
    turned.setScale(scale, MSpace::kTransform);
    turned.setTranslation(MVector(-3, 4, 2), MSpace::kTransform);
    BoxVolume box(MPoint(-3, 4, 2), 4.0, 6.0, 2.0, turned);
    box.SetMargin(0.25);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    int hits = 0;
    for (int k = 0; k < 4000; ++k)
    {
        const MPoint origin(-3 + 30 * u(rng), 4 + 30 * u(rng), 2 + 30 * u(rng));
        const MPoint aim(-3 + 7 * u(rng), 4 + 7 * u(rng), 2 + 7 * u(rng));
        MPoint full(1, 2, 3);
        MPoint quick(1, 2, 3);
        MVector normal;
        MVector reflected;
        const bool expected = box.GetRayIntersection(origin, aim - origin, full, normal, reflected, true);
        ASSERT_EQ(box.GetRayHitPoint(origin, aim - origin, quick, true), expected) << k;
        ASSERT_EQ(quick, full) << k;
        hits += expected ? 1 : 0;
    }
    EXPECT_GT(hits, 400);
    EXPECT_LT(hits, 3600);
}
