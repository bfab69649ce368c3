#pragma once
// Curves shared by the NURBS curve tests.

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MPointArray.h>

#include <gtest/gtest.h>

#include <vector>

inline MPointArray Points(const std::vector<MPoint>& p)
{
    return MPointArray(p.data(), unsigned(p.size()));
}
inline MDoubleArray Knots(const std::vector<double>& k)
{
    return MDoubleArray(k.data(), unsigned(k.size()));
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
