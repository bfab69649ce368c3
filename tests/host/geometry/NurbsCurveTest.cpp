// Creation, evaluation and the description queries of MFnNurbsCurve, on
// curves whose answers are worked out by hand.
#include "NurbsCurveTestUtil.h"

#include <string>

namespace
{
bool Mentions(const MStatus& status, const char* words)
{
    return std::string(status.errorString().asChar()).find(words) != std::string::npos;
}

MPoint PointAt(const MFnNurbsCurve& fn, double param)
{
    MPoint point;
    EXPECT_TRUE(fn.getPointAtParam(param, point));
    return point;
}
} // namespace

TEST(NurbsCurve, CreateAttachAndRefuse)
{
    MStatus status;
    { // An empty data object accepts the set, with nothing to query; an
        // unattached set fails every call; a null owner gets a data object.
        MFnNurbsCurve empty(MFnNurbsCurveData().create(), &status);
        EXPECT_TRUE(status);
        double start = 0, end = 0;
        status = empty.getKnotDomain(start, end);
        EXPECT_EQ(status, MS::kInvalidParameter);
        EXPECT_TRUE(Mentions(status, "holds no curve"));
        MFnNurbsCurve unattached;
        EXPECT_EQ(unattached.length(1e-3, &status), 0.0);
        EXPECT_TRUE(Mentions(status, "not attached"));
        const MObject owned =
            unattached.create(Points({{0, 0, 0}, {1, 0, 0}}), Knots({0, 1}), 1, MFnNurbsCurve::kOpen, false,
                              false, MObject::kNullObj, &status);
        EXPECT_EQ(owned.apiType(), MFn::kNurbsCurveData);
        EXPECT_EQ(unattached.object(), owned);
        EXPECT_DOUBLE_EQ(unattached.length(), 1.0);
    }
    const MPointArray four = Points({{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 0, 0}});
    const MObject data = MFnNurbsCurveData().create();
    struct Case
    {
        MPointArray cvs;
        MDoubleArray knots;
        unsigned degree;
        MFnNurbsCurve::Form form;
        const char* words;
    };
    const Case cases[] = {
        {four, Knots({0, 1, 2, 3}), 0, MFnNurbsCurve::kOpen, "degree must be between 1 and 7, got 0"},
        {Points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}), Knots({0, 0, 0, 1, 1}), 3, MFnNurbsCurve::kOpen,
         "needs at least 4 CVs, got 3"},
        {four, Knots({0, 0, 1, 1, 1}), 3, MFnNurbsCurve::kOpen, "needs 6 knots (number of CVs + degree - 1)"},
        {four, Knots({0, 0, 1, 0.5, 1, 1}), 3, MFnNurbsCurve::kOpen, "knot 3 (0.5) is less than knot 2 (1)"},
        {four, Knots({0, 0, 1, 2, 2}), 2, MFnNurbsCurve::kClosed, "must end where it starts"},
        {Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 0, 1}}), Knots({0, 1, 2, 3, 4, 5}), 2,
         MFnNurbsCurve::kPeriodic, "CV 4 differs from CV 1"},
        // Squared distances and speeds from such points overflow, and
        // lengths that never converge subdivided without end.
        {Points({{0, 0, 0}, {1e200, 0, 0}, {2, 1, 0}, {3, 0, 0}}), Knots({0, 0, 0, 1, 1, 1}), 3,
         MFnNurbsCurve::kOpen, "CV 1 (1e+200, 0, 0) lies too far out: coordinates are limited to 1e+15"},
        {Points({{0, 0, 0}, {1e15, 0, 0}, {0, 1e15, 0}, {1e15, 1e15, 0}}),
         Knots({0, 0, 0, 1e-300, 1e-300, 1e-300}), 3, MFnNurbsCurve::kOpen, "length overflows"},
    };
    for (const Case& c : cases)
    {
        const MObject result =
            MFnNurbsCurve().create(c.cvs, c.knots, c.degree, c.form, false, false, data, &status);
        EXPECT_EQ(status, MS::kInvalidParameter) << c.words;
        EXPECT_TRUE(Mentions(status, c.words)) << status.errorString();
        EXPECT_TRUE(result.isNull());
    }
    // The largest coordinate taken gives a finite length.
    MFnNurbsCurve far;
    far.create(Points({{-1e15, 0, 0}, {1e15, 0, 0}}), Knots({0, 1}), 1, MFnNurbsCurve::kOpen, false, false,
               data, &status);
    ASSERT_TRUE(status);
    EXPECT_DOUBLE_EQ(far.length(), 2e15);
    // Weights: refused for a rational curve, divided out otherwise; a 2D curve
    // lies in the XY plane.
    MPointArray weighted = four;
    weighted[1] = MPoint(2, 0, 0, 2);
    weighted[3].z = 5.0;
    MFnNurbsCurve fn;
    fn.create(weighted, Knots({0, 0, 0, 1, 1, 1}), 3, MFnNurbsCurve::kOpen, false, true, data, &status);
    EXPECT_EQ(status, MS::kNotImplemented);
    fn.create(weighted, Knots({0, 0, 0, 1, 1, 1}), 3, MFnNurbsCurve::kOpen, true, false, data, &status);
    ASSERT_TRUE(status);
    MPoint cv;
    fn.getCV(1, cv);
    EXPECT_EQ(cv, MPoint(1, 0, 0));
    fn.getCV(3, cv);
    EXPECT_EQ(cv, MPoint(3, 0, 0));
}

