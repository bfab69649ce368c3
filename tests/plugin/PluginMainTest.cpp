// Loading and unloading the plug-in in-process: the entry points are linked
// into the test program instead of being opened with dlopen.

#include "PluginEntryPoints.h"

#include <dg/NodeClass.h>
#include <dg/Scene.h>
#include <plugin/PluginRegistry.h>
#include <ui/Manipulators.h>

#include <maya/MDrawRegistry.h>
#include <maya/MFnPlugin.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

using MHWRender::MDrawRegistry;

namespace
{
const char* const kCommands[] = {"QF_VX_target", "QF_VX_modifier", "QF_VX_obstacle"};
const char* const kFieldClassification = "drawdb/geometry/QF_ParticleVolarixNode";
const char* const kTargetClassification = "drawdb/geometry/QF_VX_targetLocatorNode";
const char* const kClassifications[] = {kTargetClassification, "drawdb/geometry/QF_VX_modifierLocatorNode",
                                        "drawdb/geometry/QF_VX_obstacleLocatorNode", kFieldClassification,
                                        "drawdb/geometry/QF_VX_volumeLocatorNode"};

MHWRender::MPxDrawOverride* NoOverride(const MObject&)
{
    return nullptr;
}

/// Whether someone's creator holds the classification: another registrant
/// is refused then.
bool HasDrawOverride(const char* classification)
{
    if (!MDrawRegistry::registerDrawOverrideCreator(classification, "probe", NoOverride))
        return true;
    MDrawRegistry::deregisterDrawOverrideCreator(classification, "probe");
    return false;
}

/// Everything a plug-in can leave behind in the host.
struct Registries
{
    std::vector<std::string> nodeTypes;
    std::vector<bool> commands;
    std::vector<bool> drawOverrides;
    std::set<unsigned> connectTable;
    bool operator==(const Registries&) const = default;
};

Registries Snapshot()
{
    Registries r;
    r.nodeTypes = vxhost::NodeRegistry::Get().TypeNames();
    for (const char* command : kCommands)
        r.commands.push_back(vxhost::CommandEngine::Instance().Has(command));
    for (const char* classification : kClassifications)
        r.drawOverrides.push_back(HasDrawOverride(classification));
    r.connectTable = vxhost::ManipContext::Get().ConnectTable();
    return r;
}

std::string OnlyError()
{
    const std::vector<vxhost::Message> messages = vxhost::Messages();
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? std::string() : messages[0].text;
}

/// A module's object as the host's loader makes it: it remembers what was
/// registered through it.
MObject NewPluginObject(const char* name = "particleVolarix")
{
    auto plugin = std::make_shared<vxhost::PluginObject>();
    plugin->name = name;
    return MObject(plugin);
}

const vxhost::NodeClass* Type(const char* name)
{
    return vxhost::NodeRegistry::Get().Find(name);
}

class PluginMainTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        before_ = Snapshot();
    }
    void TearDown() override { EXPECT_EQ(Snapshot(), before_); }

    Registries before_;
};

