// Plug-in commands run through the engine: registration through MFnPlugin,
// results, the undo queue with `undo` and `redo`, and what happens to the
// command objects.

#include "GraphTestUtil.h"
#include "commands/UndoQueue.h"
#include "dg/Scene.h"
#include "plugin/PluginRegistry.h"

#include <maya/MArgDatabase.h>
#include <maya/MDGModifier.h>
#include <maya/MFnPlugin.h>
#include <maya/MIntArray.h>
#include <maya/MPxCommand.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using graphtest::Make;
using graphtest::PlugOf;
using vxhost::CommandEngine;
using vxhost::Scene;
using vxhost::UndoQueue;

namespace
{
int gLiveCommands = 0;

// vxConnect SRC DST: connects SRC.output to DST.input through a modifier,
// undoably; -noUndo makes it a command that is not kept. Its result is the
// destination plug's name, with -count N appended N times.
class ConnectCommand : public MPxCommand
{
public:
    ConnectCommand() { ++gLiveCommands; }
    ~ConnectCommand() override { --gLiveCommands; }

    static void* Create() { return new ConnectCommand; }
    static MSyntax Syntax()
    {
        MSyntax syntax;
        syntax.addFlag("-nu", "-noUndo");
        syntax.addFlag("-c", "-count", MSyntax::kLong);
        syntax.setObjectType(MSyntax::kStringObjects, 2, 2);
        return syntax;
    }

    MStatus doIt(const MArgList& args) override
    {
        MStatus status;
        MArgDatabase db(syntax(), args, &status);
        if (!status)
            return status;
        MStringArray names;
        db.getObjects(names);
        const auto source = Scene::Get().Find(names[0].asChar());
        const auto destination = Scene::Get().Find(names[1].asChar());
        if (!source || !destination)
            return MStatus(MStatus::kInvalidParameter, "no such node");
        fUndoable = !db.isFlagSet("noUndo");
        const MPlug input = PlugOf(destination, "input");
        fModifier.connect(PlugOf(source, "output"), input);
        if (status = fModifier.doIt(); !status)
        {
            displayError(MString("Cannot connect: ") + status.errorString());
            return status;
        }
        setResult(input.name());
        int count = 0;
        db.getFlagArgument("count", 0, count);
        for (int i = 0; i < count; ++i)
            appendToResult(i);
        return MStatus::kSuccess;
    }
    MStatus undoIt() override { return fModifier.undoIt(); }
    MStatus redoIt() override { return fModifier.doIt(); }
    bool isUndoable() const override { return fUndoable; }

private:
    MDGModifier fModifier;
    bool fUndoable = false;
};

// vxResult KIND: sets a result of each form the engine prints.
class ResultCommand : public MPxCommand
{
public:
    static void* Create() { return new ResultCommand; }
    MStatus doIt(const MArgList& args) override
    {
        const MString kind = args.asString(0);
        if (kind == "bool")
            setResult(false);
        else if (kind == "ints")
        {
            MIntArray values;
            values.append(1);
            values.append(2);
            setResult(values);
            appendToResult(2.5);
        }
        else if (kind == "strings")
        {
            setResult("a b");
            appendToResult(MString(""));
            appendToResult(3);
        }
        else if (kind == "cleared")
        {
            setResult(7);
            clearResult();
        }
        return MStatus::kSuccess;
    }
    bool hasSyntax() const override { return false; }
};

class PxCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        UndoQueue::Get().Clear();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        graphtest::Doubler::Register();
        for (const char* name : {"a", "b", "c"})
            Make("testDoubler", name);
        ASSERT_TRUE(fPlugin.registerCommand("vxConnect", ConnectCommand::Create, ConnectCommand::Syntax));
        ASSERT_TRUE(fPlugin.registerCommand("vxResult", ResultCommand::Create));
    }
    void TearDown() override
    {
        fPlugin.deregisterCommand("vxConnect");
        fPlugin.deregisterCommand("vxResult");
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    static std::string Result() { return CommandEngine::Instance().LastResult().Format(); }
    static std::string Source(const char* node)
    {
        const MPlug source = PlugOf(Scene::Get().Find(node), "input").source();
        return source.isNull() ? std::string() : source.name().asChar();
    }
    static std::string Last(vxhost::Severity severity)
    {
        std::string text;
        for (const vxhost::Message& m : vxhost::Messages())
            if (m.severity == severity)
                text = m.text;
        return text;
    }

    MObject fObject = MObject(std::make_shared<vxhost::PluginObject>());
    MFnPlugin fPlugin{fObject};
};
} // namespace

