// Undo and redo of the host's own commands: each command that changes the
// scene gives back, on undo, the scene exactly as it was (the saved scene is
// the measure: nodes, names, parents, values, flags, connections,
// expressions, emits and the selection), and on redo the scene it made.

#include "FreshScene.h"
#include "commands/SceneWriter.h"
#include "commands/UndoQueue.h"
#include "dg/Scene.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MSelectionList.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using vxhost::CommandEngine;
using vxhost::Scene;
using vxhost::UndoQueue;

namespace
{
class UndoTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        Restart();
    }
    void TearDown() override
    {
        Restart();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }
    static void Restart()
    {
        vxtest::FreshScene();
        UndoQueue::Get().SetEnabled(true);
        vxhost::ClearMessages();
    }
    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    static std::string Saved()
    {
        std::vector<std::string> warnings;
        return vxhost::WriteSceneScript(warnings);
    }
    static std::string Query(const std::string& script)
    {
        EXPECT_TRUE(Run(script));
        const auto result = CommandEngine::Instance().LastResult();
        return result.Strings().empty() ? std::string() : result.Strings()[0];
    }
    static int QueryInt(const std::string& script)
    {
        EXPECT_TRUE(Run(script));
        const auto result = CommandEngine::Instance().LastResult();
        return result.Ints().empty() ? -1 : result.Ints()[0];
    }
};

struct Case
{
    std::string setup;
    std::string command;
};

TEST_F(UndoTest, EveryCommandThatChangesTheSceneIsTakenBackAndDoneAgainExactly)
{
    const std::string obj = testing::TempDir() + "vx_undo_quad.obj";
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n";
    const std::string importCommand = "file -import \"" + obj + "\";";
    const std::string base = "createNode transform -n a; createNode transform -n b;"
                             "createNode transform -n c -p a; select -r b;";
    const std::string particle = "particle -n flock -p 0 0 0 -p 1 2 3;";
    const std::string flock = particle + "addAttr -ln spin -dt doubleArray flockShape;";
    const Case cases[] = {
        {"", "createNode transform -n t;"},
        {base, "createNode transform -n d -p c;"},
        {base, "setAttr a.tx 5;"},
        {base, "setAttr a.translate 1 2 3;"},
        {base, "setAttr -lock true a.tx;"},
        {base, "setAttr -keyable false a.tx;"},
        {"createNode transform -n a; addAttr -ln note -dt \"string\" a;", "setAttr -type \"string\" a.note \"hi\";"},
        {base, "connectAttr a.tx b.ty;"},
        {base + "connectAttr c.tx b.ty;", "connectAttr -f a.tx b.ty;"},
        {(base + "connectAttr a.tx b.ty; connectAttr a.ty b.tz;"), "disconnectAttr a.tx b.ty;"},
        {base, "addAttr -ln speed -at double -min 0 -max 10 -dv 2 a;"},
        {(base + "addAttr -ln speed -at double a; setAttr a.speed 3; connectAttr a.speed b.tx;"
                 "setAttr -lock true a.speed; select -r a c;")
             ,
         "delete a;"},
        {(base + "connectAttr a.tx b.ty;"), "rename a z;"},
        {base, "parent b c;"},
        {base, "parent -w c;"},
        {base, "xform -t 1 2 3 -ro 10 20 30 a;"},
        {base, "select -r a c;"},
        {base, "select -cl;"},
        {"", particle},
        {flock, "emit -o flock -pos 5 5 5 -pos 6 6 6;"},
        {(flock + "currentTime 5;"), "emit -o flock -pos 5 5 5;"},
        {flock, "dynExpression -c -s \"spin = 2;\" flockShape;"},
        {(flock + "dynExpression -c -s \"spin = 2;\" flockShape; currentTime 3;"
                  "emit -o flock -pos 1 1 1;")
             ,
         "delete flock;"},
        {"", "curve -d 1 -p 0 0 0 -p 10 0 0 -n path;"},
        {"", "spaceLocator -n loc;"},
        {"", "polyCube -n box;"},
        {"", "polySphere -n ball;"},
        {"", "polyPlane -n floor;"},
        {"", importCommand},
        {base, "expression -s \"a.tx = frame;\" -n drive;"},
        {base, "setKeyframe -at tx -t 1 -v 5 a;"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.setup + " | " + c.command);
        Restart();
        ASSERT_TRUE(c.setup.empty() || Run(c.setup));
        ASSERT_TRUE(Run("flushUndo;"));
        const std::string before = Saved();
        ASSERT_TRUE(Run(c.command));
        const std::string after = Saved();
        ASSERT_NE(before, after);
        EXPECT_EQ(QueryInt("undoInfo -q -undoQueueEmpty;"), 0);

        ASSERT_TRUE(Run("undo;"));
        EXPECT_EQ(Saved(), before);
        EXPECT_EQ(QueryInt("undoInfo -q -undoQueueEmpty;"), 1);
        ASSERT_TRUE(Run("redo;"));
        EXPECT_EQ(Saved(), after);
        ASSERT_TRUE(Run("undo;"));
        EXPECT_EQ(Saved(), before);
    }
}

