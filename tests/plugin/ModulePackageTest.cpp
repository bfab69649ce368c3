// The Maya module's scripts (plugin/module/scripts) run in the host against
// the loaded plug-in: every user-facing node type has an attribute editor
// template and an icon, each template places every attribute its node type's
// initialiser adds exactly once, and the Volarix menu's items call commands
// that exist and do what they say.
//
// Which attributes a template must place: those of the plug-in's own node
// classes (for an entity locator, those it inherits from
// QF_VX_volumeLocatorNode, which is the plug-in's too). The attributes of
// the host's base classes (the field's magnitude, a locator's localPosition,
// ...) are Maya's: a template may place each at most once and leaves the
// rest to -addExtraControls, as Maya's templates do. Every name a template
// gives must be a top-level attribute of the node type; the children of
// compounds and pairs are reached through their parent.

#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include "plugin/MayaModules.h"
#include "plugin/PluginRegistry.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/EditorTemplate.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Script.h>
#include <vxhost/UserInterface.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

using vxhost::CommandEngine;
using vxhost::NodeClass;
using vxhost::UIElement;
using vxhost::UserInterface;

namespace
{
namespace fs = std::filesystem;

const char* const kPlugin = "particleVolarix";
const fs::path kScripts = fs::path(VX_MODULE_DIR) / "scripts";

std::vector<std::string> Errors()
{
    std::vector<std::string> errors;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == vxhost::Severity::kError)
            errors.push_back(m.text);
    return errors;
}

// The node types a user makes and sees: the plug-in's, less its manipulators.
std::vector<const NodeClass*> UserNodeTypes()
{
    std::vector<const NodeClass*> types;
    for (const std::string& name : vxhost::NodeRegistry::Get().TypeNames())
    {
        const NodeClass* cls = vxhost::NodeRegistry::Get().Find(name);
        if (cls->plugin == kPlugin && cls->pxType != MPxNode::kManipContainer &&
            cls->pxType != MPxNode::kManipulatorNode)
            types.push_back(cls);
    }
    return types;
}

// The top-level attributes of the type, by name, each with whether the
// plug-in's initialisers made it.
std::map<std::string, bool> TopLevelAttributes(const NodeClass& type)
{
    std::map<std::string, bool> attributes;
    for (const NodeClass* c = &type; c; c = c->parent)
        for (const auto& attribute : c->attributes)
            attributes[attribute->name] = c->plugin == kPlugin;
    return attributes;
}

class ModulePackageTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        vxhost::SetMessageEcho(false);
        // The scripts as the module's scripts folder on the script path
        // gives them, and only them.
        unsetenv("MAYA_MODULE_PATH");
        setenv("MAYA_SCRIPT_PATH", kScripts.c_str(), 1);
        ASSERT_TRUE(CommandEngine::Instance().RunScript("loadPlugin \"" VX_PLUGIN_MODULE "\";"));
    }
    void SetUp() override
    {
        vxhost::ClearMessages();
        vxhost::Scene::Get().Reset();
        UserInterface::Get().Reset();
        vxhost::ClearEditorTemplate();
    }
    void TearDown() override { EXPECT_TRUE(Errors().empty()) << Errors().front(); }

    bool Run(const std::string& script) { return fEngine.RunCommandString(script); }

    CommandEngine& fEngine = CommandEngine::Instance();
};

// Every element under the menu element, depth first.
void Walk(const UIElement& element, std::vector<const UIElement*>& out)
{
    for (const std::string& path : element.children)
    {
        const UIElement* child = UserInterface::Get().Find(path);
        out.push_back(child);
        Walk(*child, out);
    }
}

const UIElement* ItemLabelled(const std::vector<const UIElement*>& items, const std::string& label)
{
    for (const UIElement* item : items)
        if (item->label == label)
            return item;
    ADD_FAILURE() << "no menu item \"" << label << "\"";
    return nullptr;
}
} // namespace

TEST_F(ModulePackageTest, EveryNodeTypeHasATemplateAndAnIconAndNothingElseDoes)
{
    std::set<std::string> templates;
    for (const fs::directory_entry& entry : fs::directory_iterator(kScripts))
    {
        const std::string file = entry.path().filename().string();
        if (file.starts_with("AE") && file.ends_with("Template.mel"))
            templates.insert(file);
    }
    const std::vector<const NodeClass*> types = UserNodeTypes();
    ASSERT_EQ(types.size(), 5u);
    for (const NodeClass* type : types)
    {
        EXPECT_EQ(templates.erase("AE" + type->typeName + "Template.mel"), 1u) << type->typeName;
        EXPECT_TRUE(fs::is_regular_file(fs::path(VX_MODULE_DIR) / "icons" / ("out_" + type->typeName + ".png")))
            << type->typeName;
    }
    EXPECT_TRUE(templates.empty()) << "a template for no node type: " << *templates.begin();
}

