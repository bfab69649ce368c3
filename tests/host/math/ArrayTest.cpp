#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <gtest/gtest.h>

#include <numeric>

TEST(Arrays, MayaMethodsAndBounds)
{
    MIntArray a(3, 7);
    EXPECT_EQ(a.length(), 3u);
    EXPECT_EQ(a[2], 7);
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

    a.setLength(6); // grows with zeros
    EXPECT_EQ(a[5], 0);
    MIntArray b;
    b.copy(a);
    EXPECT_EQ(b, a);
    b.clear();
    EXPECT_EQ(b.length(), 0u);
    EXPECT_EQ(a.length(), 6u);

    const double raw[] = {1.5, 2.5, 3.5};
    const MDoubleArray d(raw, 3);
    double out[3] = {};
    d.get(out);
    EXPECT_EQ(out[2], 3.5);
    EXPECT_EQ(MDoubleArray(2).length(), 2u);

    MPointArray points;
    points.append(1, 2);
    points.append(MPoint(3, 4, 5));
    EXPECT_EQ(points[0], MPoint(1, 2, 0, 1));
    EXPECT_TRUE(points.set(1, 9, 9, 9, 2));
    EXPECT_EQ(points[1].w, 2.0);

    MStringArray names;
    names.append("a");
    names.append(MString("b"));
    EXPECT_EQ(names[1], "b");
}

TEST(Arrays, ReserveAndIterateWithoutReallocation)
{
    MVectorArray v;
    v.reserve(1000);
    const MVector* storage = v.data();
    for (int i = 0; i < 1000; ++i)
        v.append(MVector(i, 0, 0));
    EXPECT_EQ(v.data(), storage);
    EXPECT_GE(v.capacity(), 1000u);

    double sum = 0.0;
    for (const MVector& item : v)
        sum += item.x;
    EXPECT_EQ(sum, 999.0 * 1000.0 / 2.0);
    EXPECT_EQ(v.end() - v.begin(), 1000);

    // Appending one at a time grows geometrically, at least by the increment.
    MDoubleArray d;
    d.setSizeIncrement(100);
    EXPECT_EQ(d.sizeIncrement(), 100u);
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
