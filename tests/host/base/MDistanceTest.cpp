#include <maya/MDistance.h>

#include <gtest/gtest.h>

TEST(MDistance, WholeLengthsConvertExactly)
{
    EXPECT_EQ(MDistance(1.0, MDistance::kInches).asCentimeters(), 2.54);
    EXPECT_EQ(MDistance(1.0, MDistance::kFeet).asCentimeters(), 30.48);
    EXPECT_EQ(MDistance(1.0, MDistance::kFeet).asInches(), 12.0);
    EXPECT_EQ(MDistance(2.54, MDistance::kCentimeters).asInches(), 1.0);
    EXPECT_EQ(MDistance(1.0, MDistance::kMiles).asKilometers(), 1.609344);
    EXPECT_EQ(MDistance(3.0, MDistance::kYards).asFeet(), 9.0);
    EXPECT_EQ(MDistance(250.0, MDistance::kMillimeters).asMeters(), 0.25);
    EXPECT_EQ(MDistance().asCentimeters(), 0.0);

    // setUnit relabels; it does not convert.
    MDistance d(5.0, MDistance::kMeters);
    EXPECT_TRUE(d.setUnit(MDistance::kFeet));
    EXPECT_EQ(d.value(), 5.0);
    EXPECT_EQ(d.setUnit(MDistance::kLast), MStatus::kInvalidParameter);
    EXPECT_EQ(d.unit(), MDistance::kFeet);
    MStatus status;
    EXPECT_EQ(MDistance(1.0, MDistance::kInvalid).asMeters(&status), 0.0);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
}

TEST(MDistance, UIUnitDrivesUIConversionsOnly)
{
    EXPECT_EQ(MDistance::uiUnit(), MDistance::kCentimeters);
    EXPECT_EQ(MDistance::uiToInternal(3.5), 3.5);
    ASSERT_TRUE(MDistance::setUIUnit(MDistance::kMeters));
    EXPECT_EQ(MDistance::uiToInternal(3.5), 350.0);
    EXPECT_EQ(MDistance::internalToUI(350.0), 3.5);
    EXPECT_EQ(MDistance::internalUnit(), MDistance::kCentimeters);
    EXPECT_EQ(MDistance::setUIUnit(MDistance::kInvalid), MStatus::kInvalidParameter);
    EXPECT_EQ(MDistance::uiUnit(), MDistance::kMeters);
    MDistance::setUIUnit(MDistance::kCentimeters);
}
