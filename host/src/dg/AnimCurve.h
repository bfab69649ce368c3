#pragma once
/// \file AnimCurve.h
/// Animation curves: the node types animCurveTL (time to distance),
/// animCurveTA (time to angle) and animCurveTU (time to a plain number),
/// their keys, and their evaluation at the current frame.
///
/// A curve keeps its keys in Maya's attributes: keyTimeValue[i] (keyTime in
/// frames, keyValue in internal units: centimetres, radians) with
/// keyTanInType[i] and keyTanOutType[i]. Its output is the curve at the
/// current frame (vxhost::Dynamics), so whatever it drives follows time.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{
class Attribute;
class Node;
class NodeRegistry;

/// How a key leaves (out) or enters (in) the segment on that side.
/// The values are those of Maya's tangent type enum.
enum class TangentType
{
    /// Straight towards the neighbouring key.
    kLinear = 2,
    /// Smooth through the key: the slope between its two neighbours
    /// (Catmull-Rom for keys at unequal times); flat at the first and last
    /// key, so the curve eases in and out of its ends.
    kSpline = 4
};

struct AnimKey
{
    double frame = 0.0;
    double value = 0.0; ///< internal units
    TangentType in = TangentType::kSpline;
    TangentType out = TangentType::kSpline;
};

/// "linear", "spline" (or Maya's other name for it, "smooth").
std::optional<TangentType> TangentTypeNamed(std::string_view name);

/// The curve between the keys (sorted by frame): Hermite cubics whose end
/// slopes follow the tangent types; a segment whose both ends are linear is
/// the straight line. Constant before the first key and after the last; 0
/// without keys.
double EvaluateAnimCurve(const std::vector<AnimKey>& keys, double frame);

bool IsAnimCurve(const Node& node);
/// The type of curve that keys attribute ("animCurveTL", "animCurveTA",
/// "animCurveTU"); empty when it cannot be keyed (times, data, compounds,
/// multi-component numbers).
std::string AnimCurveTypeFor(const Attribute& attribute);
/// A curve node's keys, sorted by frame.
std::vector<AnimKey> AnimCurveKeys(const Node& curve);
/// Adds a key, or changes the key at that frame (its tangents kept unless
/// given); new keys take spline tangents unless given.
void SetAnimCurveKey(Node& curve, double frame, double value, std::optional<TangentType> in,
                     std::optional<TangentType> out);

void RegisterAnimCurveNodes(NodeRegistry& registry);
} // namespace vxhost