TEST(NurbsCurve, PolylineAnswersExactly)
{
    // Segments (0,0,0)-(3,0,0) over params 0..1 and (3,0,0)-(3,4,0) over 1..3.
    MFnNurbsCurve fn;
    MakeCurve(fn, Points({{0, 0, 0}, {3, 0, 0}, {3, 4, 0}}), Knots({0, 1, 3}), 1);
    EXPECT_EQ(fn.numSpans(), 2);
    double start = -1, end = -1;
    EXPECT_TRUE(fn.getKnotDomain(start, end));
    EXPECT_EQ(end - start, 3.0);

    EXPECT_TRUE(PointAt(fn, 0.5).isEquivalent(MPoint(1.5, 0, 0), 1e-12));
    EXPECT_TRUE(PointAt(fn, 2.0).isEquivalent(MPoint(3, 2, 0), 1e-12));
    EXPECT_TRUE(PointAt(fn, -5.0).isEquivalent(MPoint(0, 0, 0), 1e-12)); // clamped
    EXPECT_TRUE(PointAt(fn, 9.0).isEquivalent(MPoint(3, 4, 0), 1e-12));
    EXPECT_TRUE(fn.tangent(1.0).isEquivalent(MVector(0, 1, 0))); // a knot belongs to the span it starts
    EXPECT_TRUE(fn.tangent(3.0).isEquivalent(MVector(0, 1, 0)));
    EXPECT_TRUE(fn.normal(0.5).isEquivalent(MVector(0, 1, 0))); // straight: in the plane of the curve

    double param = -1;
    EXPECT_TRUE(fn.closestPoint(MPoint(1, -2, 0), &param).isEquivalent(MPoint(1, 0, 0), 1e-12));
    EXPECT_NEAR(param, 1.0 / 3.0, 1e-12);
    EXPECT_TRUE(fn.closestPoint(MPoint(5, 2, 7), &param).isEquivalent(MPoint(3, 2, 0), 1e-12));
    EXPECT_NEAR(param, 2.0, 1e-12);
    EXPECT_TRUE(fn.closestPoint(MPoint(4, -1, 0), &param).isEquivalent(MPoint(3, 0, 0), 1e-12)); // corner
    EXPECT_NEAR(param, 1.0, 1e-12);
    fn.closestPoint(MPoint(-1, -1, 0), &param);
    EXPECT_EQ(param, 0.0);

    EXPECT_NEAR(fn.length(), 7.0, 1e-13);
    EXPECT_NEAR(fn.findLengthFromParam(2.0), 5.0, 1e-13);
    EXPECT_NEAR(fn.findParamFromLength(5.0), 2.0, 1e-12);
    EXPECT_EQ(fn.findParamFromLength(-1.0), 0.0);
    EXPECT_EQ(fn.findParamFromLength(100.0), 3.0);
}

