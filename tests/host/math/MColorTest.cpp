#include <maya/MColor.h>

#include <gtest/gtest.h>

TEST(MColor, ComponentWiseArithmetic)
{
    EXPECT_EQ(MColor(), MColor(0, 0, 0, 1));
    EXPECT_EQ(MColor(0.5f, 0.25f).b, 0.0f);
    EXPECT_EQ(MColor(0.5f, 0.25f).a, 1.0f);
    const MColor c(0.5f, 0.25f, 1.0f, 0.5f);
    EXPECT_EQ(c + c, MColor(1.0f, 0.5f, 2.0f, 1.0f));
    EXPECT_EQ(c * c, MColor(0.25f, 0.0625f, 1.0f, 0.25f));
    EXPECT_EQ(c * 2.0f, c + c);
    EXPECT_EQ(c / 2.0f, MColor(0.25f, 0.125f, 0.5f, 0.25f));
    MColor d = c;
    d -= c;
    EXPECT_EQ(d, MColor(0, 0, 0, 0));
}

TEST(MColor, ColourModels)
{
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
    const MColor back(MColor::kHSV, h, s, v);
    EXPECT_FLOAT_EQ(back.g, 0.5f);
    EXPECT_FALSE(orange.get(MColor::kCMYK, h, s, v));
}