TEST_F(UndoTest, TheQueueHoldsChangesOnlyInOrderNamedAndInChunks)
{
    ASSERT_TRUE(Run("createNode transform -n a; setAttr a.tx 1;"));
    EXPECT_EQ(Query("undoInfo -q -undoName;"), "setAttr a.tx 1");
    EXPECT_EQ(Query("undoInfo -q -redoName;"), "");

    // Queries and refused commands change nothing and are not kept.
    ASSERT_TRUE(Run("getAttr a.tx; ls; xform -q -t a; ls -sl;"));
    EXPECT_FALSE(Run("setAttr a.tx \"x\";"));
    EXPECT_FALSE(Run("connectAttr a.tx nothere.ty;"));
    EXPECT_EQ(Query("undoInfo -q -undoName;"), "setAttr a.tx 1");

    // A chunk is one entry, named as asked, undone and redone whole.
    ASSERT_TRUE(Run("undoInfo -openChunk -chunkName \"move a\"; setAttr a.ty 2;"
                    "undoInfo -openChunk; setAttr a.tz 3; undoInfo -closeChunk; undoInfo -closeChunk;"));
    EXPECT_EQ(Query("undoInfo -q -undoName;"), "move a");
    ASSERT_TRUE(Run("undo;"));
    EXPECT_EQ(Query("xform -q -t a;"), "");
    EXPECT_EQ(CommandEngine::Instance().LastResult().Doubles(), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(Query("undoInfo -q -redoName;"), "move a");
    ASSERT_TRUE(Run("redo; xform -q -t a;"));
    EXPECT_EQ(CommandEngine::Instance().LastResult().Doubles(), (std::vector<double>{1, 2, 3}));

    // A new change drops what was undone.
    ASSERT_TRUE(Run("undo; setAttr a.sx 2;"));
    EXPECT_EQ(QueryInt("undoInfo -q -redoQueueEmpty;"), 1);
    EXPECT_EQ(Query("undoInfo -q -undoName;"), "setAttr a.sx 2");

    // A shorter queue forgets the oldest changes.
    ASSERT_TRUE(Run("setAttr a.sy 2; setAttr a.sz 2;"));
    EXPECT_EQ(QueryInt("undoInfo -q;"), 5);
    ASSERT_TRUE(Run("undoInfo -length 2;"));
    EXPECT_EQ(QueryInt("undoInfo -q;"), 2);
    EXPECT_EQ(QueryInt("undoInfo -q -length;"), 2);
    EXPECT_FALSE(Run("undoInfo -length 0;"));
    ASSERT_TRUE(Run("undoInfo -infinity true;"));
    EXPECT_EQ(QueryInt("undoInfo -q -infinity;"), 1);

    // Off: nothing is kept, and what was is dropped.
    ASSERT_TRUE(Run("undoInfo -state off; setAttr a.sy 3;"));
    EXPECT_EQ(QueryInt("undoInfo -q -state;"), 0);
    EXPECT_EQ(QueryInt("undoInfo -q -undoQueueEmpty;"), 1);
    ASSERT_TRUE(Run("undoInfo -state on; undo;"));
    EXPECT_TRUE(vxhost::Messages().back().text == "There are no more commands to undo.");
}

TEST_F(UndoTest, AnUndoneDeletionBringsBackTheSameNode)
{
    ASSERT_TRUE(Run("createNode transform -n a; createNode transform -n b -p a; setAttr b.tx 4;"));
    MSelectionList list;
    ASSERT_TRUE(list.add("b"));
    MObject b;
    ASSERT_TRUE(list.getDependNode(0, b));
    ASSERT_TRUE(Run("delete a;"));
    EXPECT_FALSE(b.HostImpl() && Scene::Get().Find("b"));

    ASSERT_TRUE(Run("undo;"));
    MStatus status;
    MFnDependencyNode fn(b, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(std::string(fn.name().asChar()), "b");
    EXPECT_EQ(fn.findPlug("tx", true).asDouble(), 4.0);
    EXPECT_EQ(Scene::Get().Find("|a|b").get(), Scene::Get().Find("b").get());

    // Once the deletion cannot be undone any more, the node is gone for good.
    ASSERT_TRUE(Run("redo; flushUndo;"));
    EXPECT_EQ(Scene::Get().Find("b"), nullptr);
}
} // namespace
