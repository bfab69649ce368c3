#pragma once

/// How a flocking parameter gets its number for each particle; the values are
/// those of the field's "...Type" enum attributes.
enum class ParameterType : int
{
    kConstant = 0,   ///< every particle uses the attribute value
    kRange = 1,      ///< a random number in [minimum, maximum], drawn once per particle and kept
    kExpression = 2, ///< the particle system's per-particle array of the parameter's name
};
