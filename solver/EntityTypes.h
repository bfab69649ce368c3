#pragma once

/// The enumerations of the entity records; values are those of the field's
/// enum attributes and of the keyable attributes the commands add.

/// How a target steers the particles.
enum class SteeringType : int
{
    kSeek = 0,
    kFlee = 1,
    kWander = 2,
    kPathFollow = 5,
};

/// How a wandering particle picks its direction.
enum class WanderMode : int
{
    kRandomDirection = 0,
    kSphericalConstraint = 1,
    kPerlinNoise = 2,
};

/// How an entity's influence varies over its volume.
enum class InfluenceMethod : int
{
    kFull = 0,
    kLinearFalloff = 1,
};

/// How a modifier changes the parameters of particles inside it.
enum class ModificationMethod : int
{
    kOverride = 0,
    kAdditive = 1,
};

/// The key of a parameter in a modifier's overrides. Keys 1 and 2 are in the
/// opposite order to the particle's parameter record (maximumForce before
/// maximumSpeed); stored scenes depend on the numbers.
enum class ParameterKey : int
{
    kSimulationAccuracy = 0,
    kMaximumForce = 1,
    kMaximumSpeed = 2,
    kBoidSeparation = 3,
    kObstacleSeparation = 4,
    kNumberOfNeighbours = 5,
    kBoidSeparationUrge = 6,
    kFlockCentringUrge = 7,
    kVelocityMatchingUrge = 8,
};
