#pragma once
/// \file DynExpression.h
/// Per-particle expressions: what `dynExpression` sets on a particle shape
/// and what runs them as particles are born and as time steps.
///
/// An expression is muparser's language, run once per particle. Statements
/// end with ';' as in Maya (or, in an expression without ';', with the
/// line); "//" starts a comment. The particle's values are variables:
///
///   - every per-particle array of the shape by its long or short name:
///     `id` / `particleId`, `age` (seconds), `mass`, and any doubleArray
///     added with addAttr (`particleVolarix1_maximumSpeed`);
///   - a vector array as three variables, its name with X, Y or Z:
///     `posX` / `positionX` ..., `velX` / `velocityX` ..., in centimetres
///     and centimetres per second;
///   - `time` (seconds) and `frame`, of the moment the expression runs.
///
/// Assigning to a variable (`=`, `+=`, `-=`, `*=`, `/=`) writes the
/// particle's entry, growing the array to one entry per particle; arrays
/// only read are left as they are. `rand(max)` and `rand(min, max)` draw
/// uniformly from [0, max) and [min, max): from the host's own generator, a
/// hash of the particle's id, the time and the draw's place in the
/// expression, so a particle draws the same numbers whenever its moment is
/// run again (going back to the start, a saved scene run anew), and never
/// from the C-runtime sequence the plug-in draws from.

#include <maya/MStatus.h>

#include <string>

namespace vxhost
{
class Node;

/// When an expression runs (Maya's dynExpression flags -c, -rbd, -rad).
enum class ExpressionKind
{
    kCreation,       ///< for particles as they are born: emitted, or at the start of a run
    kBeforeDynamics, ///< every step, before the fields are asked for forces
    kAfterDynamics   ///< every step, after the particles moved
};
constexpr int kExpressionKinds = 3;

/// The short flag dynExpression takes for the kind: "c", "rbd" or "rad".
const char* ExpressionKindFlag(ExpressionKind kind);

/// The expression of that kind on the particle shape; empty when none.
std::string ParticleExpression(const Node& shape, ExpressionKind kind);

/// Sets the expression after checking that it reads against the shape's
/// arrays as they are now; an empty text removes it. On a bad expression
/// nothing changes and `error` is muparser's message with the expression
/// as it was read ("Unexpected token ... in \"a = b +\"").
MStatus SetParticleExpression(Node& shape, ExpressionKind kind, const std::string& text, std::string& error);

/// Runs the shape's expression of that kind for particles first ..
/// first + count - 1 at `frame`; nothing when it has none. A failure (an
/// array the expression names was removed since) names the shape and the
/// expression.
MStatus RunParticleExpression(Node& shape, ExpressionKind kind, unsigned first, unsigned count, double frame);
} // namespace vxhost
