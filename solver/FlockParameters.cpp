#include "FlockParameters.h"

namespace
{
template <typename T> void SetEntry(ParameterEntry<T>& entry, const ParameterSetting<T>& s)
{
    entry.Set(s.value, s.minimum, s.maximum, s.type, s.perParticle);
}
} // namespace

void FlockParameters::Set(const FlockSettings& s)
{
    SetEntry(simulationAccuracy, s.simulationAccuracy);
    SetEntry(numberOfNeighbours, s.numberOfNeighbours);
    SetEntry(boidSeparation, s.boidSeparation);
    SetEntry(obstacleSeparation, s.obstacleSeparation);
    SetEntry(maximumSpeed, s.maximumSpeed);
    SetEntry(maximumForce, s.maximumForce);
    SetEntry(boidSeparationUrge, s.boidSeparationUrge);
    SetEntry(flockCentringUrge, s.flockCentringUrge);
    SetEntry(velocityMatchingUrge, s.velocityMatchingUrge);
}

void FlockParameters::Fill(std::size_t count)
{
    simulationAccuracy.Fill(count);
    boidSeparation.Fill(count);
    obstacleSeparation.Fill(count);
    maximumSpeed.Fill(count);
    maximumForce.Fill(count);
    numberOfNeighbours.Fill(count);
    boidSeparationUrge.Fill(count);
    flockCentringUrge.Fill(count);
    velocityMatchingUrge.Fill(count);
    while (wanderStates.length() < count)
        wanderStates.append(MVector::zero);
}

ParticleParameters FlockParameters::Resolve(std::size_t i) const
{
    ParticleParameters p;
    p.simulationAccuracy = simulationAccuracy.Resolve(i);
    p.maximumSpeed = maximumSpeed.Resolve(i);
    p.maximumForce = maximumForce.Resolve(i);
    p.boidSeparation = boidSeparation.Resolve(i);
    p.obstacleSeparation = obstacleSeparation.Resolve(i);
    p.numberOfNeighbours = numberOfNeighbours.Resolve(i);
    p.boidSeparationUrge = boidSeparationUrge.Resolve(i);
    p.flockCentringUrge = flockCentringUrge.Resolve(i);
    p.velocityMatchingUrge = velocityMatchingUrge.Resolve(i);
    return p;
}
