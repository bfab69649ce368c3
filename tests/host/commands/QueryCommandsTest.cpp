// objExists, nodeType, attributeQuery, pluginInfo, particle -q, the
// playback range, and getAttr/setAttr's state flags and result kinds:
// exact values and kinds, since a script assigns them to typed variables.

#include "QueryTestFixture.h"

#include "commands/SceneWriter.h"

namespace
{
class QueryCommandsTest : public QueryFixture
{
protected:
    void SetUp() override
    {
        QueryFixture::SetUp();
        ASSERT_TRUE(Run("createNode transform -n goal; createNode locator -n goalShape -p goal;")) << LastError();
    }
    void TearDown() override
    {
        Run("playbackOptions -ast 1 -aet 120 -min 1 -max 120 -by 1;");
        QueryFixture::TearDown();
    }
    static void Expect(const std::string& statement, Kind kind, const std::string& printed)
    {
        ASSERT_TRUE(Run(statement)) << statement << ": " << LastError();
        EXPECT_EQ(Last().GetKind(), kind) << statement;
        EXPECT_EQ(Last().Format(), printed) << statement;
    }
};
} // namespace

TEST_F(QueryCommandsTest, ExistenceAndTypes)
{
    Expect("objExists goal;", Kind::kInt, "1");
    Expect("objExists goal.translateX;", Kind::kInt, "1");
    Expect("objExists goal.nothing;", Kind::kInt, "0");
    Expect("objExists ghost;", Kind::kInt, "0");
    Expect("nodeType goalShape;", Kind::kString, "locator");
    Expect("nodeType goal.tx;", Kind::kString, "transform");
    Expect("nodeType -i goalShape;", Kind::kStringArray, "dagNode shape locator");
    EXPECT_FALSE(Run("nodeType ghost;"));
    EXPECT_EQ(LastError(), "line 1: nodeType: No object matches name: ghost");
}

TEST_F(QueryCommandsTest, AttributeQueryAnswersInScriptUnits)
{
    ASSERT_TRUE(Run("addAttr -ln gain -at double -min -1 -max 4 -smx 2 -k 1 goal;"
                    "addAttr -ln mode -at enum -en \"Off:On:Auto=5\" goal;"
                    "currentUnit -l meter;"));
    Expect("attributeQuery -n goal -ex gain;", Kind::kInt, "1");
    Expect("attributeQuery -n goal -ex nothing;", Kind::kInt, "0");
    Expect("attributeQuery -n goal -min gain;", Kind::kDoubleArray, "-1");
    Expect("attributeQuery -n goal -range gain;", Kind::kDoubleArray, "-1 4");
    Expect("attributeQuery -n goal -mxe -mne gain;", Kind::kInt, "1");
    Expect("attributeQuery -n goal -sme gain;", Kind::kInt, "0");
    Expect("attributeQuery -n goal -smx gain;", Kind::kDoubleArray, "2");
    Expect("attributeQuery -n goal -k gain;", Kind::kInt, "1");
    Expect("attributeQuery -n goal -le mode;", Kind::kStringArray, "Off:On:Auto=5");
    Expect("attributeQuery -n goal -at mode;", Kind::kString, "enum");
    Expect("attributeQuery -n goal -at translate;", Kind::kString, "double3");
    Expect("attributeQuery -n goal -at tx;", Kind::kString, "doubleLinear");
    Expect("attributeQuery -n goal -lc t;", Kind::kStringArray, "translateX translateY translateZ");
    Expect("attributeQuery -n goal -lp ty;", Kind::kStringArray, "translate");
    Expect("attributeQuery -n goal -nn tx;", Kind::kString, "Translate X");
    Expect("attributeQuery -typ transform -ld s;", Kind::kDoubleArray, "1 1 1");
    // Defaults of distances come back in the UI unit.
    ASSERT_TRUE(Run("addAttr -ln reach -at doubleLinear -dv 250 goal;"));
    Expect("attributeQuery -n goal -ld reach;", Kind::kDoubleArray, "2.5");
    ASSERT_TRUE(Run("currentUnit -l centimeter;"));
    EXPECT_FALSE(Run("attributeQuery -n goal -min mode;"));
    EXPECT_EQ(LastError(), "line 1: attributeQuery: The attribute 'mode' has no minimum.");
    EXPECT_FALSE(Run("attributeQuery -n goal -min nothing;"));
    EXPECT_EQ(LastError(), "line 1: attributeQuery: No attribute named 'nothing' on node 'goal'.");
}

