#pragma once
/// \file ParticleArrays.h
/// The per-particle arrays of a particle shape, as the commands that add and
/// change particles (emit, dynExpression) see them.

#include "dg/Node.h"

#include <maya/MDoubleArray.h>
#include <maya/MVectorArray.h>

#include <memory>
#include <string>
#include <vector>

namespace vxhost
{
/// One per-particle array: a stored, writable doubleArray or vectorArray
/// attribute of the shape (not an array of them), built in (position,
/// velocity, mass, particleId, age) or added with addAttr.
struct ParticleArray
{
    const Attribute* attribute = nullptr;
    bool vector = false;
    /// What a particle without an entry has: 1 for mass, 0 otherwise.
    double fallback = 0.0;
};

/// The shape's per-particle arrays, built-in ones first, in attribute order.
std::vector<ParticleArray> ParticleArraysOf(const Node& shape);

/// The particle shape a name stands for: the shape itself or the first
/// particle shape under a transform of that name; null for anything else.
std::shared_ptr<Node> FindParticleShape(const std::string& name);

/// The number of particles: the length of the position array.
unsigned ParticleCount(Node& shape);

/// The array at a top-level attribute of the shape as it evaluates now,
/// read in place (valid until the scene changes); null when it holds none.
const MVectorArray* EvaluatedVectorArray(Node& shape, const MObject& attribute);
const MDoubleArray* EvaluatedDoubleArray(Node& shape, const MObject& attribute);
/// The same for an attribute ParticleArraysOf lists (added ones included).
const MVectorArray* EvaluatedVectorArray(Node& shape, const Attribute* attribute);
const MDoubleArray* EvaluatedDoubleArray(Node& shape, const Attribute* attribute);

/// Bytes the process could take now: the least of MemAvailable (or the free
/// pages where /proc is missing), what its address space limit (RLIMIT_AS)
/// leaves and what its cgroup's memory limit (v2 memory.max, v1
/// memory.limit_in_bytes) leaves.
double AvailableMemory();
/// Bytes as a refusal names them: "1.5 GB".
std::string FormatGigabytes(double bytes);

/// What a particle costs while a scene runs, measured with the field
/// connected and the caches written: its arrays, the dynamics' kept start
/// state, the field's search tree and forces, a cache frame.
constexpr double kBytesPerParticle = 512.0;

/// Checks up front that the scene's particles and `adding` more fit in the
/// memory available now. Returns an empty string, or the refusal with the
/// estimate ("3000000000 particles would need about 1536 GB ...").
std::string CheckParticleMemory(double adding);

/// The array stored at a top-level attribute of the shape, made empty when
/// missing. Changed in place, as the dynamics integrates; the caller
/// touches the scene.
MDoubleArray& DoubleArrayAt(Node& shape, const Attribute* attribute);
MVectorArray& VectorArrayAt(Node& shape, const Attribute* attribute);
} // namespace vxhost
