#include <maya/MTime.h>

#include <gtest/gtest.h>

TEST(MTime, RatesConvertExactly)
{
    const MTime second(1.0, MTime::kSeconds);
    EXPECT_EQ(second.as(MTime::kFilm), 24.0);
    EXPECT_EQ(second.as(MTime::kNTSCFrame), 30.0);
    EXPECT_EQ(second.as(MTime::kMilliseconds), 1000.0);
    EXPECT_EQ(MTime(48.0, MTime::kFilm).as(MTime::kSeconds), 2.0);
    EXPECT_EQ(MTime(36.0, MTime::kFilm).as(MTime::kPALFrame), 37.5);
    EXPECT_EQ(MTime(1.0, MTime::kHours).as(MTime::kMinutes), 60.0);
    EXPECT_EQ(MTime(24000.0, MTime::k23_976FPS).as(MTime::kSeconds), 1001.0);
    MStatus status;
    EXPECT_EQ(MTime(1.0, MTime::kUserDef).asUnits(MTime::kFilm, &status), 0.0);
    EXPECT_EQ(status, MStatus::kInvalidParameter);

    // The default unit is the UI unit, film until changed.
    EXPECT_EQ(MTime::uiUnit(), MTime::kFilm);
    EXPECT_EQ(MTime(10.0).unit(), MTime::kFilm);
    ASSERT_TRUE(MTime::setUIUnit(MTime::kPALFrame));
    EXPECT_EQ(MTime().unit(), MTime::kPALFrame);
    EXPECT_EQ(MTime::setUIUnit(MTime::kLast), MStatus::kInvalidParameter);
    EXPECT_EQ(MTime::uiUnit(), MTime::kPALFrame);
    MTime::setUIUnit(MTime::kFilm);
}

TEST(MTime, ArithmeticKeepsTheLeftUnitAndComparisonIsByMoment)
{
    const MTime frames(12.0, MTime::kFilm);
    const MTime sum = frames + MTime(0.5, MTime::kSeconds);
    EXPECT_EQ(sum.unit(), MTime::kFilm);
    EXPECT_EQ(sum.value(), 24.0);
    EXPECT_EQ((sum - 4.0).value(), 20.0);
    EXPECT_EQ((frames * 2.0).value(), 24.0);

    EXPECT_EQ(MTime(1.0, MTime::kSeconds), MTime(24.0, MTime::kFilm));
    EXPECT_EQ(MTime(24.0, MTime::kFilm), MTime(1.0, MTime::kSeconds));
    EXPECT_LT(MTime(24.0, MTime::kFilm), MTime(31.0, MTime::kNTSCFrame));
    EXPECT_GT(MTime(25.0, MTime::kFilm), MTime(1.0, MTime::kSeconds));
    EXPECT_LE(MTime(30.0, MTime::kNTSCFrame), MTime(24.0, MTime::kFilm));
    EXPECT_FALSE(MTime(1.0, MTime::kUserDef) == MTime(1.0, MTime::kUserDef));
}
