#pragma once
// Curves shared by the NURBS curve tests.

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MPointArray.h>

#include <gtest/gtest.h>

#include <initializer_list>

inline MPointArray Points(std::initializer_list<MPoint> points)
{
    MPointArray result;
    for (const MPoint& p : points)
        result.append(p);
    return result;
}

inline MDoubleArray Knots(std::initializer_list<double> knots)
{
    MDoubleArray result;
    for (const double k : knots)
        result.append(k);
    return result;
}

/// A new curve data object holding the curve, with fn attached to it.
inline MObject MakeCurve(MFnNurbsCurve& fn, const MPointArray& cvs, const MDoubleArray& knots,
                         unsigned degree, MFnNurbsCurve::Form form = MFnNurbsCurve::kOpen)
{
    MObject data = MFnNurbsCurveData().create();
    MStatus status;
    fn.create(cvs, knots, degree, form, false, false, data, &status);
    EXPECT_TRUE(status) << status.errorString();
    return data;
}
