#include "BoxVolume.h"
#include "RayRoutines.h"

#include "VolumeTestUtil.h"

#include <maya/MEulerRotation.h>
#include <vxhost/MessageLog.h>

#include <cmath>

namespace
{
BoxVolume UnitBox(double margin = 0.0)
{
    BoxVolume box(MPoint(0, 0, 0), 2.0, 2.0, 2.0, MTransformationMatrix());
    box.SetMargin(margin);
    return box;
}
} // namespace

TEST(BoxVolume, ContainmentFalloffAndClosestPoint)
{
    BoxVolume box = UnitBox();
    EXPECT_TRUE(box.IsPointInVolume(MPoint(1, 0, 0))); // faces count as inside
    EXPECT_FALSE(box.IsPointInVolume(MPoint(1.01, 0, 0)));
    EXPECT_EQ(box.GetFalloff(MPoint(0, 0, 0)), 1.0);
    EXPECT_EQ(box.GetFalloff(MPoint(0.5, 0, 0)), 0.5);
    EXPECT_NEAR(box.GetFalloff(MPoint(0.5, 0.9, 0)), 0.1, 1e-15); // the nearest face decides
    EXPECT_EQ(box.GetFalloff(MPoint(3, 0, 0)), 0.0);
    EXPECT_POINT_NEAR(box.GetClosestPoint(MPoint(5, 0.5, -7)), MPoint(1, 0.5, -1));
    EXPECT_POINT_NEAR(box.GetClosestPoint(MPoint(0.2, 0.3, 0.4)), MPoint(0.2, 0.3, 0.4));

    // The margin is added to the full size: half extents 1.5.
    BoxVolume grown = UnitBox(1.0);
    EXPECT_TRUE(grown.IsPointInVolume(MPoint(1.4, 0, 0)));
    EXPECT_EQ(grown.GetMaxDimension(), 3.0);

    BoxVolume flat(MPoint(0, 0, 0), 3.0, 3.0, 1.0, MTransformationMatrix());
    EXPECT_EQ(flat.GetMaxDimension(), 3.0);

    // No extent on an axis: nothing is deep inside, and no NaN.
    BoxVolume sheet(MPoint(0, 0, 0), 2.0, 0.0, 2.0, MTransformationMatrix());
    EXPECT_EQ(sheet.GetFalloff(MPoint(0, 0, 0)), 0.0);
    EXPECT_TRUE(sheet.IsPointInVolume(MPoint(0.5, 0, 0)));
}

TEST(BoxVolume, FollowsItsWorldMatrix)
{
    // Turned a quarter about z and moved to (10, 0, 0): the local x axis (width
    // 4) now runs along world y.
    MTransformationMatrix m;
    m.rotateTo(MEulerRotation(0, 0, M_PI / 2));
    m.setTranslation(MVector(10, 0, 0), MSpace::kTransform);
    BoxVolume box(MPoint(10, 0, 0), 4.0, 2.0, 2.0, m);
    EXPECT_TRUE(box.IsPointInVolume(MPoint(10, 1.9, 0)));
    EXPECT_FALSE(box.IsPointInVolume(MPoint(11.5, 0, 0)));
    EXPECT_POINT_NEAR(box.GetClosestPoint(MPoint(10, 7, 0)), MPoint(10, 2, 0));
    EXPECT_POINT_NEAR(box.boundingBox.min(), MPoint(9, -2, -1));
    EXPECT_POINT_NEAR(box.boundingBox.max(), MPoint(11, 2, 1));

    // A scaled box scales its hit normal too: it is not renormalised.
    MTransformationMatrix scaled;
    const double scale[3] = {2.0, 1.0, 1.0};
    scaled.setScale(scale, MSpace::kTransform);
    BoxVolume wide(MPoint(0, 0, 0), 2.0, 2.0, 2.0, scaled);
    MPoint hit;
    MVector normal;
    MVector reflected;
    ASSERT_TRUE(wide.GetRayIntersection(MPoint(-5, 0, 0), MVector(1, 0, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(-2, 0, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(-2, 0, 0));
}

TEST(BoxVolume, RayIntersection)
{
    BoxVolume box = UnitBox();
    MPoint hit;
    MVector normal;
    MVector reflected;
    ASSERT_TRUE(box.GetRayIntersection(MPoint(-5, 0, 0), MVector(1, 0, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(-1, 0, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(-1, 0, 0));
    EXPECT_VECTOR_NEAR(reflected, MVector(-1, 0, 0));

    // Entering through an edge: x and y tie and the x face is reported.
    ASSERT_TRUE(box.GetRayIntersection(MPoint(-5, -5, 0), MVector(1, 1, 0), hit, normal, reflected, true));
    EXPECT_POINT_NEAR(hit, MPoint(-1, -1, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(-1, 0, 0));

    // Travelling towards -x enters through the max plane.
    ASSERT_TRUE(box.GetRayIntersection(MPoint(5, 0.5, 0), MVector(-2, 0, 0), hit, normal, reflected, true));
    EXPECT_POINT_NEAR(hit, MPoint(1, 0.5, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(1, 0, 0));

    // From inside: the face behind the origin, not the exit face.
    ASSERT_TRUE(box.GetRayIntersection(MPoint(0, 0, 0), MVector(1, 0, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(-1, 0, 0));

    // Pointing away: a miss, and the outputs are left alone.
    hit = MPoint(7, 7, 7);
    EXPECT_FALSE(box.GetRayIntersection(MPoint(5, 0, 0), MVector(1, 0, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(7, 7, 7));
}

TEST(BoxVolume, MarginChangesAndUninitialisedRays)
{
    BoxVolume box = UnitBox();
    box.InitVolume();
    box.SetMargin(0.0);
    EXPECT_TRUE(box.initialised);
    box.SetMargin(2.0);
    EXPECT_FALSE(box.initialised);
    EXPECT_TRUE(box.IsPointInVolume(MPoint(1.9, 0, 0)));
    EXPECT_EQ(box.halfExtents.x, 2.0);

    // A ray test against a shape that never initialised warns and misses.
    vxhost::ClearMessages();
    vxhost::SetMessageEcho(false);
    BoxVolume fresh = UnitBox();
    double t = 0.0;
    MVector n;
    EXPECT_FALSE(IntersectRayBox(fresh, MPoint(-5, 0, 0), MVector(1, 0, 0), MPoint(-1, -1, -1), MPoint(1, 1, 1), t,
                                 true, n));
    const auto messages = vxhost::Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Attempting to use uninitialised bounding box in volume...no intersection will be detected");
    vxhost::SetMessageEcho(true);
}
