// Per-plug lock, keyable and channel-box states, kept beside the nodes
// rather than in them: few plugs ever have one, and a node deleted or a
// scene reset drops them through the scene's callbacks.

#include "PlugState.h"

#include "Scene.h"
#include "SceneChanges.h"

#include <algorithm>
#include <map>

namespace vxhost
{
namespace
{
using Table = std::map<const Node*, std::vector<PlugFlagsEntry>>;

// Drops a deleted node's states; undo of the deletion swaps them back.
void SwapOut(Table& table, Node& node)
{
    const auto it = table.find(&node);
    if (it == table.end())
        return;
    if (SceneChanges* record = SceneChanges::Recording())
        record->Toggle([&table, keep = node.Self(), other = std::move(it->second)]() mutable
                       { std::swap(table[keep.get()], other); });
    table.erase(it);
}

Table& States()
{
    static Table* const table = []
    {
        auto* made = new Table;
        Scene::Get().OnDelete([made](Node& node) { SwapOut(*made, node); });
        Scene::Get().OnReset([made] { made->clear(); });
        return made;
    }();
    return *table;
}

// Entries may outlive a dynamic attribute deleted from the node; one whose
// attributes are not all the node's own any more is ignored.
bool Current(const Node& node, const PlugPath& path)
{
    return std::all_of(path.begin(), path.end(), [&](const PlugStep& step) { return node.Owns(step.attribute); });
}

const PlugFlags* Find(const Node& node, const PlugPath& path)
{
    const Table& table = States();
    const auto it = table.find(&node);
    if (it == table.end())
        return nullptr;
    for (const PlugFlagsEntry& entry : it->second)
        if (entry.path == path && Current(node, path))
            return &entry.flags;
    return nullptr;
}

PlugFlags& Make(Node& node, const PlugPath& path)
{
    std::vector<PlugFlagsEntry>& entries = States()[&node];
    if (SceneChanges* record = SceneChanges::Recording())
        // The node's states as they are now, swapped in and out by undo
        // and redo. Noted before the change; the change writes in place.
        record->Toggle([keep = node.Self(), other = entries]() mutable { std::swap(States()[keep.get()], other); });
    for (PlugFlagsEntry& entry : entries)
        if (entry.path == path)
        {
            if (!Current(node, path))
                entry.flags = PlugFlags();
            return entry.flags;
        }
    entries.push_back({path, PlugFlags()});
    return entries.back().flags;
}
} // namespace

bool IsPlugLocked(const Node& node, const PlugPath& path)
{
    const Table& table = States();
    const auto it = table.find(&node);
    if (it == table.end())
        return false;
    for (const PlugFlagsEntry& entry : it->second)
        if (entry.flags.locked && entry.path.size() <= path.size() && PathWithin(path, entry.path) &&
            Current(node, entry.path))
            return true;
    return false;
}

bool IsPlugKeyable(const Node& node, const PlugPath& path)
{
    if (const PlugFlags* flags = Find(node, path); flags && flags->keyable)
        return *flags->keyable;
    return !path.empty() && path.back().attribute->keyable;
}

bool IsPlugInChannelBox(const Node& node, const PlugPath& path)
{
    if (const PlugFlags* flags = Find(node, path); flags && flags->channelBox)
        return *flags->channelBox;
    return !path.empty() && path.back().attribute->channelBox && !IsPlugKeyable(node, path);
}

PlugFlags PlugFlagsAt(const Node& node, const PlugPath& path)
{
    const PlugFlags* flags = Find(node, path);
    return flags ? *flags : PlugFlags();
}

void SetPlugLocked(Node& node, const PlugPath& path, bool locked)
{
    Make(node, path).locked = locked;
}

void SetPlugKeyable(Node& node, const PlugPath& path, bool keyable)
{
    PlugFlags& flags = Make(node, path);
    flags.keyable = keyable;
    if (keyable)
        flags.channelBox = false;
}

void SetPlugInChannelBox(Node& node, const PlugPath& path, bool shown)
{
    Make(node, path).channelBox = shown;
}

std::vector<PlugFlagsEntry> PlugFlagsOf(const Node& node)
{
    std::vector<PlugFlagsEntry> out;
    const Table& table = States();
    if (const auto it = table.find(&node); it != table.end())
        for (const PlugFlagsEntry& entry : it->second)
            if (Current(node, entry.path))
                out.push_back(entry);
    return out;
}
} // namespace vxhost
