#pragma once
/// \file NamePattern.h
/// Node names with wildcards, as `ls` and `select` take them: '*' stands
/// for any run of characters (none too), '?' for exactly one; neither
/// crosses the '|' between the names of a DAG path.

#include "dg/Node.h"

#include <maya/MStatus.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{
/// Whether the text matches the pattern as a whole.
bool GlobMatch(std::string_view pattern, std::string_view text);

/// Whether the text holds '*' or '?'.
bool HasWildcards(std::string_view text);

/// The node's DAG path from the world ("|goal|goalShape"); a node outside
/// the DAG has only its name.
std::string FullPathName(const Node& node);

/// The living nodes a name or pattern stands for, in scene order. A
/// pattern without '|' matches node names; one with '|' matches DAG paths,
/// from the world when it starts with '|' and from any node on the way
/// otherwise ("goal|*" finds goal's children). Without wildcards it is a
/// plain lookup, which finds at most one node.
std::vector<std::shared_ptr<Node>> MatchNodes(std::string_view pattern);

class ScriptValues;
struct ScriptStatement;

/// What a name among a query's arguments stands for: a plug, or a whole node.
struct NamedObject
{
    std::shared_ptr<Node> node;
    /// The plug's attributes from the node down ("goal.translate"); empty
    /// for the whole node.
    PlugPath path;
};

/// The objects the names stand for, in order: "node.attr" names a plug,
/// any other name or pattern the nodes MatchNodes finds. Fails, reporting
/// (as `statement`'s command), on a name that matches nothing: "No object
/// matches name: X".
MStatus MatchObjects(const ScriptStatement& statement, const ScriptValues& names, std::vector<NamedObject>& out);
} // namespace vxhost
