#pragma once
/// \file ParticleNode.h
/// The particle shape: per-particle state and the wiring fields read.

#include <maya/MObject.h>
#include <maya/MPxNode.h>

#include <string>
#include <vector>

namespace vxhost
{
class Node;
class NodeRegistry;

/// Attributes of the "particle" node type.
struct ParticleAttributes
{
    MObject position;   ///< vectorArray, centimetres: the current state
    MObject velocity;   ///< vectorArray, centimetres per second
    MObject mass;       ///< doubleArray; missing or short means 1
    MObject particleId; ///< doubleArray
    MObject age;        ///< doubleArray, seconds since birth; missing or short means 0
    MObject count;      ///< int, computed
    MObject conserve;   ///< double: velocity kept per step
    MObject isDynamic;  ///< bool
    MObject fieldData;  ///< compound, computed: what every connected field reads
    MObject fieldDataPosition, fieldDataVelocity, fieldDataMass, fieldDataDeltaTime;
    MObject ppFieldData; ///< array of per-particle arrays, one element per field, computed
    MObject inputForce;  ///< array of vectorArray, from the fields
};

const ParticleAttributes& Particle();

/// Registers the "particle" node type.
void RegisterParticleNode(NodeRegistry& registry);

/// The particle shape's behaviour: fieldData hands the current state to the
/// fields; ppFieldData[j] gives the field feeding inputForce[j] the arrays
/// named "<field>_<attribute>" under "<attribute>", as Maya does.
class ParticleNode : public MPxNode
{
public:
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

private:
    std::vector<std::string> fFilledNames; ///< scratch of one ppFieldData compute
};
} // namespace vxhost
