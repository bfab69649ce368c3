#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <gtest/gtest.h>

TEST(Arrays, SetInsertRemoveAndSetLength)
{
    MIntArray a(3, 7);
    EXPECT_TRUE(a.set(1, 1));
    EXPECT_EQ(a.set(9, 3), MStatus::kFailure); // index == length is out of range
    EXPECT_TRUE(a.insert(5, 0));
    EXPECT_TRUE(a.insert(9, 4)); // at the end: appends
    EXPECT_EQ(a.insert(0, 6), MStatus::kFailure);
    const int expected[] = {5, 7, 1, 7, 9};
    ASSERT_EQ(a.length(), 5u);
    for (unsigned i = 0; i < 5; ++i)
        EXPECT_EQ(a[i], expected[i]) << i;

    EXPECT_TRUE(a.remove(0));
    EXPECT_EQ(a.remove(4), MStatus::kFailure);
    EXPECT_EQ(a[0], 7);
    EXPECT_EQ(a.length(), 4u);
    a.setLength(6); // grows with zeros, keeps the front
    EXPECT_EQ(a[3], 9);
    EXPECT_EQ(a[5], 0);
}

TEST(Arrays, GrowthKeepsStorageOrGrowsGeometrically)
{
    MVectorArray v;
    v.reserve(1000);
    const MVector* storage = v.data();
    for (int i = 0; i < 1000; ++i)
        v.append(MVector(i, 0, 0));
    EXPECT_EQ(v.data(), storage);
    EXPECT_EQ(v[999], MVector(999, 0, 0));

    // Appending one at a time grows geometrically, at least by the increment.
    MDoubleArray d;
    d.setSizeIncrement(100);
    d.append(1.0);
    EXPECT_GE(d.capacity(), 100u);
    unsigned reallocations = 0;
    const double* last = d.data();
    for (int i = 0; i < 100000; ++i)
    {
        d.append(i);
        if (d.data() != last)
        {
            ++reallocations;
            last = d.data();
        }
    }
    EXPECT_LE(reallocations, 12u);
}