TEST_F(QueryCommandsTest, GetAttrKindsAndStates)
{
    ASSERT_TRUE(Run("addAttr -ln weights -dt doubleArray goal; addAttr -ln count -at long goal;"));
    Expect("getAttr goal.v;", Kind::kInt, "1");
    Expect("getAttr goal.count;", Kind::kInt, "0");
    Expect("getAttr goal.tx;", Kind::kDouble, "0");
    Expect("getAttr goal.t;", Kind::kDoubleArray, "0 0 0");
    // No data is still a list, so a script's float[] gets an empty one.
    Expect("getAttr goal.weights;", Kind::kDoubleArray, "");
    Expect("getAttr -size goal.weights;", Kind::kInt, "0");
    Expect("getAttr -type goal.weights;", Kind::kString, "doubleArray");

    // A locked plug refuses values; locking a compound locks its children.
    Expect("getAttr -l goal.tx;", Kind::kInt, "0");
    ASSERT_TRUE(Run("setAttr goal.tx 2; setAttr -l on goal.tx;"));
    Expect("getAttr -l goal.tx;", Kind::kInt, "1");
    Expect("getAttr -se goal.tx;", Kind::kInt, "0");
    EXPECT_FALSE(Run("setAttr goal.tx 5;"));
    EXPECT_EQ(LastError(),
              "line 1: setAttr: The attribute 'goal.translateX' is locked or connected and cannot be modified.");
    EXPECT_FALSE(Run("connectAttr goal.ty goal.tx;"));
    EXPECT_FALSE(Run("xform -t 1 1 1 goal;"));
    Expect("getAttr goal.tx;", Kind::kDouble, "2");
    ASSERT_TRUE(Run("setAttr -l off goal.tx 7;"));
    Expect("getAttr goal.tx;", Kind::kDouble, "7");
    ASSERT_TRUE(Run("setAttr -l on goal.t;"));
    EXPECT_FALSE(Run("setAttr goal.tz 1;"));
    // Unlocking a child does not free it while its compound stays locked.
    EXPECT_FALSE(Run("setAttr -l off goal.tz 1;"));
    Expect("getAttr goal.tz;", Kind::kDouble, "0");
    ASSERT_TRUE(Run("setAttr -l off goal.t;"));

    // Keyable and channel-box states belong to this plug alone.
    Expect("getAttr -k goal.rx;", Kind::kInt, "1");
    ASSERT_TRUE(Run("setAttr -k off -cb on goal.rx; createNode transform -n other;"));
    Expect("getAttr -k goal.rx;", Kind::kInt, "0");
    Expect("getAttr -cb goal.rx;", Kind::kInt, "1");
    Expect("getAttr -k other.rx;", Kind::kInt, "1");
}

TEST_F(QueryCommandsTest, GetAttrAtAnotherTime)
{
    ASSERT_TRUE(Run("setKeyframe -t 1 -v 0 -itt linear -ott linear goal.tx;"
                    "setKeyframe -t 11 -v 10 -itt linear -ott linear goal.tx;"
                    "setKeyframe -t 1 -v 0 goal.ty; setKeyframe -t 11 -v 10 goal.ty;"
                    "setAttr goal.tz 3;"))
        << LastError();
    Expect("getAttr -t 11 goal.tx;", Kind::kDouble, "10");
    Expect("getAttr -t 6 goal.tx;", Kind::kDouble, "5");
    Expect("getAttr -t 1 goal.t;", Kind::kDoubleArray, "0 0 3");
    Expect("getAttr -t 20 goal.t;", Kind::kDoubleArray, "10 10 3");
    // The current frame is untouched by asking.
    Expect("currentTime -q;", Kind::kDouble, "1");
    Expect("getAttr goal.tx;", Kind::kDouble, "0");
}

TEST_F(QueryCommandsTest, LocksAndRangesAreSaved)
{
    ASSERT_TRUE(Run("connectAttr goal.sx goal.sy; setAttr -l on goal.tx; setAttr -k off goal.rz;"
                    "playbackOptions -min 5 -max 50 -ast 1 -aet 80 -by 2;"));
    Expect("playbackOptions -q -ast;", Kind::kDouble, "1");
    Expect("playbackOptions -q -max;", Kind::kDouble, "50");
    Expect("playbackOptions -q -by;", Kind::kDouble, "2");
    // A playback range beyond the animation range widens it.
    ASSERT_TRUE(Run("playbackOptions -max 90;"));
    Expect("playbackOptions -q -aet;", Kind::kDouble, "90");

    std::vector<std::string> warnings;
    const std::string saved = vxhost::WriteSceneScript(warnings);
    EXPECT_NE(saved.find("playbackOptions -min 5 -max 90 -ast 1 -aet 90 -by 2;"), std::string::npos) << saved;
    // States come after every value and connection the lock would refuse.
    const std::size_t lock = saved.find("setAttr -l on \"goal.translateX\";");
    ASSERT_NE(lock, std::string::npos) << saved;
    EXPECT_GT(lock, saved.find("connectAttr"));
    EXPECT_NE(saved.find("setAttr -k off \"goal.rotateZ\";"), std::string::npos);

    vxhost::Scene::Get().Reset();
    ASSERT_TRUE(Run(saved)) << LastError();
    Expect("getAttr -l goal.tx;", Kind::kInt, "1");
    Expect("getAttr -k goal.rz;", Kind::kInt, "0");
    Expect("getAttr -l goal.ty;", Kind::kInt, "0");
}

TEST_F(QueryCommandsTest, PluginsParticlesAndTime)
{
    Expect("pluginInfo -q -loaded particleVolarix;", Kind::kInt, "0");
    Expect("pluginInfo -q -l \"/some/where/particleVolarix.so\";", Kind::kInt, "0");
    Expect("pluginInfo -q -listPlugins;", Kind::kStringArray, "");
    EXPECT_FALSE(Run("pluginInfo -q -version particleVolarix;"));

    ASSERT_TRUE(Run("particle -p 0 0 0 -p 1 0 0 -p 2 0 0 -n swarm;"));
    Expect("particle -q -count swarm;", Kind::kInt, "3");
    Expect("particle -q -ct swarmShape;", Kind::kInt, "3");
    Expect("emit -o swarm -pos 5 5 5; particle -q -ct swarm;", Kind::kInt, "4");
    EXPECT_FALSE(Run("particle -q -count goal;"));
    Expect("currentTime -q;", Kind::kDouble, "1");
}
