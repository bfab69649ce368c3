#pragma once
/// \file CirclePoints.h
/// The 24-point circles the locator drawing and the radius manipulator are
/// made of.

#include "MathConstants.h"

#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MQuaternion.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MVector.h>

#include <cmath>

namespace circlepoints
{
/// Points per full circle. The angle step is 2 pi / (kCount - 1), so the
/// last point lands on the first and a closed line shows no gap.
constexpr int kCount = 24;
constexpr double kStep = 2.0 * kPi / (kCount - 1);

/// The axis a circle is drawn about.
enum class Axis
{
    kX,
    kY,
    kZ
};

/// Angle of point k.
inline double Angle(int k)
{
    return k * kStep;
}

/// Appends a circle of `radius` about `axis`, lying in the plane `offset`
/// along that axis (object space, so no transform is involved).
inline void AppendCircle(Axis axis, double radius, double offset, MPointArray& outPoints)
{
    for (int k = 0; k < kCount; ++k)
    {
        const double u = radius * std::cos(Angle(k));
        const double v = radius * std::sin(Angle(k));
        switch (axis)
        {
        case Axis::kX:
            outPoints.append(offset, u, v);
            break;
        case Axis::kY:
            outPoints.append(u, offset, v);
            break;
        case Axis::kZ:
            outPoints.append(u, v, offset);
            break;
        }
    }
}

/// The matrix that turns the x axis onto `axis` (any length but zero) and
/// then moves the origin to `centre`. A zero axis keeps the x axis.
inline MMatrix OrientedCircleMatrix(const MPoint& centre, const MVector& axis)
{
    MTransformationMatrix transformation;
    transformation.rotateTo(MQuaternion(MVector(1.0, 0.0, 0.0), axis.normal()));
    transformation.setTranslation(MVector(centre), MSpace::kTransform);
    return transformation.asMatrix();
}

/// Appends a circle of `radius` about `axis` centred on `centre`: the circle
/// about x, turned and moved by OrientedCircleMatrix.
inline void AppendOrientedCircle(const MPoint& centre, const MVector& axis, double radius,
                                 MPointArray& outPoints)
{
    const MMatrix matrix = OrientedCircleMatrix(centre, axis);
    for (int k = 0; k < kCount; ++k)
        outPoints.append(MPoint(0.0, radius * std::cos(Angle(k)), radius * std::sin(Angle(k))) * matrix);
}
} // namespace circlepoints