TEST_F(ModulePackageTest, EachTemplatePlacesEveryAttributeOfItsNodeTypeOnce)
{
    for (const NodeClass* type : UserNodeTypes())
    {
        SCOPED_TRACE(type->typeName);
        const std::string node = "probe_" + type->typeName;
        ASSERT_TRUE(Run("createNode " + type->typeName + " -n " + node + ";\nAE" + type->typeName +
                        "Template " + node + ";"));
        const vxhost::EditorTemplate& layout = vxhost::LastEditorTemplate();
        EXPECT_TRUE(layout.complete);
        ASSERT_FALSE(layout.items.empty());
        EXPECT_EQ(layout.items.back().kind, vxhost::EditorTemplateItem::Kind::kExtraControls);

        std::map<std::string, int> placed;
        for (const std::string& name : layout.PlacedAttributes())
            ++placed[name];
        const std::map<std::string, bool> attributes = TopLevelAttributes(*type);
        for (const auto& [name, count] : placed)
        {
            EXPECT_TRUE(attributes.count(name)) << "\"" << name << "\" is no attribute of " << type->typeName;
            EXPECT_EQ(count, 1) << "\"" << name << "\" is placed " << count << " times";
        }
        int own = 0;
        for (const auto& [name, pluginMade] : attributes)
            if (pluginMade)
            {
                ++own;
                EXPECT_TRUE(placed.count(name)) << "\"" << name << "\" is left to the extra controls";
            }
        // The field's nine parameter triples and three arrays; the
        // locators' fifteen.
        EXPECT_EQ(own, type->typeName == kPlugin ? 30 : 15);
    }
}

TEST_F(ModulePackageTest, TheModuleFileDescribesTheLoadedPlugIn)
{
    std::ifstream file(fs::path(VX_MODULE_DIR) / "particleVolarix.mod");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<vxhost::MayaModule> modules;
    std::string error;
    const std::string path = (fs::path(VX_MODULE_DIR) / "particleVolarix.mod").string();
    ASSERT_TRUE(vxhost::ReadModuleFile(text, path, modules, error)) << error;
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].name, kPlugin);
    EXPECT_EQ(fs::path(modules[0].root), fs::path(VX_MODULE_DIR + std::string("/")));
    const auto plugin = vxhost::PluginRegistry::Get().Find(kPlugin);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(modules[0].version, plugin->version);
    // The Windows entry is there too, for Maya on win64.
    EXPECT_NE(text.find("PLATFORM:win64 particleVolarix " + plugin->version + " ."), std::string::npos);
}

TEST_F(ModulePackageTest, TheMenuCallsCommandsThatExistAndTheyWireTheSelection)
{
    // As Maya starts: userSetup.mel defers the menu until the script is done.
    ASSERT_TRUE(Run("source userSetup.mel"));
    const UIElement* menu = UserInterface::Get().Find("volarixMenu");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->parent, UserInterface::kMainWindow);
    std::vector<const UIElement*> items;
    Walk(*menu, items);

    std::set<std::string> called;
    std::string error;
    for (const UIElement* item : items)
    {
        if (item->divider || item->subMenu)
            continue;
        SCOPED_TRACE(item->label);
        std::vector<vxhost::ScriptStatement> statements;
        ASSERT_TRUE(vxhost::ParseScript(item->command + ";", "", statements, error)) << error;
        ASSERT_FALSE(statements.empty());
        for (const vxhost::ScriptStatement& statement : statements)
        {
            EXPECT_TRUE(fEngine.Has(statement.command) || fEngine.HasProcedure(statement.command))
                << statement.command;
            called.insert(statement.command);
        }
    }
    for (const char* command : {"QF_VX_target", "QF_VX_modifier", "QF_VX_obstacle", "createNode"})
        EXPECT_TRUE(called.count(command)) << command;

    // A click on each of a few items, as a user would make a flock's pieces.
    ASSERT_TRUE(Run(ItemLabelled(items, "Create Field")->command));
    ASSERT_TRUE(Run(ItemLabelled(items, "Create Target Locator")->command));
    ASSERT_TRUE(Run("polyCube -n rock"));
    ASSERT_TRUE(vxhost::Scene::Get().Find("particleVolarix1"));
    const auto locator = vxhost::Scene::Get().Find("QF_VX_targetLocatorNode1");
    ASSERT_TRUE(locator && locator->parent);
    ASSERT_TRUE(Run("select -r particleVolarix1 " + locator->parent->name));
    ASSERT_TRUE(Run(ItemLabelled(items, "Add Position Target")->command));
    ASSERT_TRUE(Run("select -r particleVolarix1 rock"));
    ASSERT_TRUE(Run(ItemLabelled(items, "Add Mesh Obstacle")->command));
    ASSERT_TRUE(Run("select -r particleVolarix1"));
    ASSERT_TRUE(Run(ItemLabelled(items, "List Obstacles")->command));
    EXPECT_EQ(fEngine.LastResult().Format(), "rock (mesh)");
    ASSERT_TRUE(Run("QF_VX_target -q -numEntity"));
    EXPECT_EQ(fEngine.LastResult().Format(), "1");
    // -makeKeyable gave the target's transform its keyable attributes.
    ASSERT_TRUE(Run("getAttr " + locator->parent->name + ".ArrivalDistance"));

    ASSERT_TRUE(Run("volarixDeleteMenu"));
    EXPECT_FALSE(UserInterface::Get().Find("volarixMenu"));
}
