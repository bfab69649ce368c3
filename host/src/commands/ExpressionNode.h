#pragma once
/// \file ExpressionNode.h
/// Expression nodes: a MEL script that `expression` attaches to the scene,
/// run whenever time moves on, before the particles step, as Maya runs the
/// expressions that animate objects without keys.

namespace vxhost
{
class NodeRegistry;

/// The node type "expression": its script ("expression"), the object its
/// bare attribute names belong to ("objectName") and "alwaysEvaluate".
void RegisterExpressionNode(NodeRegistry& registry);
} // namespace vxhost
