// Option variables, set and read through the optionVar command and through
// MGlobal, which see one store.

#include "commands/OptionVars.h"

#include <maya/MGlobal.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>

using vxhost::CommandEngine;

namespace
{
class OptionVarTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::OptionVars::Get().Clear();
        vxhost::SetMessageEcho(false);
    }
    void TearDown() override
    {
        vxhost::OptionVars::Get().Clear();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    // The statement's result as printed; "" after a failure.
    static std::string Answer(const std::string& statement)
    {
        return Run(statement) ? CommandEngine::Instance().LastResult().Format() : std::string();
    }
};

TEST_F(OptionVarTest, CommandSetsQueriesAndRemovesEachType)
{
    ASSERT_TRUE(Run("optionVar -iv vxLevel 3 -floatValue vxScale 2.5 -sv vxName \"flock one\";"));
    EXPECT_EQ(Answer("optionVar -q vxLevel;"), "3");
    EXPECT_EQ(Answer("optionVar -query vxScale;"), "2.5");
    EXPECT_EQ(Answer("optionVar -q vxName;"), "flock one");
    EXPECT_EQ(Answer("optionVar -exists vxLevel;"), "1");
    // A new value of another type replaces the old one.
    ASSERT_TRUE(Run("optionVar -sv vxLevel high;"));
    EXPECT_EQ(Answer("optionVar -q vxLevel;"), "high");

    ASSERT_TRUE(Run("optionVar -rm vxLevel;"));
    EXPECT_EQ(Answer("optionVar -ex vxLevel;"), "0");
    EXPECT_EQ(Answer("optionVar -q vxLevel;"), "0"); // nothing reads as 0
    EXPECT_EQ(Answer("optionVar -l;"), "vxName vxScale");

    // Flags apply in the order written.
    ASSERT_TRUE(Run("optionVar -iv vxTemp 1 -remove vxTemp -iv vxLast 1 -iv vxLast 2;"));
    EXPECT_EQ(Answer("optionVar -ex vxTemp;"), "0");
    EXPECT_EQ(Answer("optionVar -q vxLast;"), "2");
}

TEST_F(OptionVarTest, BadCallsChangeNothing)
{
    EXPECT_FALSE(Run("optionVar -iv vxA 1 -iv vxB 2.5;"));
    EXPECT_FALSE(MGlobal::optionVarExists("vxA"));
    EXPECT_FALSE(Run("optionVar -iv vxA 1 -q vxA;"));
    EXPECT_FALSE(MGlobal::optionVarExists("vxA"));
    EXPECT_FALSE(Run("optionVar -iv vxA;"));
}

TEST_F(OptionVarTest, MGlobalSeesTheCommandsStore)
{
    ASSERT_TRUE(MGlobal::setOptionVarValue("vxDisplay", 7));
    EXPECT_EQ(Answer("optionVar -q vxDisplay;"), "7");

    ASSERT_TRUE(MGlobal::executeCommand("optionVar -iv vxDraw -4 -fv vxRatio 2.75 -sv vxText \"9\""));
    bool exists = false;
    EXPECT_EQ(MGlobal::optionVarIntValue("vxDraw", &exists), -4);
    EXPECT_TRUE(exists);
    EXPECT_EQ(MGlobal::optionVarIntValue("vxRatio"), 2); // truncated
    EXPECT_EQ(MGlobal::optionVarIntValue("vxText", &exists), 0);
    EXPECT_TRUE(exists);

    MGlobal::removeOptionVar("vxDraw");
    EXPECT_FALSE(MGlobal::optionVarExists("vxDraw"));
    EXPECT_EQ(MGlobal::optionVarIntValue("vxDraw", &exists), 0);
    EXPECT_FALSE(exists);
}
} // namespace
