#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/ScriptArgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vxhost::ScriptArgs;
using vxhost::ScriptStatement;
using vxhost::ScriptSyntax;

namespace
{
ScriptStatement Statement(const std::string& text)
{
    std::vector<ScriptStatement> statements;
    std::string error;
    EXPECT_TRUE(vxhost::ParseScript(text, "s.mel", statements, error)) << error;
    return statements.empty() ? ScriptStatement() : statements.front();
}

// The error text the last failure showed.
std::string LastError()
{
    const std::vector<vxhost::Message> log = vxhost::Messages();
    return log.empty() || log.back().severity != vxhost::Severity::kError ? "" : log.back().text;
}

class ScriptArgsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
    }
    void TearDown() override
    {
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    const ScriptSyntax fCurve = ScriptSyntax()
                                    .AddFlag("d", "degree", 1)
                                    .AddMultiUseFlag("p", "point", 3)
                                    .AddFlag("n", "name", 1)
                                    .AddFlag("r", "replace")
                                    .EnableQuery()
                                    .SetPositionalCount(0, 1);
};
} // namespace

TEST_F(ScriptArgsTest, FlagsTakeTheirValuesAndTheRestArePositional)
{
    const ScriptStatement statement =
        Statement("curve -d 2 -p 0 -1 2.5 target -point 3 4 5 -r -name \"c 1\";");
    ScriptArgs args;
    ASSERT_TRUE(args.Parse(statement, fCurve));
    EXPECT_FALSE(args.IsQuery());
    EXPECT_TRUE(args.IsFlagSet("replace"));
    EXPECT_EQ(args.FlagUseCount("p"), 2u);
    double second[3] = {};
    ASSERT_TRUE(args.Flag("point", 1).GetDoubles(0, 3, second));
    EXPECT_EQ(second[0], 3.0);
    EXPECT_EQ(second[2], 5.0);
    EXPECT_EQ(args.Flag("p", 0)[1].text, "-1");
    ASSERT_EQ(args.Positionals().Count(), 1u);
    EXPECT_EQ(args.Positionals()[0].text, "target");

    int degree = 3;
    std::string name;
    double unset = 7.0;
    EXPECT_TRUE(args.ReadFlagValue("degree", degree));
    EXPECT_TRUE(args.ReadFlagValue("n", name));
    EXPECT_TRUE(args.ReadFlagValue("x", unset));
    EXPECT_EQ(degree, 2);
    EXPECT_EQ(name, "c 1");
    EXPECT_EQ(unset, 7.0); // a flag not given leaves the default

    // In query mode flags take no values, wherever -q is written.
    const ScriptStatement query = Statement("curve -d -p -q target;");
    ASSERT_TRUE(args.Parse(query, fCurve));
    EXPECT_TRUE(args.IsQuery());
    EXPECT_TRUE(args.IsFlagSet("d"));
    EXPECT_EQ(args.Flag("d").Count(), 0u);
    EXPECT_EQ(args.Positionals()[0].text, "target");
}

