#pragma once

#include <maya/MVector.h>

/// Scales vector down to length limit when it is strictly longer; otherwise
/// (or when it cannot be normalised) leaves it as it is.
inline void Truncate(MVector& vector, double limit)
{
    if (vector.length() > limit && vector.normalize())
        vector *= limit;
}
