#include "CurveVolume.h"

#include "VolumeTestUtil.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurveData.h>
#include <vxhost/MessageLog.h>

namespace
{
// A straight degree-1 curve along x whose parameter equals x, from 0 to 10.
MObject StraightCurve()
{
    MPointArray cvs;
    cvs.append(MPoint(0, 0, 0));
    cvs.append(MPoint(10, 0, 0));
    MDoubleArray knots;
    knots.append(0.0);
    knots.append(10.0);
    MObject data = MFnNurbsCurveData().create();
    MStatus status;
    MFnNurbsCurve().create(cvs, knots, 1, MFnNurbsCurve::kOpen, false, false, data, &status);
    EXPECT_TRUE(status) << status.errorString();
    return data;
}

// Keys (parameter 0, radius 1) and (parameter 10, radius 3), with optional
// samples between them.
MPointArray Keys(double betweenRadius = -1.0)
{
    MPointArray samples;
    samples.append(MPoint(0, 1, 1));
    if (betweenRadius >= 0.0)
    {
        samples.append(MPoint(2.5, betweenRadius, 0));
        samples.append(MPoint(5, betweenRadius, 0));
    }
    samples.append(MPoint(10, 3, 1));
    return samples;
}
} // namespace

TEST(CurveVolume, RadiusInterpolatedBetweenKeys)
{
    CurveVolume tube(StraightCurve(), Keys());
    // Closest parameter 5: radius 2, radiusSquared 4.
    EXPECT_TRUE(tube.IsPointInVolume(MPoint(5, 1.9, 0)));
    EXPECT_NEAR(tube.radiusSquared, 4.0, 1e-9);
    EXPECT_NEAR(tube.closestParam, 5.0, 1e-6);
    EXPECT_FALSE(tube.IsPointInVolume(MPoint(5, 2, 0)));
    EXPECT_NEAR(tube.GetFalloff(MPoint(5, 1, 0)), 0.75, 1e-9);
    EXPECT_NEAR(tube.GetNormalisedRadius(MPoint(5, 1, 0)), 0.375, 1e-9);

    // At a key's own parameter, that key's radius; beyond the ends, the end keys'.
    EXPECT_TRUE(tube.UpdateClosestPoint(MPoint(10, 0.5, 0)));
    EXPECT_NEAR(tube.radiusSquared, 9.0, 1e-9);
    EXPECT_TRUE(tube.UpdateClosestPoint(MPoint(-4, 0.5, 0)));
    EXPECT_NEAR(tube.radiusSquared, 1.0, 1e-9);

    // Samples between keys do not change the radius, but they widen the range
    // the normalised radius is measured against.
    CurveVolume bumpy(StraightCurve(), Keys(10.0));
    EXPECT_TRUE(bumpy.UpdateClosestPoint(MPoint(5, 1, 0)));
    EXPECT_NEAR(bumpy.radiusSquared, 4.0, 1e-9);
    EXPECT_NEAR(bumpy.GetNormalisedRadius(MPoint(5, 1, 0)), 3.0 / 99.0, 1e-9);

    // The same point again is answered from the cache, without a new search.
    tube.UpdateClosestPoint(MPoint(3, 1, 0));
    tube.distanceSquared = 100.0;
    EXPECT_FALSE(tube.IsPointInVolume(MPoint(3, 1, 0)));
    EXPECT_TRUE(tube.IsPointInVolume(MPoint(3, 1.0000001, 0)));
}

TEST(CurveVolume, FixedAnswersAndFailures)
{
    CurveVolume tube(StraightCurve(), Keys());
    tube.SetMargin(5.0);
    tube.InitVolume();
    tube.SetMargin(7.0);
    EXPECT_TRUE(tube.initialised); // the margin plays no part
    EXPECT_EQ(tube.GetClosestPoint(MPoint(3, 3, 3)), MPoint(0, 0, 0));
    EXPECT_EQ(tube.GetCentre(), MPoint(0, 0, 0));
    EXPECT_EQ(tube.GetMaxDimension(), 0.0);
    MPoint hit;
    MVector normal;
    MVector reflected;
    EXPECT_FALSE(tube.GetRayIntersection(MPoint(5, 5, 0), MVector(0, -1, 0), hit, normal, reflected, true));

    // A tube of no radius: nothing is inside, and the falloff is 0, not NaN.
    MPointArray thin;
    thin.append(MPoint(0, 0, 1));
    thin.append(MPoint(10, 0, 1));
    CurveVolume line(StraightCurve(), thin);
    EXPECT_FALSE(line.IsPointInVolume(MPoint(5, 0, 0)));
    EXPECT_EQ(line.GetFalloff(MPoint(5, 0, 0)), 0.0);

    // No curve: one error at initialisation, one per query; outside, falloff 1.
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    CurveVolume missing(MObject(), Keys());
    EXPECT_FALSE(missing.IsPointInVolume(MPoint(1, 1, 1)));
    EXPECT_EQ(missing.GetFalloff(MPoint(1, 1, 1)), 1.0);
    EXPECT_EQ(missing.GetNormalisedRadius(MPoint(1, 1, 1)), 1.0);
    const auto messages = vxhost::Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0].text,
              "CurveVolume::InitVolume - Unable to initialise curve volume class. Not enough data provided");
    EXPECT_EQ(messages[1].text.rfind("CurveVolume::IsPointInVolume - Unable to get closest point on curve", 0), 0u);
    vxhost::SetMessageEcho(true);
}
