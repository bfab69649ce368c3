#pragma once
/// \file EmitLog.h
/// The particles emitted during the current run of time, as a saved scene
/// replays them: a field may keep per-particle values it drew when the
/// particles arrived, so a scene saved past the start frame emits them
/// again at the frame they came, rather than only writing the state.

#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <string>
#include <vector>

namespace vxhost
{
class Node;

struct EmitRecord
{
    /// One -attribute with its values (internal units).
    struct Values
    {
        std::string attribute;
        bool vector = false;
        std::vector<MVector> vectors;
        std::vector<double> numbers;
    };

    const Node* shape = nullptr;
    /// Tells records apart, for undo.
    unsigned long long serial = 0;
    double frame = 0.0;
    MVectorArray positions; ///< centimetres
    std::vector<Values> values;
};

/// The emits since time last left the start frame, in order. Emits at the
/// start frame are not here: they are part of the state runs start from.
/// A new run, a deleted shape and a reset scene drop theirs.
const std::vector<EmitRecord>& EmitsThisRun();
} // namespace vxhost