TEST_F(PxCommandTest, RegistrationGoesThroughThePluginIntoTheEngine)
{
    const auto* plugin = vxhost::PluginObject::From(fObject);
    EXPECT_EQ(plugin->commands, (std::vector<std::string>{"vxConnect", "vxResult"}));
    EXPECT_TRUE(CommandEngine::Instance().Has("vxConnect"));

    // A taken name, a host command's or our own, fails without recording.
    EXPECT_EQ(fPlugin.registerCommand("vxConnect", ConnectCommand::Create), MStatus::kFailure);
    EXPECT_EQ(fPlugin.registerCommand("select", ConnectCommand::Create), MStatus::kFailure);
    EXPECT_EQ(plugin->commands.size(), 2u);

    EXPECT_TRUE(fPlugin.deregisterCommand("vxResult"));
    EXPECT_FALSE(CommandEngine::Instance().Has("vxResult"));
    EXPECT_FALSE(fPlugin.deregisterCommand("vxResult"));
    EXPECT_EQ(plugin->commands, std::vector<std::string>{"vxConnect"});
}

TEST_F(PxCommandTest, ResultsReachTheEngineAndArePrinted)
{
    ASSERT_TRUE(Run("vxConnect a b -count 3;"));
    EXPECT_EQ(Result(), "b.input 0 1 2");
    EXPECT_EQ(Last(vxhost::Severity::kResult), "b.input 0 1 2");
    EXPECT_EQ(Source("b"), "a.output");

    ASSERT_TRUE(Run("vxResult bool;"));
    EXPECT_EQ(CommandEngine::Instance().LastResult().GetKind(), vxhost::CommandResult::Kind::kInt);
    EXPECT_EQ(Result(), "0");
    ASSERT_TRUE(Run("vxResult ints;"));
    EXPECT_EQ(CommandEngine::Instance().LastResult().Doubles(), (std::vector<double>{1, 2, 2.5}));
    ASSERT_TRUE(Run("vxResult strings;"));
    EXPECT_EQ(CommandEngine::Instance().LastResult().Strings(), (std::vector<std::string>{"a b", "", "3"}));
    ASSERT_TRUE(Run("vxResult cleared;"));
    EXPECT_TRUE(CommandEngine::Instance().LastResult().IsEmpty());

    // Outside a command there is no result to write to.
    MPxCommand::setResult(5);
    EXPECT_TRUE(CommandEngine::Instance().LastResult().IsEmpty());
}

TEST_F(PxCommandTest, UndoAndRedoWalkTheQueue)
{
    ASSERT_TRUE(Run("vxConnect a b; vxConnect a c;"));
    EXPECT_EQ(UndoQueue::Get().Length(), 2u);

    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(Source("c"), "");
    EXPECT_EQ(Source("b"), "a.output");
    EXPECT_EQ(Last(vxhost::Severity::kInfo), "// Undo: vxConnect a c //");
    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(Source("b"), "");

    // Past the start: a warning, and the script goes on.
    vxhost::ClearMessages();
    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(Last(vxhost::Severity::kWarning), "There are no more commands to undo.");

    ASSERT_TRUE(Run("redo;"));
    EXPECT_EQ(Source("b"), "a.output");
    EXPECT_EQ(Source("c"), "");
    EXPECT_EQ(UndoQueue::Get().Position(), 1u);

    // A new command drops the undone one: nothing is left to redo.
    ASSERT_TRUE(Run("vxConnect b c;"));
    EXPECT_EQ(UndoQueue::Get().Length(), 2u);
    vxhost::ClearMessages();
    ASSERT_TRUE(Run("redo;"));
    EXPECT_EQ(Last(vxhost::Severity::kWarning), "There are no more commands to redo.");
    EXPECT_EQ(Source("c"), "b.output");
    EXPECT_EQ(gLiveCommands, 2);

    ASSERT_TRUE(Run("undo; undo;"));
    EXPECT_EQ(Source("b"), "");
    EXPECT_EQ(Source("c"), "");
}

