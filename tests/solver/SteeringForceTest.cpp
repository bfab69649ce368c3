#include "SteeringForce.h"

#include <gtest/gtest.h>

namespace
{
SteeringForce Force(double x, int priority, int combineMode = 0)
{
    SteeringForce f;
    f.vector = MVector(x, 2.0 * x, 0.0);
    f.priority = priority;
    f.combineMode = combineMode;
    return f;
}
} // namespace

TEST(SteeringForce, AccumulateMergesByPriority)
{
    { // Equal priorities add and keep everything else.
        SteeringForce acc = Force(1.0, 3, 7);
        Accumulate(acc, Force(2.0, 3, 2));
        EXPECT_EQ(acc.vector, MVector(3.0, 6.0, 0.0));
        EXPECT_EQ(acc.priority, 3);
        EXPECT_EQ(acc.combineMode, 7);
    }
    { // Blend: the higher force plus half the lower, whichever side is higher.
        SteeringForce acc = Force(4.0, 0);
        Accumulate(acc, Force(1.0, 100));
        EXPECT_EQ(acc.vector, MVector(3.0, 6.0, 0.0));
        EXPECT_EQ(acc.priority, 100);

        SteeringForce high = Force(1.0, 100);
        Accumulate(high, Force(4.0, 0));
        EXPECT_EQ(high.vector, MVector(3.0, 6.0, 0.0));
        EXPECT_EQ(high.priority, 100);
    }
    { // Replace: the higher alone; the added force's mode decides, not acc's.
        SteeringForce acc = Force(4.0, 0, 0);
        Accumulate(acc, Force(1.0, 5, 2));
        EXPECT_EQ(acc.vector, MVector(1.0, 2.0, 0.0));
        EXPECT_EQ(acc.priority, 5);
        EXPECT_EQ(acc.combineMode, 0);

        SteeringForce replacing = Force(4.0, 5, 2);
        Accumulate(replacing, Force(1.0, 0, 0));
        EXPECT_EQ(replacing.vector, MVector(4.5, 9.0, 0.0));
    }
    { // Any other mode only moves the priority, even downwards.
        SteeringForce acc = Force(4.0, 9);
        Accumulate(acc, Force(1.0, 2, 1));
        EXPECT_EQ(acc.vector, MVector(4.0, 8.0, 0.0));
        EXPECT_EQ(acc.priority, 9);

        SteeringForce low = Force(4.0, 0);
        Accumulate(low, Force(1.0, 8, 5));
        EXPECT_EQ(low.vector, MVector(4.0, 8.0, 0.0));
        EXPECT_EQ(low.priority, 8);
    }
}
