#pragma once
/// \file PlugState.h
/// What Maya keeps per plug rather than per attribute: whether it is
/// locked, and whether it is keyable or shown in the channel box when a
/// script has said so for that plug (setAttr -lock, -keyable, -channelBox).
/// An attribute's own keyable and channel-box settings are shared by every
/// node of its type, so a per-node change cannot live there.

#include "Node.h"

#include <optional>
#include <vector>

namespace vxhost
{
/// The states set on one plug; unset ones fall back to the attribute's.
struct PlugFlags
{
    bool locked = false;
    std::optional<bool> keyable;
    std::optional<bool> channelBox;
};

/// One plug's states, for the scene writer.
struct PlugFlagsEntry
{
    PlugPath path;
    PlugFlags flags;
};

/// Whether the plug, or a compound or array above it, is locked: locking
/// goal.translate locks goal.translateX too, as in Maya.
bool IsPlugLocked(const Node& node, const PlugPath& path);
/// Whether the plug shows up as keyable: its own setting, else its attribute's.
bool IsPlugKeyable(const Node& node, const PlugPath& path);
/// Whether the plug is shown in the channel box though not keyable.
bool IsPlugInChannelBox(const Node& node, const PlugPath& path);

/// The states set on the plug itself (none set: the defaults).
PlugFlags PlugFlagsAt(const Node& node, const PlugPath& path);

void SetPlugLocked(Node& node, const PlugPath& path, bool locked);
/// Making a plug keyable takes it off the channel-box-only list: a keyable
/// plug is in the channel box already.
void SetPlugKeyable(Node& node, const PlugPath& path, bool keyable);
void SetPlugInChannelBox(Node& node, const PlugPath& path, bool shown);

/// The plugs of node with any state set, in the order first set. Entries
/// naming an attribute the node no longer has are left out.
std::vector<PlugFlagsEntry> PlugFlagsOf(const Node& node);
} // namespace vxhost
