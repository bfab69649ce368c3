// expression: a script on an expression node, run as time steps, reading
// and writing the scene through node.attribute names.

#include "QueryTestFixture.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace
{
// Every error shown, one per line: a failing step is reported by the
// expression and then by the command that stepped.
std::string Errors()
{
    std::string text;
    for (const vxhost::Message& m : vxhost::Messages())
        if (m.severity == vxhost::Severity::kError)
            text += m.text + "\n";
    return text;
}

double Get(const std::string& plug)
{
    EXPECT_TRUE(vxhost::CommandEngine::Instance().RunScript("getAttr " + plug + ";")) << plug;
    const vxhost::CommandResult result = vxhost::CommandEngine::Instance().LastResult();
    return result.Doubles().empty() ? -12345.0 : result.Doubles().front();
}

class ExpressionNodeTest : public QueryFixture
{
};
} // namespace

TEST_F(ExpressionNodeTest, DrivesAttributesAsTimeStepsWithTimeFrameAndTheObjectsBareNames)
{
    ASSERT_TRUE(Run("createNode transform -n goal;\n"
                    "string $e = `expression -s \"goal.translateX = sin(time) * 20;\\nty = frame * 2;\" -o goal`;\n"
                    "print $e;"));
    EXPECT_EQ(Last().Format(), "");
    // Time is in seconds at 24 frames a second; bare names are the object's.
    ASSERT_TRUE(Run("currentTime 12;"));
    EXPECT_DOUBLE_EQ(Get("goal.translateX"), std::sin(0.5) * 20.0);
    EXPECT_DOUBLE_EQ(Get("goal.translateY"), 24.0);
    ASSERT_TRUE(Run("currentTime 30;"));
    EXPECT_DOUBLE_EQ(Get("goal.translateY"), 60.0);

    ASSERT_TRUE(Run("expression -q -s expression1;"));
    EXPECT_EQ(Last().Strings().front(), "goal.translateX = sin(time) * 20;\nty = frame * 2;");
    ASSERT_TRUE(Run("expression -q -o expression1;"));
    EXPECT_EQ(Last().Strings().front(), "goal");

    // An edit takes effect at the next step.
    ASSERT_TRUE(Run("expression -e -s \"goal.translateZ = frame + 0.5;\" expression1; currentTime 31;"));
    EXPECT_DOUBLE_EQ(Get("goal.translateZ"), 31.5);
}

TEST_F(ExpressionNodeTest, BadScriptsAreRefusedAndFailuresStopTheStepPlaced)
{
    ASSERT_TRUE(Run("createNode transform -n goal;"));
    // A script that does not read makes no node.
    EXPECT_FALSE(Run("expression -s \"goal.translateX = ;\" -n broken;"));
    EXPECT_NE(LastError().find("Syntax error"), std::string::npos) << LastError();
    EXPECT_FALSE(Run("objExists broken;") && Last().Ints().front() == 1);
    EXPECT_FALSE(Run("expression -s \"tx = 1;\" -o nowhere;"));
    EXPECT_EQ(LastError(), "line 1: expression: No object matches name: nowhere");

    // A script that fails as it runs stops the step, and says which expression.
    ASSERT_TRUE(Run("expression -s \"goal.translateX = missing.translateX;\" -n readsMissing;"));
    EXPECT_FALSE(Run("currentTime 5;"));
    EXPECT_NE(Errors().find("file: <expression readsMissing> line 1: getAttr: No object matches name: "
                            "missing.translateX\n"),
              std::string::npos)
        << Errors();
    EXPECT_FALSE(Run("expression -s \"frame = 3;\" -n setsFrame; delete readsMissing; currentTime 6;"));
    EXPECT_NE(Errors().find("file: <expression setsFrame> line 1: \"frame\" can be read, not set, in an expression.\n"),
              std::string::npos)
        << Errors();
}

TEST_F(ExpressionNodeTest, SavedScenesKeepTheirExpressions)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vx-expression-" + std::to_string(::getpid()) + ".mel");
    ASSERT_TRUE(Run("createNode transform -n goal;\n"
                    "expression -s \"tx = frame * 3;\" -o goal -n moveGoal;\n"
                    "file -rename \"" + path.string() + "\"; file -save;"));
    vxhost::Scene::Get().Reset();
    ASSERT_TRUE(vxhost::CommandEngine::Instance().RunScriptFile(path.string()));
    ASSERT_TRUE(Run("currentTime 4;"));
    EXPECT_DOUBLE_EQ(Get("goal.translateX"), 12.0);
    std::filesystem::remove(path);
}