TEST_F(ScriptArgsTest, BadUsesAndValuesAreReportedWithPlaceFlagAndValue)
{
    const auto parseError = [this](const std::string& text)
    {
        ScriptArgs args;
        const MStatus status = args.Parse(Statement(text), fCurve);
        EXPECT_EQ(status, MStatus::kInvalidParameter) << text;
        return LastError();
    };
    EXPECT_EQ(parseError("curve -foo;"), "file: s.mel line 1: curve: Invalid flag \"-foo\".");
    EXPECT_EQ(parseError("curve -p 1 2 -d 1;"),
              "file: s.mel line 1: curve: Flag -p expects 3 values, got 2.");
    EXPECT_EQ(parseError("curve -n a -name b;"),
              "file: s.mel line 1: curve: Flag -name may be given only once.");
    EXPECT_EQ(parseError("curve a b;"), "file: s.mel line 1: curve: Expected at most 1 argument, got 2.");
    EXPECT_EQ(parseError("curve -e;"), "file: s.mel line 1: curve: Invalid flag \"-e\".");

    const ScriptStatement statement = Statement("curve -point 1 x 3 -d 2.5 on 0 maybe \"4\";");
    const ScriptSyntax anyCount = ScriptSyntax(fCurve).SetPositionalCount(0);
    ScriptArgs args;
    ASSERT_TRUE(args.Parse(statement, anyCount));
    double xyz[3] = {};
    EXPECT_EQ(args.Flag("p").GetDoubles(0, 3, xyz), MStatus::kInvalidParameter);
    EXPECT_EQ(LastError(), "file: s.mel line 1: curve: Flag -point expects a number, got \"x\".");
    int degree = 0;
    EXPECT_FALSE(args.ReadFlagValue("d", degree));
    EXPECT_EQ(LastError(), "file: s.mel line 1: curve: Flag -d expects an integer, got \"2.5\".");

    // MEL's boolean words are numbers; a string holding a number is one.
    const vxhost::ScriptValues positional = args.Positionals();
    double number = 0.0;
    bool flag = true;
    int whole = 0;
    EXPECT_TRUE(positional.GetDouble(0, number));
    EXPECT_EQ(number, 1.0);
    EXPECT_TRUE(positional.GetBool(1, flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(positional.GetInt(3, whole));
    EXPECT_EQ(whole, 4);
    EXPECT_FALSE(positional.GetBool(2, flag));
    EXPECT_EQ(LastError(), "file: s.mel line 1: curve: Argument 3 expects true or false, got \"maybe\".");
    EXPECT_FALSE(positional.GetDouble(4, number));
    EXPECT_EQ(LastError(), "file: s.mel line 1: curve: Argument 5 is missing: expected a number.");
}

// Booleans as Python passes them: after a switch they say whether it is
// given; as a flag's value or a positional they read as true/false.
TEST_F(ScriptArgsTest, BooleansSwitchFlagsOnAndOffAndOtherwiseAreValues)
{
    using Kind = vxhost::ScriptArgument::Kind;
    const ScriptSyntax syntax = ScriptSyntax()
                                    .AddFlag("r", "replace")
                                    .AddFlag("l", "lock", 1)
                                    .AddFlag("n", "name", 1)
                                    .EnableQuery()
                                    .EnableEdit();
    const auto call = [](std::vector<vxhost::ScriptArgument> arguments)
    {
        ScriptStatement statement;
        statement.command = "cmd";
        statement.arguments = std::move(arguments);
        return statement;
    };
    {
        // True gives the switch; the boolean is no positional.
        const ScriptStatement statement =
            call({{Kind::kFlag, "r"}, {Kind::kBool, "true"}, {Kind::kString, "a"}});
        ScriptArgs args;
        ASSERT_TRUE(args.Parse(statement, syntax));
        EXPECT_TRUE(args.IsFlagSet("replace"));
        ASSERT_EQ(args.Positionals().Count(), 1u);
        EXPECT_EQ(args.Positionals()[0].text, "a");
    }
    {
        // False leaves it out, even twice over.
        const ScriptStatement statement =
            call({{Kind::kFlag, "replace"}, {Kind::kBool, "false"}, {Kind::kFlag, "r"}, {Kind::kBool, "false"}});
        ScriptArgs args;
        ASSERT_TRUE(args.Parse(statement, syntax));
        EXPECT_FALSE(args.IsFlagSet("r"));
        EXPECT_EQ(args.Positionals().Count(), 0u);
    }
    {
        // A flag with a value takes the boolean as it: false stays false.
        const ScriptStatement statement = call({{Kind::kFlag, "l"}, {Kind::kBool, "false"}, {Kind::kBool, "true"}});
        ScriptArgs args;
        ASSERT_TRUE(args.Parse(statement, syntax));
        bool lock = true;
        ASSERT_TRUE(args.ReadFlagValue("lock", lock));
        EXPECT_FALSE(lock);
        bool positional = false;
        ASSERT_TRUE(args.Positionals().GetBool(0, positional));
        EXPECT_TRUE(positional);
        double number = -1.0;
        ASSERT_TRUE(args.Positionals().GetDouble(0, number));
        EXPECT_EQ(number, 1.0);
    }
    {
        // q=False is no query: -n takes its value again.
        const ScriptStatement statement =
            call({{Kind::kFlag, "q"}, {Kind::kBool, "false"}, {Kind::kFlag, "n"}, {Kind::kString, "x"}});
        ScriptArgs args;
        ASSERT_TRUE(args.Parse(statement, syntax));
        EXPECT_FALSE(args.IsQuery());
        std::string name;
        ASSERT_TRUE(args.ReadFlagValue("name", name));
        EXPECT_EQ(name, "x");
    }
    {
        // In query mode every flag is a switch, so a boolean switches it.
        const ScriptStatement statement =
            call({{Kind::kFlag, "q"}, {Kind::kBool, "true"}, {Kind::kFlag, "lock"}, {Kind::kBool, "true"},
                  {Kind::kFlag, "n"}, {Kind::kBool, "false"}, {Kind::kString, "a"}});
        ScriptArgs args;
        ASSERT_TRUE(args.Parse(statement, syntax));
        EXPECT_TRUE(args.IsQuery());
        EXPECT_TRUE(args.IsFlagSet("l"));
        EXPECT_FALSE(args.IsFlagSet("n"));
        EXPECT_EQ(args.Positionals().Count(), 1u);
    }
    {
        // -q and -e together are still refused; e=False is not an edit.
        ScriptArgs args;
        EXPECT_FALSE(args.Parse(call({{Kind::kFlag, "q"}, {Kind::kFlag, "e"}, {Kind::kBool, "true"}}), syntax));
        EXPECT_EQ(LastError(), "cmd: Flags -q and -e cannot be used together.");
        ASSERT_TRUE(args.Parse(call({{Kind::kFlag, "q"}, {Kind::kFlag, "e"}, {Kind::kBool, "false"}}), syntax));
        EXPECT_TRUE(args.IsQuery());
        EXPECT_FALSE(args.IsEdit());
    }
}
