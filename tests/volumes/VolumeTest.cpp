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
