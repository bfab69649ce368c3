#include <maya/MColor.h>

#include <gtest/gtest.h>

TEST(MColor, ArithmeticAndColourModels)
{
    EXPECT_EQ(MColor(0.5f, 0.25f), MColor(0.5f, 0.25f, 0.0f, 1.0f));
    const MColor c(0.5f, 0.25f, 1.0f, 0.5f);
    // (c + c*c) / 2 - c*0.5, alpha included: c*c/2 component by component.
    EXPECT_EQ((c + c * c) / 2.0f - c * 0.5f, MColor(0.125f, 0.03125f, 0.5f, 0.125f));

    // Hue 120 degrees at full saturation and value is pure green.
    EXPECT_EQ(MColor(MColor::kHSV, 120.0f, 1.0f, 1.0f), MColor(0, 1, 0));
    EXPECT_EQ(MColor(MColor::kCMY, 1.0f, 0.0f, 0.25f, 0.5f), MColor(0.0f, 1.0f, 0.75f, 0.5f));
    EXPECT_EQ(MColor(MColor::kCMYK, 0.0f, 0.5f, 1.0f, 0.5f), MColor(0.5f, 0.25f, 0.0f));

    const MColor orange(1.0f, 0.5f, 0.0f);
    float h = 0, s = 0, v = 0;
    ASSERT_TRUE(orange.get(MColor::kHSV, h, s, v));
    EXPECT_FLOAT_EQ(h, 30.0f);
    EXPECT_FLOAT_EQ(s, 1.0f);
    EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_FALSE(orange.get(MColor::kCMYK, h, s, v));
}