TEST_F(PluginMainTest, LoadRegistersEverythingInOrderAndUnloadRemovesIt)
{
    const MObject plugin = NewPluginObject();
    ASSERT_TRUE(initializePlugin(plugin));
    EXPECT_TRUE(vxhost::Messages().empty());
    EXPECT_EQ(vxhost::PluginObject::From(plugin)->vendor, "Quillfen");
    EXPECT_EQ(vxhost::PluginObject::From(plugin)->version, "2.0.5");

    // Node types come after the host's own, in the order registered.
    const std::vector<std::string> types = vxhost::NodeRegistry::Get().TypeNames();
    const std::vector<std::string> added(types.begin() + static_cast<long>(before_.nodeTypes.size()),
                                         types.end());
    const std::vector<std::string> expected = {
        "QF_VX_volumeLocatorNode",        "QF_VX_targetLocatorNode",      "QF_VX_modifierLocatorNode",
        "QF_VX_obstacleLocatorNode",      "QF_VX_targetLocatorNodeManip", "QF_VX_modifierLocatorNodeManip",
        "QF_VX_obstacleLocatorNodeManip", "QF_VX_radiusManipulatorNode",  "particleVolarix"};
    EXPECT_EQ(added, expected);
    const struct
    {
        const char* name;
        unsigned id;
        MPxNode::Type kind;
    } table[] = {
        {"QF_VX_volumeLocatorNode", 0x123B41, MPxNode::kLocatorNode},
        {"QF_VX_targetLocatorNode", 0x123B42, MPxNode::kLocatorNode},
        {"QF_VX_modifierLocatorNode", 0x123B43, MPxNode::kLocatorNode},
        {"QF_VX_obstacleLocatorNode", 0x123B47, MPxNode::kLocatorNode},
        {"QF_VX_targetLocatorNodeManip", 0x123B44, MPxNode::kManipContainer},
        {"QF_VX_modifierLocatorNodeManip", 0x123B45, MPxNode::kManipContainer},
        {"QF_VX_obstacleLocatorNodeManip", 0x123B48, MPxNode::kManipContainer},
        {"QF_VX_radiusManipulatorNode", 0x123B46, MPxNode::kManipulatorNode},
        {"particleVolarix", 0x123B40, MPxNode::kFieldNode},
    };
    for (const auto& row : table)
    {
        const vxhost::NodeClass* type = Type(row.name);
        ASSERT_NE(type, nullptr) << row.name;
        EXPECT_EQ(type->id.id(), row.id) << row.name;
        EXPECT_EQ(type->pxType, row.kind) << row.name;
    }
    EXPECT_EQ(Type("QF_VX_targetLocatorNode")->classification, kTargetClassification);
    EXPECT_EQ(Type("particleVolarix")->classification, kFieldClassification);

    const Registries loaded = Snapshot();
    EXPECT_EQ(loaded.commands, std::vector<bool>(3, true));
    // Every classification but the plain volume locator's has an override.
    EXPECT_EQ(loaded.drawOverrides, std::vector<bool>({true, true, true, true, false}));
    EXPECT_EQ(loaded.connectTable.count(0x123B42) + loaded.connectTable.count(0x123B43) +
                  loaded.connectTable.count(0x123B47),
              3u);

    // A second load finds the first name taken, the target command's: one
    // error naming it, with the host's text.
    const MStatus again = initializePlugin(NewPluginObject());
    EXPECT_FALSE(again);
    EXPECT_EQ(OnlyError(),
              std::string("Error registering Command: QF_VX_target") + again.errorString().asChar());
    vxhost::ClearMessages();

    // Unloading through a module that registered nothing fails at the first
    // command.
    const MStatus stranger = uninitializePlugin(NewPluginObject());
    EXPECT_FALSE(stranger);
    EXPECT_EQ(OnlyError(),
              std::string("Error de-registering Command: QF_VX_target") + stranger.errorString().asChar());
    vxhost::ClearMessages();

    EXPECT_TRUE(uninitializePlugin(plugin));
    EXPECT_EQ(vxhost::PluginObject::From(plugin)->vendor, "Unknown");
    EXPECT_TRUE(vxhost::Messages().empty());
    // TearDown: the registries are as they were.
}

TEST_F(PluginMainTest, AFailedFieldRegistrationKeepsWhatCameBefore)
{
    // Another plug-in holds the field's name.
    MObject squatter = NewPluginObject("squatter");
    MFnPlugin squatterFn(squatter, "Other", "1.0", "Any");
    ASSERT_TRUE(squatterFn.registerNode(
        "particleVolarix", MTypeId(0x7F1FF), [] { return static_cast<void*>(nullptr); }, nullptr,
        MPxNode::kDependNode));

    const MObject plugin = NewPluginObject();
    const MStatus status = initializePlugin(plugin);
    EXPECT_EQ(status.statusCode(), MStatus::kFailure);
    EXPECT_EQ(OnlyError(),
              std::string("Error registering Node: particleVolarix") + status.errorString().asChar());
    EXPECT_NE(Type("QF_VX_radiusManipulatorNode"), nullptr);
    EXPECT_EQ(Type("particleVolarix")->id.id(), 0x7F1FFu);
    EXPECT_EQ(Snapshot().drawOverrides, std::vector<bool>({true, true, true, true, false}));
    vxhost::ClearMessages();

    // Unloading stops at the field it never registered, before the field's
    // draw override.
    const MStatus unload = uninitializePlugin(plugin);
    EXPECT_FALSE(unload);
    EXPECT_EQ(OnlyError(),
              std::string("Error de-registering Node: particleVolarix") + unload.errorString().asChar());
    EXPECT_EQ(Type("QF_VX_volumeLocatorNode"), nullptr);
    EXPECT_TRUE(HasDrawOverride(kFieldClassification));

    EXPECT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator(kFieldClassification, "QF_ParticleVolarixNode"));
    EXPECT_TRUE(squatterFn.deregisterNode(MTypeId(0x7F1FF)));
}

