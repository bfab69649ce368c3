#pragma once

/// The nine flocking parameters resolved for one particle. Distances and the
/// two limits are in centimetres (speeds in cm/s).
struct ParticleParameters
{
    double simulationAccuracy = 0.0; ///< probability of being steered in one evaluation
    double maximumSpeed = 0.0;
    double maximumForce = 0.0;
    double boidSeparation = 0.0;
    double obstacleSeparation = 0.0;
    int numberOfNeighbours = 0;
    double boidSeparationUrge = 0.0;
    double flockCentringUrge = 0.0;
    double velocityMatchingUrge = 0.0;
};