TEST_F(PxCommandTest, OnlySucceededUndoableCommandsAreKept)
{
    // Not undoable: done, then deleted.
    ASSERT_TRUE(Run("vxConnect -noUndo a b;"));
    EXPECT_EQ(Source("b"), "a.output");
    EXPECT_EQ(UndoQueue::Get().Length(), 0u);
    EXPECT_EQ(gLiveCommands, 0);

    // A failing doIt: its own error, then the engine's placed one; no
    // result and nothing kept.
    vxhost::ClearMessages();
    EXPECT_FALSE(Run("vxConnect c b;"));
    const std::vector<vxhost::Message> messages = vxhost::Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Cannot connect: ", 0), 0u);
    EXPECT_EQ(messages[1].text.rfind("line 1: vxConnect: ", 0), 0u);
    EXPECT_TRUE(CommandEngine::Instance().LastResult().IsEmpty());
    EXPECT_EQ(UndoQueue::Get().Length(), 0u);
    EXPECT_EQ(gLiveCommands, 0);

    // Bad arguments fail in the parser, before any work.
    EXPECT_FALSE(Run("vxConnect a;"));
    EXPECT_FALSE(Run("vxConnect -count x a c;"));
    EXPECT_EQ(Source("c"), "");
    EXPECT_EQ(gLiveCommands, 0);
}

TEST_F(PxCommandTest, DeregisteringACommandFlushesTheQueueOfIt)
{
    // Its objects' code may leave with the plug-in.
    ASSERT_TRUE(Run("vxConnect a b; undo;"));
    EXPECT_EQ(gLiveCommands, 1);
    ASSERT_TRUE(fPlugin.deregisterCommand("vxConnect"));
    EXPECT_EQ(gLiveCommands, 0);
    EXPECT_EQ(UndoQueue::Get().Length(), 0u);
    ASSERT_TRUE(Run("redo;"));
    EXPECT_EQ(Source("b"), "");
}

// Booleans from Python reach a plug-in command as MEL's would: after a
// switch of its syntax they give or leave out the flag, as a flag's value
// they are the value.
TEST_F(PxCommandTest, BooleansAfterSwitchesGiveOrDropTheFlag)
{
    using Kind = vxhost::ScriptArgument::Kind;
    const auto connect = [](bool noUndo)
    {
        vxhost::ScriptStatement statement;
        statement.command = "vxConnect";
        statement.arguments = {{Kind::kFlag, "noUndo"}, {Kind::kBool, noUndo ? "true" : "false"},
                               {Kind::kFlag, "c"},      {Kind::kNumber, "1"},
                               {Kind::kString, "a"},    {Kind::kString, "b"}};
        vxhost::CommandResult result;
        const MStatus status = CommandEngine::Instance().InvokeCommand(statement, result);
        return std::make_pair(status == MStatus::kSuccess, result.Format());
    };
    EXPECT_EQ(connect(false), std::make_pair(true, std::string("b.input 0")));
    EXPECT_EQ(UndoQueue::Get().Length(), 1u);
    ASSERT_TRUE(Run("disconnectAttr a.output b.input;"));
    UndoQueue::Get().Clear();
    EXPECT_EQ(connect(true), std::make_pair(true, std::string("b.input 0")));
    EXPECT_EQ(UndoQueue::Get().Length(), 0u);

    // A boolean where a number belongs is still refused, by the flag's type.
    vxhost::ScriptStatement statement;
    statement.command = "vxConnect";
    statement.arguments = {{Kind::kFlag, "count"}, {Kind::kBool, "true"}, {Kind::kString, "a"}, {Kind::kString, "c"}};
    vxhost::CommandResult result;
    EXPECT_FALSE(CommandEngine::Instance().InvokeCommand(statement, result));
    EXPECT_EQ(Last(vxhost::Severity::kError), "vxConnect: (kInvalidParameter): Flag -count expects an integer, got \"true\"");
}
