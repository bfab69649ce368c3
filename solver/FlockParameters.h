#pragma once

#include "ArrayView.h"
#include "ParameterEntry.h"
#include "ParticleParameters.h"

#include <maya/MVectorArray.h>

#include <cstddef>

/// One parameter's attribute values for one evaluation, as the field reads
/// them: the value, the Range bounds, the Type and the particle system's array
/// of the parameter's name (empty when it has none). Distances in centimetres.
template <typename T> struct ParameterSetting
{
    T value = T(0);
    T minimum = T(0);
    T maximum = T(0);
    ParameterType type = ParameterType::kConstant;
    ArrayView<T> perParticle;
};

/// The nine settings of one evaluation.
struct FlockSettings
{
    ParameterSetting<double> simulationAccuracy;
    ParameterSetting<double> maximumSpeed;
    ParameterSetting<double> maximumForce;
    ParameterSetting<double> boidSeparation;
    ParameterSetting<double> obstacleSeparation;
    ParameterSetting<int> numberOfNeighbours;
    ParameterSetting<double> boidSeparationUrge;
    ParameterSetting<double> flockCentringUrge;
    ParameterSetting<double> velocityMatchingUrge;
};

/// The field's nine parameter entries with their per-particle caches, and the
/// per-particle wander directions. Lives as long as the field node; caches are
/// indexed by a particle's position in the input arrays.
class FlockParameters
{
public:
    /// Sets every entry from one evaluation's settings.
    void Set(const FlockSettings& settings);
    /// Grows every cache (and wanderStates) to count entries, drawing the new
    /// "Range" numbers entry by entry.
    void Fill(std::size_t count);
    /// The numbers of particle i (i below the count given to Fill).
    ParticleParameters Resolve(std::size_t i) const;

    // Declaration order is the fill order, and so the order of random draws.
    ParameterEntry<double> simulationAccuracy{true};
    ParameterEntry<double> boidSeparation{true};
    ParameterEntry<double> obstacleSeparation{true};
    ParameterEntry<double> maximumSpeed{true};
    ParameterEntry<double> maximumForce{true};
    ParameterEntry<int> numberOfNeighbours{true};
    ParameterEntry<double> boidSeparationUrge{false};
    ParameterEntry<double> flockCentringUrge{false};
    ParameterEntry<double> velocityMatchingUrge{false};

    /// One wander direction per particle index, read and written by the
    /// wander behaviour; grown with zero vectors, never shrunk.
    MVectorArray wanderStates;
};
