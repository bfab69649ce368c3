// Loading and unloading the plug-in in-process: the entry points are linked
// into the test program instead of being opened with dlopen.

#include "PluginEntryPoints.h"
#include "Volarix.h"

#include <dg/NodeClass.h>
#include <dg/Scene.h>
#include <plugin/PluginRegistry.h>

#include <maya/MFnDependencyNode.h>
#include <maya/MFnPlugin.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
std::string OnlyError()
{
    const std::vector<vxhost::Message> messages = vxhost::Messages();
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? std::string() : messages[0].text;
}

/// A module's object as the host's loader makes it: it remembers what was
/// registered through it.
MObject NewPluginObject()
{
    auto plugin = std::make_shared<vxhost::PluginObject>();
    plugin->name = "particleVolarix";
    return MObject(plugin);
}
} // namespace

TEST(PluginMain, LoadRegistersTheFieldAndUnloadRemovesIt)
{
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    EXPECT_STREQ(MApiVersion, "20220300");

    const MObject plugin = NewPluginObject();
    ASSERT_TRUE(initializePlugin(plugin));
    const vxhost::NodeClass* field = vxhost::NodeRegistry::Get().Find("particleVolarix");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->id.id(), 0x123B40u);
    EXPECT_EQ(field->pxType, MPxNode::kFieldNode);
    EXPECT_EQ(field->classification, "drawdb/geometry/QF_ParticleVolarixNode");
    EXPECT_EQ(vxhost::PluginObject::From(plugin)->vendor, "Quillfen");
    EXPECT_EQ(vxhost::PluginObject::From(plugin)->version, "2.0.5");
    EXPECT_TRUE(vxhost::Messages().empty());

    // A second load finds the type taken: one error naming the field, with
    // the host's text.
    const MStatus again = initializePlugin(NewPluginObject());
    EXPECT_FALSE(again);
    EXPECT_EQ(OnlyError(),
              std::string("Error registering Node: particleVolarix") + again.errorString().asChar());
    vxhost::ClearMessages();

    // Unloading through a module that registered nothing fails at the field.
    const MStatus stranger = uninitializePlugin(NewPluginObject());
    EXPECT_FALSE(stranger);
    EXPECT_EQ(OnlyError(),
              std::string("Error de-registering Node: particleVolarix") + stranger.errorString().asChar());
    vxhost::ClearMessages();

    EXPECT_TRUE(uninitializePlugin(plugin));
    EXPECT_EQ(vxhost::NodeRegistry::Get().Find("particleVolarix"), nullptr);
    EXPECT_EQ(vxhost::PluginObject::From(plugin)->vendor, "Unknown");
    EXPECT_TRUE(vxhost::Messages().empty());
}