TEST_F(PluginMainTest, UnloadRemovesManipulatorsBeforeOverridesBeforeLocators)
{
    MObject plugin = NewPluginObject();
    ASSERT_TRUE(initializePlugin(plugin));
    // Someone else takes the target locator's override away first: the
    // unload stops there.
    ASSERT_TRUE(
        MDrawRegistry::deregisterDrawOverrideCreator(kTargetClassification, "QF_VX_TargetLocatorNode"));
    const MStatus status = uninitializePlugin(plugin);
    EXPECT_FALSE(status);
    EXPECT_EQ(OnlyError(), std::string("Error de-registering DrawOverride: QF_VX_targetLocatorNode") +
                               status.errorString().asChar());
    const Registries partly = Snapshot();
    EXPECT_EQ(partly.commands, std::vector<bool>(3, false));
    EXPECT_EQ(Type("QF_VX_obstacleLocatorNodeManip"), nullptr);
    EXPECT_EQ(Type("QF_VX_radiusManipulatorNode"), nullptr);
    EXPECT_NE(Type("QF_VX_targetLocatorNode"), nullptr);
    EXPECT_NE(Type("particleVolarix"), nullptr);
    EXPECT_EQ(partly.drawOverrides, std::vector<bool>({false, true, true, true, false}));

    // Finish by hand.
    MFnPlugin fn(plugin, "Unknown", "Unknown", "Any");
    EXPECT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/QF_VX_modifierLocatorNode",
                                                             "QF_VX_ModifierLocatorNode"));
    EXPECT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator("drawdb/geometry/QF_VX_obstacleLocatorNode",
                                                             "QF_VX_ObstacleLocatorNode"));
    for (unsigned id : {0x123B42u, 0x123B43u, 0x123B47u, 0x123B41u, 0x123B40u})
        EXPECT_TRUE(fn.deregisterNode(MTypeId(id)));
    EXPECT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator(kFieldClassification, "QF_ParticleVolarixNode"));
}

TEST_F(PluginMainTest, TheFieldsOverrideGoesLast)
{
    const MObject plugin = NewPluginObject();
    ASSERT_TRUE(initializePlugin(plugin));
    ASSERT_TRUE(MDrawRegistry::deregisterDrawOverrideCreator(kFieldClassification, "QF_ParticleVolarixNode"));
    const MStatus status = uninitializePlugin(plugin);
    EXPECT_FALSE(status);
    EXPECT_EQ(OnlyError(), std::string("Error de-registering DrawOverride: particleVolarix") +
                               status.errorString().asChar());
    // Every node type, the field's included, went before it.
    EXPECT_EQ(vxhost::NodeRegistry::Get().TypeNames(), before_.nodeTypes);
}
} // namespace

// What the host reads from the built module before calling it: the version
// text and the signature, by C name; the entry points by their C++ names,
// which carry the versioned API namespace of MObject.
TEST(PluginModuleTest, ExportsWhatTheHostLooksUp)
{
    void* module = dlopen(VX_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto* version = static_cast<const char*>(dlsym(module, "MApiVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version, "20220300");
    const auto* signature = static_cast<const char*>(dlsym(module, "ADSK_PLUGIN_SIGNATURE"));
    ASSERT_NE(signature, nullptr);
    EXPECT_NE(signature[0], '\0');
    EXPECT_NE(dlsym(module, "_Z16initializePluginN8Autodesk4Maya16OpenMaya202200007MObjectE"), nullptr);
    EXPECT_NE(dlsym(module, "_Z18uninitializePluginN8Autodesk4Maya16OpenMaya202200007MObjectE"), nullptr);
    EXPECT_EQ(dlsym(module, "initializePlugin"), nullptr);
    // The solver's and the host's symbols stay inside the module.
    EXPECT_EQ(dlsym(module, "_ZN6KDTree5ResetEv"), nullptr);
    dlclose(module);
}
