#pragma once
/// \file LocatorNodes.h
/// What the host asks of a locator shape (built in or from a plug-in) when
/// it draws one.

#include <maya/MBoundingBox.h>

namespace vxhost
{
class Node;

/// The object-space bounds of a locator shape. A plug-in locator answers
/// through its isBounded() and boundingBox(); the built-in locator is its
/// cross, localPosition +- localScale on each axis. False (out cleared) for a
/// node that is no locator and for an unbounded plug-in locator.
bool LocatorBoundingBox(Node& node, MBoundingBox& out);

/// Whether the locator is drawn in the transparent pass: a plug-in
/// locator's isTransparent(); false for the built-in locator and any other
/// node.
bool LocatorIsTransparent(const Node& node);
} // namespace vxhost
