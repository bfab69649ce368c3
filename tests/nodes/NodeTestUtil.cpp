#include "NodeTestUtil.h"

#include <plugin/PluginRegistry.h>

#include <memory>

namespace vxtest
{
MObject PluginObject()
{
    // One object for the whole program, as the host keeps one per loaded
    // module: it remembers what was registered through it.
    static const MObject object = []
    {
        auto plugin = std::make_shared<vxhost::PluginObject>();
        plugin->name = "particleVolarix";
        return MObject(plugin);
    }();
    return object;
}
} // namespace vxtest
