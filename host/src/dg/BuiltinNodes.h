#pragma once
/// \file BuiltinNodes.h
/// The node types the host provides itself: the abstract bases (dependNode,
/// dagNode, shape, field), transform, locator, nurbsCurve and mesh.

#include "Node.h"

#include <maya/MMatrix.h>
#include <maya/MTransformationMatrix.h>

namespace vxhost
{
class NodeRegistry;

void RegisterBuiltinNodes(NodeRegistry& registry);

/// The attributes every DAG node has whatever its behaviour: the world and
/// parent matrices, and a transform's matrix. kUnknownParameter for any
/// other plug.
MStatus ComputeDagAttribute(Node& node, const MPlug& plug, MDataBlock& block);
/// A transform's own matrix from its attributes; the identity for other
/// nodes.
MTransformationMatrix LocalTransformation(Node& node, MStatus& status);
/// The product of the local matrices from node up to the world.
MMatrix WorldMatrix(Node& node, MStatus& status);
/// Writes translate, rotate (keeping the node's rotate order), scale and
/// shear from t.
MStatus SetLocalTransformation(Node& node, const MTransformationMatrix& t);

} // namespace vxhost
