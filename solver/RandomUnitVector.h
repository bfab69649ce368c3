#pragma once

#include "MathConstants.h"
#include "RandomDraw.h"

#include <maya/MVector.h>

#include <cmath>

/// A direction uniformly distributed over the unit sphere, from two draws of
/// the C-runtime generator: z first, then the angle about z.
inline MVector RandomUnitVector()
{
    const double z = 2.0 * RandomDraw() - 1.0;
    const double theta = 2.0 * kPi * RandomDraw();
    const double rho = std::sqrt(1.0 - z * z);
    return MVector(rho * std::cos(theta), rho * std::sin(theta), z);
}
