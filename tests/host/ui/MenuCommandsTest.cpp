// menu, menuItem, setParent and deleteUI, run as a menu script runs them.

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/UserInterface.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vxhost::CommandEngine;
using vxhost::UIElement;
using vxhost::UserInterface;

namespace
{
class MenuCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        UserInterface::Get().Reset();
    }
    void TearDown() override
    {
        UserInterface::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    // The result of one statement, as it would print.
    std::string Run(const std::string& statement)
    {
        EXPECT_TRUE(fEngine.RunCommandString(statement)) << statement;
        return fEngine.LastResult().Format();
    }

    std::string LastError() const
    {
        const std::vector<vxhost::Message> messages = vxhost::Messages();
        return messages.empty() ? std::string() : messages.back().text;
    }

    CommandEngine& fEngine = CommandEngine::Instance();
};
} // namespace

TEST_F(MenuCommandsTest, AScriptBuildsAMenuTreeUnderTheMainWindow)
{
    ASSERT_TRUE(fEngine.RunScript("global proc buildMenu()\n"
                                  "{\n"
                                  "    global string $gMainWindow;\n"
                                  "    menu -label \"Tools\" -parent $gMainWindow -tearOff true toolsMenu;\n"
                                  "    menuItem -label \"Run\" -command \"doRun 1\" -annotation \"Runs\";\n"
                                  "    menuItem -divider true;\n"
                                  "    menuItem -label \"More\" -subMenu true -tearOff true moreItem;\n"
                                  "        menuItem -label \"Deep\" -command \"doDeep\" deepItem;\n"
                                  "    setParent -menu ..;\n"
                                  "    menuItem -label \"Last\";\n"
                                  "    setParent -menu ..;\n"
                                  "}\n"
                                  "buildMenu;"));
    const UIElement* menu = UserInterface::Get().Find("toolsMenu");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->path, "MayaWindow|toolsMenu");
    EXPECT_EQ(menu->label, "Tools");
    EXPECT_TRUE(menu->tearOff);
    ASSERT_EQ(menu->children.size(), 4u);

    // Unnamed items are numbered; a sub-menu takes the items until setParent.
    const UIElement* run = UserInterface::Get().Find(menu->children[0]);
    EXPECT_EQ(run->name.substr(0, 8), "menuItem");
    EXPECT_EQ(run->command, "doRun 1");
    EXPECT_EQ(run->annotation, "Runs");
    EXPECT_TRUE(UserInterface::Get().Find(menu->children[1])->divider);
    EXPECT_EQ(menu->children[2], "MayaWindow|toolsMenu|moreItem");
    const UIElement* more = UserInterface::Get().Find("moreItem");
    EXPECT_TRUE(more->subMenu);
    EXPECT_EQ(more->children, (std::vector<std::string>{"MayaWindow|toolsMenu|moreItem|deepItem"}));
    EXPECT_EQ(UserInterface::Get().Find(menu->children[3])->label, "Last");
    // The last setParent -menu .. left the menu: there is no menu parent.
    EXPECT_EQ(Run("setParent -q -menu"), "");

    EXPECT_EQ(Run("menu -exists toolsMenu"), "1");
    EXPECT_EQ(Run("menu -exists moreItem"), "0");
    EXPECT_EQ(Run("menuItem -exists moreItem"), "1");
    EXPECT_EQ(Run("menu -q -itemArray toolsMenu"),
              run->name + " " + UserInterface::Get().Find(menu->children[1])->name + " moreItem " +
                  UserInterface::Get().Find(menu->children[3])->name);
    EXPECT_EQ(Run("menuItem -q -command deepItem"), "doDeep");

    // Deleting the menu takes its items too.
    Run("deleteUI -menu toolsMenu");
    EXPECT_FALSE(UserInterface::Get().Find("toolsMenu"));
    EXPECT_FALSE(UserInterface::Get().Find("deepItem"));
    EXPECT_TRUE(UserInterface::Get().Find("MayaWindow")->children.empty());
    EXPECT_EQ(Run("menu -exists toolsMenu"), "0");
}

TEST_F(MenuCommandsTest, RefusesWhatMayaRefuses)
{
    EXPECT_FALSE(fEngine.RunScript("menuItem -label \"Orphan\";"));
    EXPECT_EQ(LastError(),
              "line 1: menuItem: No menu to add the item to: make a menu first, or give -parent.");

    ASSERT_TRUE(fEngine.RunScript("menu -label \"A\" aMenu;"));
    EXPECT_FALSE(fEngine.RunScript("menu -label \"B\" aMenu;"));
    EXPECT_EQ(LastError(), "line 1: menu: Object's name 'aMenu' is not unique.");
    EXPECT_FALSE(fEngine.RunScript("menu -parent nowhere;"));
    EXPECT_EQ(LastError(), "line 1: menu: Object 'nowhere' not found or not a window.");
    EXPECT_FALSE(fEngine.RunScript("menuItem -divider true -command \"x\";"));
    EXPECT_EQ(LastError(), "line 1: menuItem: A divider has no command and no sub-menu.");
    // An item that is no sub-menu cannot hold items.
    ASSERT_TRUE(fEngine.RunScript("menuItem -label \"Leaf\" leaf;"));
    EXPECT_FALSE(fEngine.RunScript("menuItem -parent leaf;"));
    EXPECT_EQ(LastError(), "line 1: menuItem: Object 'leaf' not found or not a menu.");

    // deleteUI checks every name before deleting any.
    EXPECT_FALSE(fEngine.RunScript("deleteUI -menu aMenu leaf;"));
    EXPECT_EQ(LastError(), "line 1: deleteUI: Object 'leaf' not found.");
    EXPECT_TRUE(UserInterface::Get().Find("aMenu"));
    EXPECT_FALSE(fEngine.RunScript("deleteUI MayaWindow;"));
    EXPECT_EQ(LastError(), "line 1: deleteUI: The main window cannot be deleted.");
    EXPECT_FALSE(fEngine.RunScript("deleteUI -menu aMenu;\ndeleteUI -menu aMenu;"));
    EXPECT_EQ(LastError(), "line 2: deleteUI: Object 'aMenu' not found.");
}