TEST(NurbsCurve, BezierCubicMatchesBernsteinForm)
{
    const MPoint p0(0, 0, 0), p1(1, 2, 0), p2(3, 2, 0), p3(4, 0, 1);
    MFnNurbsCurve fn;
    MakeCurve(fn, Points({p0, p1, p2, p3}), Knots({0, 0, 0, 1, 1, 1}), 3);
    EXPECT_TRUE(PointAt(fn, 1.0).isEquivalent(p3, 1e-12));
    EXPECT_TRUE(PointAt(fn, 0.5).isEquivalent(MPoint(2, 1.5, 0.125), 1e-12)); // (P0 + 3 P1 + 3 P2 + P3) / 8
    MPoint pos;
    MVector d1, d2;
    EXPECT_TRUE(fn.getDerivativesAtParm(0.0, pos, d1, MSpace::kObject, &d2));
    EXPECT_TRUE(d1.isEquivalent(MVector(3, 6, 0)));   // 3 (P1 - P0)
    EXPECT_TRUE(d2.isEquivalent(MVector(6, -12, 0))); // 6 (P2 - 2 P1 + P0)
    EXPECT_TRUE(fn.getDerivativesAtParm(0.5, pos, d1, MSpace::kObject));
    EXPECT_TRUE(d1.isEquivalent(MVector(4.5, 0, 0.75)));
    EXPECT_LT(fn.normal(0.5) * MVector(0, 1, 0), -0.9); // towards the inside of the arch

    // The same curve over knots 2..6: same points, derivatives a quarter.
    MFnNurbsCurve stretched;
    MakeCurve(stretched, Points({p0, p1, p2, p3}), Knots({2, 2, 2, 6, 6, 6}), 3);
    EXPECT_TRUE(PointAt(stretched, 4.0).isEquivalent(MPoint(2, 1.5, 0.125), 1e-12));
    EXPECT_TRUE(stretched.getDerivativesAtParm(2.0, pos, d1, MSpace::kObject));
    EXPECT_TRUE(d1.isEquivalent(MVector(0.75, 1.5, 0)));

    // A repeated end CV leaves the first derivative zero there; the tangent is
    // still the direction of travel, at both ends.
    MFnNurbsCurve stalled;
    MakeCurve(stalled, Points({p0, p0, p2, p3, p3}), Knots({0, 0, 0, 1, 2, 2, 2}), 3);
    EXPECT_TRUE(stalled.tangent(0.0).isEquivalent(MVector(p2 - p0).normal()));
    EXPECT_TRUE(stalled.tangent(2.0).isEquivalent(MVector(p3 - p2).normal()));

    // Moving a CV rebuilds everything that depends on it.
    EXPECT_TRUE(fn.setCV(3, MPoint(4, 0, 9)));
    EXPECT_TRUE(PointAt(fn, 1.0).isEquivalent(MPoint(4, 0, 9), 1e-12));
    EXPECT_EQ(fn.setCVs(Points({p0, p1})), MS::kInvalidParameter);
}

TEST(NurbsCurve, ZeroLengthCurveHasDefinedAnswers)
{
    const MPoint p(2, 3, 4);
    MFnNurbsCurve fn;
    MakeCurve(fn, Points({p, p, p, p}), Knots({0, 0, 0, 1, 1, 1}), 3);
    EXPECT_EQ(fn.length(), 0.0);
    EXPECT_EQ(fn.findParamFromLength(1.0), 0.0);
    MStatus status;
    EXPECT_EQ(fn.tangent(0.5, MSpace::kObject, &status), MVector());
    EXPECT_EQ(status, MS::kFailure);
    EXPECT_TRUE(Mentions(status, "zero length"));
    fn.normal(0.5, MSpace::kObject, &status);
    EXPECT_EQ(status, MS::kFailure);
    double param = -1;
    EXPECT_TRUE(
        fn.closestPoint(MPoint(5, 5, 5), &param, 1e-3, MSpace::kObject, &status).isEquivalent(p, 1e-12));
    EXPECT_TRUE(status);
    EXPECT_TRUE(param >= 0.0 && param <= 1.0);
}

// Function sets here sit on data objects, never on a DAG path: as in Maya,
// world-space queries and edits fail and leave the curve as it was, so a
// caller cannot come to rely on a space the data cannot give.
TEST(NurbsCurve, DataHasNoWorldSpace)
{
    MFnNurbsCurve fn;
    MakeCurve(fn, Points({{0, 0, 0}, {3, 0, 0}}), Knots({0, 1}), 1);
    MStatus status;
    fn.closestPoint(MPoint(1, 1, 0), nullptr, 1e-6, MSpace::kWorld, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    fn.tangent(0.5, MSpace::kWorld, &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    MPoint point;
    EXPECT_EQ(fn.getPointAtParam(0.5, point, MSpace::kWorld), MStatus::kInvalidParameter);
    MPointArray moved;
    moved.append(MPoint(0, 5, 0));
    moved.append(MPoint(3, 5, 0));
    EXPECT_EQ(fn.setCVs(moved, MSpace::kWorld), MStatus::kInvalidParameter);
    EXPECT_TRUE(PointAt(fn, 0.5).isEquivalent(MPoint(1.5, 0, 0), 1e-12));
}
