// ls, listRelatives, listConnections, listAttr and select's patterns, run
// through the engine on a small rig: two goals under a group, a particle
// system and a field-like connection made by hand.

#include "QueryTestFixture.h"

namespace
{
class ListCommandsTest : public QueryFixture
{
protected:
    void SetUp() override
    {
        QueryFixture::SetUp();
        ASSERT_TRUE(Run("createNode transform -n rig;"
                        "createNode transform -n goalA -p rig;"
                        "createNode locator -n goalAShape -p goalA;"
                        "createNode transform -n goalB -p rig;"
                        "createNode locator -n goalBShape -p goalB;"
                        "createNode transform -n other;"))
            << LastError();
    }
};
} // namespace

TEST_F(ListCommandsTest, LsMatchesPatternsTypesAndSelection)
{
    EXPECT_EQ(Strings("ls \"goal?\";"), (Names{"goalA", "goalB"}));
    EXPECT_EQ(Strings("ls \"goal*\";"), (Names{"goalA", "goalAShape", "goalB", "goalBShape"}));
    EXPECT_EQ(Strings("ls -type locator;"), (Names{"goalAShape", "goalBShape"}));
    // A base type takes its derived types; several -type flags add up.
    EXPECT_EQ(Strings("ls -type shape \"*A*\";"), (Names{"goalAShape"}));
    EXPECT_EQ(Strings("ls -type locator -typ transform \"goalB*\";"), (Names{"goalB", "goalBShape"}));
    EXPECT_EQ(Strings("ls -tr \"goal*\";"), (Names{"goalA", "goalB"}));
    EXPECT_EQ(Strings("ls -s -l;"), (Names{"|rig|goalA|goalAShape", "|rig|goalB|goalBShape"}));
    EXPECT_EQ(Strings("ls -st goalA;"), (Names{"goalA", "transform"}));
    // Paths: from the world, or from any node on the way down.
    EXPECT_EQ(Strings("ls \"|rig|*\";"), (Names{"goalA", "goalB"}));
    EXPECT_EQ(Strings("ls \"goalA|*\";"), (Names{"goalAShape"}));
    EXPECT_EQ(Strings("ls -dag -l rig;"),
              (Names{"|rig", "|rig|goalA", "|rig|goalA|goalAShape", "|rig|goalB", "|rig|goalB|goalBShape"}));
    // Nothing found is an empty array, not an error; a plug is listed as named.
    EXPECT_TRUE(Strings("ls \"nothing*\" nobody;").empty());
    EXPECT_EQ(Strings("ls goalA.tx;"), (Names{"goalA.tx"}));

    // The selection, in the order selected, filtered like the rest.
    ASSERT_TRUE(Run("select -r goalB other goalAShape;"));
    EXPECT_EQ(Strings("ls -sl;"), (Names{"goalB", "other", "goalAShape"}));
    EXPECT_EQ(Strings("ls -sl -type transform;"), (Names{"goalB", "other"}));
    EXPECT_EQ(Strings("ls -sl \"goal*\";"), (Names{"goalB", "goalAShape"}));
    ASSERT_TRUE(Run("select -cl;"));
    EXPECT_TRUE(Strings("ls -sl;").empty());
}

TEST_F(ListCommandsTest, SelectTakesPatterns)
{
    ASSERT_TRUE(Run("select -r \"goal?\";"));
    EXPECT_EQ(Strings("ls -sl;"), (Names{"goalA", "goalB"}));
    ASSERT_TRUE(Run("select -add \"*Shape\";"));
    EXPECT_EQ(Strings("ls -sl;"), (Names{"goalA", "goalB", "goalAShape", "goalBShape"}));
    ASSERT_TRUE(Run("select -d \"goal?Shape\";"));
    EXPECT_EQ(Strings("ls -sl;"), (Names{"goalA", "goalB"}));
    // A pattern that matches nothing fails and leaves the selection alone.
    EXPECT_FALSE(Run("select -r \"zz*\";"));
    EXPECT_EQ(LastError(), "line 1: select: No object matches name: zz*");
    EXPECT_EQ(Strings("ls -sl;"), (Names{"goalA", "goalB"}));
}

