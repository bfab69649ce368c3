// editorTemplate: the layout a template procedure records, and what the
// command refuses.

#include <vxhost/CommandEngine.h>
#include <vxhost/EditorTemplate.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vxhost::CommandEngine;
using vxhost::LastEditorTemplate;

namespace
{
class EditorTemplateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        vxhost::ClearEditorTemplate();
    }
    void TearDown() override
    {
        vxhost::ClearEditorTemplate();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    // The error a one-statement script fails with.
    std::string Refusal(const std::string& script)
    {
        EXPECT_FALSE(fEngine.RunScript(script)) << script;
        const std::vector<vxhost::Message> messages = vxhost::Messages();
        return messages.empty() ? std::string() : messages.back().text;
    }

    CommandEngine& fEngine = CommandEngine::Instance();
};
} // namespace

TEST_F(EditorTemplateTest, ATemplateProcedureRecordsItsLayout)
{
    ASSERT_TRUE(
        fEngine.RunScript("global proc AEthingTemplate(string $nodeName)\n"
                          "{\n"
                          "    editorTemplate -beginScrollLayout;\n"
                          "    editorTemplate -beginLayout \"Main\" -collapse 0;\n"
                          "        editorTemplate -label \"Speed\" -addControl \"maximumSpeed\";\n"
                          "        editorTemplate -addControl \"width\" \"onWidth\";\n"
                          "        editorTemplate -addSeparator;\n"
                          "        editorTemplate -bl \"Inner\" -cl true;\n"
                          "            editorTemplate -callCustom \"newProc\" \"replaceProc\" \"a\" \"b\";\n"
                          "        editorTemplate -el;\n"
                          "    editorTemplate -endLayout;\n"
                          "    editorTemplate -suppress \"target\";\n"
                          "    editorTemplate -addExtraControls;\n"
                          "    editorTemplate -endScrollLayout;\n"
                          "}\n"
                          "AEthingTemplate thing1;"));
    const vxhost::EditorTemplate& layout = LastEditorTemplate();
    EXPECT_TRUE(layout.complete);
    EXPECT_EQ(layout.Outline(), "layout \"Main\"\n"
                                "  control maximumSpeed \"Speed\"\n"
                                "  control width\n"
                                "  separator\n"
                                "  layout \"Inner\" collapsed\n"
                                "    custom a b\n"
                                "suppress target\n"
                                "extra controls\n");
    EXPECT_EQ(layout.items[2].command, "onWidth");
    EXPECT_EQ(layout.items[5].command, "newProc");
    EXPECT_EQ(layout.items[5].replaceCommand, "replaceProc");
    EXPECT_EQ(layout.PlacedAttributes(),
              (std::vector<std::string>{"maximumSpeed", "width", "a", "b", "target"}));

    // The next template starts afresh, even after one that never ended.
    ASSERT_TRUE(fEngine.RunScript("editorTemplate -beginScrollLayout;\neditorTemplate -addControl \"x\";"));
    EXPECT_FALSE(LastEditorTemplate().complete);
    ASSERT_TRUE(fEngine.RunScript("editorTemplate -beginScrollLayout;\neditorTemplate -endScrollLayout;"));
    EXPECT_TRUE(LastEditorTemplate().complete);
    EXPECT_TRUE(LastEditorTemplate().items.empty());
}

TEST_F(EditorTemplateTest, RefusesLayoutsTheAttributeEditorCouldNotBuild)
{
    EXPECT_EQ(Refusal("editorTemplate -addControl \"x\";"),
              "line 1: editorTemplate: -addControl outside -beginScrollLayout and -endScrollLayout.");
    ASSERT_TRUE(fEngine.RunScript("editorTemplate -beginScrollLayout;"));
    EXPECT_EQ(Refusal("editorTemplate -endLayout;"),
              "line 1: editorTemplate: -endLayout without a matching -beginLayout.");
    ASSERT_TRUE(fEngine.RunScript("editorTemplate -beginLayout \"Open\";"));
    EXPECT_EQ(Refusal("editorTemplate -endScrollLayout;"),
              "line 1: editorTemplate: -endScrollLayout with the layout \"Open\" still open.");
    EXPECT_EQ(Refusal("editorTemplate -label \"L\" -suppress \"x\";"),
              "line 1: editorTemplate: -label goes with -addControl only.");
    EXPECT_EQ(Refusal("editorTemplate -addControl \"x\" -suppress \"y\";"),
              "line 1: editorTemplate: Give one action a call: -addControl and -suppress.");
    EXPECT_EQ(Refusal("editorTemplate -callCustom \"onlyOne\";"),
              "line 1: editorTemplate: -callCustom takes the two procedures, then the attributes.");
    EXPECT_EQ(Refusal("editorTemplate -addControl \"x\" \"cmd\" \"extra\";"),
              "line 1: editorTemplate: -addControl takes at most one further argument, a command.");
    EXPECT_EQ(Refusal("editorTemplate -suppress \"x\" -collapse 1;"),
              "line 1: editorTemplate: -collapse goes with -beginLayout only.");
    EXPECT_EQ(Refusal("editorTemplate -label \"L\";"),
              "line 1: editorTemplate: No action given (-beginScrollLayout, -addControl, ...).");
    // Nothing refused was recorded.
    EXPECT_EQ(LastEditorTemplate().Outline(), "layout \"Open\"\n");
}
