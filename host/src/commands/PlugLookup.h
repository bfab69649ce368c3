#pragma once
/// \file PlugLookup.h
/// Plugs named as a script names them, and the questions the attribute
/// commands ask of a plug before they touch it.

#include "dg/Node.h"

#include <maya/MPlug.h>

#include <memory>
#include <string>
#include <string_view>

namespace vxhost
{
/// The plug that `text` names, as Maya writes plug names: a node name or
/// DAG path, then attributes separated by '.', each by its long or short
/// name and, for an array, an optional element index:
///
///     goal.translate    goal.t    goal.translateX   (a child by its own name)
///     node.target[0].targetMatrix    |goal|goalShape.worldMatrix[0]
///
/// An array attribute may be left without an index only at the end (the
/// whole array). A null plug, with `error` set to Maya's "No object matches
/// name: text", when the node or an attribute is not there, an index is
/// given to an attribute that is no array, or an array on the way has no
/// index.
MPlug LookUpPlug(std::string_view text, std::string& error);

/// Whether `name` can name a node: a letter or '_', then letters, digits
/// and '_', as Maya's names are. Other characters ('.', '|', '[') would
/// make the node's plugs unreadable.
bool IsNodeName(std::string_view name);

/// The plug whose incoming connection decides the value of `plug`: the plug
/// itself, or an array or compound above it, when it is the destination of
/// a connection. A null plug when nothing drives it.
MPlug DrivingPlug(const MPlug& plug);

/// A status's description without the "(kCode): " that errorString()
/// starts with, for a message that reads as a sentence.
std::string StatusText(const MStatus& status);

/// The attribute the plug ends in (never null for a plug from LookUpPlug).
inline const Attribute* PlugAttribute(const MPlug& plug)
{
    return plug.Steps().empty() ? nullptr : plug.Steps().back().attribute;
}

/// A number as a script types it for an attribute (distance in the UI
/// linear unit, angle in degrees, time in the UI time unit) in the
/// graph's internal units (centimetres, radians, seconds), and back.
/// Other attributes take their numbers as they are.
double ScriptToInternal(const Attribute& attribute, double value);
double InternalToScript(const Attribute& attribute, double value);
} // namespace vxhost