TEST_F(ListCommandsTest, ListRelativesWalksTheDag)
{
    EXPECT_EQ(Strings("listRelatives rig;"), (Names{"goalA", "goalB"}));
    EXPECT_EQ(Strings("listRelatives -c -f rig;"), (Names{"|rig|goalA", "|rig|goalB"}));
    EXPECT_EQ(Strings("listRelatives -p goalAShape;"), (Names{"goalA"}));
    EXPECT_EQ(Strings("listRelatives -s goalA;"), (Names{"goalAShape"}));
    // Deepest first, as Maya lists descendants.
    EXPECT_EQ(Strings("listRelatives -ad rig;"), (Names{"goalBShape", "goalB", "goalAShape", "goalA"}));
    EXPECT_EQ(Strings("listRelatives -ad -type locator rig;"), (Names{"goalBShape", "goalAShape"}));
    // Two children with one parent list it once; nothing above the world.
    EXPECT_EQ(Strings("listRelatives -p goalA goalB;"), (Names{"rig"}));
    EXPECT_TRUE(Strings("listRelatives -p rig;").empty());
    EXPECT_TRUE(Strings("listRelatives goalAShape;").empty());
    EXPECT_FALSE(Run("listRelatives ghost;"));
    EXPECT_EQ(LastError(), "line 1: listRelatives: No object matches name: ghost");
}

TEST_F(ListCommandsTest, ListConnectionsFollowsEachConnection)
{
    ASSERT_TRUE(Run("connectAttr goalA.tx goalB.tx; connectAttr goalA.ty goalB.ty;"
                    "connectAttr goalAShape.v other.v;"
                    "connectAttr other.tz goalB.tz;"));
    // Each connection once; a shape at the other end stands for its transform.
    EXPECT_EQ(Strings("listConnections goalB;"), (Names{"goalA", "goalA", "other"}));
    EXPECT_EQ(Strings("listConnections -d off goalB;"), (Names{"goalA", "goalA", "other"}));
    EXPECT_TRUE(Strings("listConnections -s off goalB;").empty());
    EXPECT_EQ(Strings("listConnections -s off -p on goalA;"), (Names{"goalB.translateX", "goalB.translateY"}));
    EXPECT_EQ(Strings("listConnections other;"), (Names{"goalA", "goalB"}));
    EXPECT_EQ(Strings("listConnections -sh on other;"), (Names{"goalAShape", "goalB"}));
    EXPECT_EQ(Strings("listConnections -c on -p on goalB.tz;"), (Names{"goalB.translateZ", "other.translateZ"}));
    // A compound plug includes what is connected below it.
    EXPECT_EQ(Strings("listConnections -p on goalB.t;"),
              (Names{"goalA.translateX", "goalA.translateY", "other.translateZ"}));
    EXPECT_EQ(Strings("listConnections -t locator -sh on other;"), (Names{"goalAShape"}));
    EXPECT_TRUE(Strings("listConnections rig;").empty());
}

TEST_F(ListCommandsTest, ListAttrFilters)
{
    ASSERT_TRUE(Run("addAttr -ln speed -at double -k 1 goalA; addAttr -ln note -dt \"string\" goalA;"));
    EXPECT_EQ(Strings("listAttr -ud goalA;"), (Names{"speed", "note"}));
    EXPECT_EQ(Strings("listAttr goalA.t;"), (Names{"translate", "translateX", "translateY", "translateZ"}));
    EXPECT_EQ(Strings("listAttr -st \"translate?\" goalA;"), (Names{"translateX", "translateY", "translateZ"}));
    const Names keyable = Strings("listAttr -k goalA;");
    EXPECT_NE(std::find(keyable.begin(), keyable.end(), "translateX"), keyable.end());
    EXPECT_NE(std::find(keyable.begin(), keyable.end(), "speed"), keyable.end());
    EXPECT_EQ(std::find(keyable.begin(), keyable.end(), "note"), keyable.end());
    // A plug made unkeyable leaves the list; a locked one joins -l's.
    ASSERT_TRUE(Run("setAttr -k off goalA.tx; setAttr -l on goalA.ty;"));
    const Names after = Strings("listAttr -k goalA;");
    EXPECT_EQ(after.size(), keyable.size() - 1);
    EXPECT_EQ(std::find(after.begin(), after.end(), "translateX"), after.end());
    EXPECT_EQ(Strings("listAttr -l goalA;"), (Names{"translateY"}));
    const Names multi = Strings("listAttr -m goalAShape;");
    EXPECT_NE(std::find(multi.begin(), multi.end(), "worldMatrix"), multi.end());
    EXPECT_FALSE(Run("listAttr ghost;"));
    EXPECT_EQ(LastError(), "line 1: listAttr: No object matches name: ghost");
}
