// The scene-script commands that work on the graph, run as a scene runs
// them: through the engine, checked by their results, the values they leave
// in the graph and the messages they show.

#include "GraphTestUtil.h"
#include "commands/PlugLookup.h"
#include "dg/Scene.h"

#include <maya/MDistance.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPointArray.h>
#include <maya/MTime.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using graphtest::Make;
using graphtest::PlugOf;
using vxhost::CommandEngine;
using vxhost::Scene;

namespace
{
class GraphCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
    }
    void TearDown() override
    {
        MDistance::setUIUnit(MDistance::kCentimeters);
        MTime::setUIUnit(MTime::kFilm);
        Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return CommandEngine::Instance().RunScript(script); }
    // The last statement's result as printed ("1 2 3"); "" after a failure.
    static std::string Result() { return CommandEngine::Instance().LastResult().Format(); }
    static std::string LastError()
    {
        std::string text;
        for (const vxhost::Message& m : vxhost::Messages())
            if (m.severity == vxhost::Severity::kError)
                text = m.text;
        return text;
    }
    static std::string Get(const std::string& plug)
    {
        EXPECT_TRUE(Run("getAttr " + plug + ";")) << LastError();
        return Result();
    }
    static double Internal(const char* node, const char* attribute)
    {
        return PlugOf(Scene::Get().Find(node), attribute).asDouble();
    }
    static void AddAttribute(const char* node, const MObject& attribute)
    {
        ASSERT_TRUE(Scene::Get().Find(node)->AddDynamicAttribute(vxhost::Attribute::Shared(attribute)));
    }
};
} // namespace

TEST_F(GraphCommandsTest, PlugNamesAsMayaWritesThem)
{
    ASSERT_TRUE(Run("createNode transform -n goal; createNode locator -n goalShape -p goal;"));
    // An array of compounds, as a node keeps a list of targets.
    MFnMatrixAttribute matrix;
    MFnNumericAttribute numeric;
    MFnCompoundAttribute compound;
    const MObject targetMatrix = matrix.create("targetMatrix", "tm");
    const MObject weight = numeric.create("weight", "w", MFnNumericData::kDouble, 1.0);
    const MObject target = compound.create("target", "tg");
    compound.addChild(targetMatrix);
    compound.addChild(weight);
    compound.setArray(true);
    AddAttribute("goal", target);
    std::string error;
    const struct
    {
        const char* text;
        const char* name; // as messages print it: long names, no DAG path
    } found[] = {
        {"goal.translateX", "goal.translateX"},
        {"goal.t", "goal.translate"},
        {"goal.translate.ty", "goal.translateY"},
        {"|goal|goalShape.worldMatrix[0]", "goalShape.worldMatrix[0]"},
        {"goalShape.wm", "goalShape.worldMatrix"},
        {"goal.target[0].targetMatrix", "goal.target[0].targetMatrix"},
        {"goal.tg[12].w", "goal.target[12].weight"},
    };
    for (const auto& f : found)
    {
        const MPlug plug = vxhost::LookUpPlug(f.text, error);
        ASSERT_FALSE(plug.isNull()) << f.text;
        EXPECT_EQ(std::string(plug.name().asChar()), f.name);
        EXPECT_TRUE(error.empty());
    }
    for (const char* missing : {"goal.nothing", "nobody.t", "goal", "goal.tx[0]", "goalShape.worldMatrix[x]",
                                "goal.translate.rx", "|other|goalShape.v", "goal.target.weight",
                                "goal.weight", "goal.target[-1].weight", "goal.target[0]weight"})
    {
        EXPECT_TRUE(vxhost::LookUpPlug(missing, error).isNull()) << missing;
        EXPECT_EQ(error, std::string("No object matches name: ") + missing);
    }
    ASSERT_TRUE(Run("setAttr goal.target[3].weight 0.25;"));
    ASSERT_TRUE(Run("getAttr -size goal.target;"));
    EXPECT_EQ(Result(), "1");
    EXPECT_EQ(Get("goal.target[3].w"), "0.25");
    EXPECT_EQ(Get("goal.target[0].w"), "1");
    EXPECT_FALSE(Run("getAttr goal.nothing;"));
    EXPECT_EQ(LastError(), "line 1: getAttr: No object matches name: goal.nothing");
}

TEST_F(GraphCommandsTest, NamesAreNumberedAsMayaNumbersThem)
{
    ASSERT_TRUE(Run("createNode transform;"));
    EXPECT_EQ(Result(), "transform1");
    ASSERT_TRUE(Run("createNode transform;"));
    EXPECT_EQ(Result(), "transform2");
    ASSERT_TRUE(Run("createNode transform -n goal; createNode transform -n goal;"));
    EXPECT_EQ(Result(), "goal1");
    // A shape without a parent gets a transform of its own.
    ASSERT_TRUE(Run("createNode locator;"));
    EXPECT_EQ(Result(), "locator1");
    EXPECT_EQ(Scene::Get().Find("locator1")->parent->name, "transform3");

    ASSERT_TRUE(Run("polyCube; polyCube;"));
    EXPECT_EQ(Result(), "pCube2");
    EXPECT_EQ(Scene::Get().Find("pCube2")->children.at(0)->name, "pCubeShape2");
    ASSERT_TRUE(Run("polyCube -n box;"));
    EXPECT_EQ(Scene::Get().Find("box")->children.at(0)->name, "boxShape");
    ASSERT_TRUE(Run("spaceLocator -n goal;"));
    EXPECT_EQ(Result(), "goal2");
    EXPECT_EQ(Scene::Get().Find("goal2")->children.at(0)->name, "goalShape2");

    // rename takes the shape named after the transform along.
    ASSERT_TRUE(Run("rename pCube1 crate;"));
    EXPECT_EQ(Result(), "crate");
    EXPECT_EQ(Scene::Get().Find("crate")->children.at(0)->name, "crateShape");
    ASSERT_TRUE(Run("rename crate goal;"));
    EXPECT_EQ(Result(), "goal3");
    EXPECT_FALSE(Run("rename goal3 \"a.b\";"));
    EXPECT_TRUE(Scene::Get().Find("goal3"));
    // createNode selects what it made; the new object is what it returns.
    EXPECT_FALSE(Run("createNode noSuchType;"));
    EXPECT_EQ(LastError(), "line 1: createNode: Unknown object type: noSuchType");
}

TEST_F(GraphCommandsTest, ValuesReadBackAsWritten)
{
    ASSERT_TRUE(Run("createNode transform -n goal;"));
    ASSERT_TRUE(Run("setAttr goal.translate 1 -2.5 3e2;"));
    EXPECT_EQ(Get("goal.translate"), "1 -2.5 300");
    EXPECT_EQ(Get("goal.ty"), "-2.5");
    EXPECT_EQ(CommandEngine::Instance().LastResult().GetKind(), vxhost::CommandResult::Kind::kDouble);
    // Awkward doubles survive the trip through text exactly.
    for (const char* text : {"0.1", "0.30000000000000004", "0.3333333333333333", "1e-300", "123456.789"})
    {
        ASSERT_TRUE(Run(std::string("setAttr goal.sx ") + text + ";"));
        EXPECT_EQ(Get("goal.sx"), text);
        EXPECT_EQ(Internal("goal", "scaleX"), std::strtod(text, nullptr));
    }
    ASSERT_TRUE(Run("setAttr -type double3 goal.s 2 3 4;"));
    EXPECT_EQ(Get("goal.scale"), "2 3 4");
    ASSERT_TRUE(Run("setAttr goal.visibility off; setAttr goal.rotateOrder 3;"));
    EXPECT_EQ(Get("goal.v"), "0");
    EXPECT_EQ(CommandEngine::Instance().LastResult().GetKind(), vxhost::CommandResult::Kind::kInt);
    EXPECT_EQ(Get("goal.ro"), "3");

    const struct
    {
        const char* plug;
        const char* type;
    } types[] = {{"goal.t", "double3"}, {"goal.tx", "doubleLinear"}, {"goal.rx", "doubleAngle"},
                 {"goal.sx", "double"}, {"goal.v", "bool"},          {"goal.ro", "enum"},
                 {"goal.m", "matrix"},  {"goal.wm", "TdataCompound"}};
    for (const auto& t : types)
    {
        ASSERT_TRUE(Run(std::string("getAttr -type ") + t.plug + ";"));
        EXPECT_EQ(Result(), t.type) << t.plug;
    }

    // Data: strings (quoting kept), arrays in Maya's count-first form, matrices.
    MFnTypedAttribute typed;
    AddAttribute("goal", typed.create("note", "nt", MFnData::kString));
    AddAttribute("goal", typed.create("vecs", "vc", MFnData::kVectorArray));
    AddAttribute("goal", typed.create("weights", "wt", MFnData::kDoubleArray));
    AddAttribute("goal", typed.create("points", "pts", MFnData::kPointArray));
    AddAttribute("goal", typed.create("ids", "ids", MFnData::kIntArray));
    AddAttribute("goal", typed.create("frame", "fr", MFnData::kMatrix));
    ASSERT_TRUE(Run("setAttr goal.note -type \"string\" \"say \\\"hi\\\"; twice\";"));
    EXPECT_EQ(Get("goal.note"), "say \"hi\"; twice");
    EXPECT_EQ(Get("goal.vecs"), "");
    ASSERT_TRUE(Run("getAttr -size goal.vecs;"));
    EXPECT_EQ(Result(), "0");
    ASSERT_TRUE(Run("setAttr -type vectorArray goal.vecs 2 1 2 3 -4 5 0.25;"));
    EXPECT_EQ(Get("goal.vecs"), "1 2 3 -4 5 0.25");
    ASSERT_TRUE(Run("getAttr -size goal.vecs;"));
    EXPECT_EQ(Result(), "2");
    ASSERT_TRUE(Run("setAttr -type doubleArray goal.weights 3 0.5 1.5 2.5;"));
    EXPECT_EQ(Get("goal.weights"), "0.5 1.5 2.5");
    ASSERT_TRUE(Run("setAttr -type doubleArray goal.weights 1 0.5;"));
    EXPECT_EQ(Get("goal.weights"), "0.5");
    EXPECT_EQ(CommandEngine::Instance().LastResult().GetKind(), vxhost::CommandResult::Kind::kDoubleArray);
    ASSERT_TRUE(Run("setAttr -type pointArray goal.points 1 1 2 3 1;"));
    EXPECT_EQ(Get("goal.points"), "1 2 3 1");
    ASSERT_TRUE(Run("setAttr -type Int32Array goal.ids 3 7 -1 4;"));
    EXPECT_EQ(Get("goal.ids"), "7 -1 4");
    ASSERT_TRUE(Run("setAttr -type matrix goal.frame 1 0 0 0 0 2 0 0 0 0 3 0 4 5 6 1;"));
    EXPECT_EQ(Get("goal.frame"), "1 0 0 0 0 2 0 0 0 0 3 0 4 5 6 1");
    ASSERT_TRUE(Run("getAttr -type goal.ids;"));
    EXPECT_EQ(Result(), "Int32Array");
}

TEST_F(GraphCommandsTest, ValuesAreTypedInTheUIUnits)
{
    ASSERT_TRUE(Run("createNode transform -n goal;"));
    ASSERT_TRUE(Run("currentUnit -l m; setAttr goal.translate 2 0.5 -1;"));
    EXPECT_DOUBLE_EQ(Internal("goal", "translateX"), 200.0);
    EXPECT_DOUBLE_EQ(Internal("goal", "translateY"), 50.0);
    EXPECT_EQ(Get("goal.t"), "2 0.5 -1");
    // Scale has no unit: the number is stored as typed.
    ASSERT_TRUE(Run("setAttr goal.sx 2;"));
    EXPECT_EQ(Internal("goal", "scaleX"), 2.0);
    ASSERT_TRUE(Run("currentUnit -l cm;"));
    EXPECT_EQ(Get("goal.tx"), "200");

    // Degrees in, radians stored, and the typed degrees back.
    ASSERT_TRUE(Run("setAttr goal.rotate 30 45 -90;"));
    EXPECT_DOUBLE_EQ(Internal("goal", "rotateX"), std::numbers::pi / 6.0);
    EXPECT_EQ(Get("goal.rotate"), "30 45 -90");

    // Time in UI frames: 12 frames of film are half a second.
    MFnUnitAttribute unit;
    AddAttribute("goal", unit.create("delay", "dl", MFnUnitAttribute::kTime, 0.0));
    ASSERT_TRUE(Run("setAttr goal.delay 12;"));
    EXPECT_DOUBLE_EQ(Internal("goal", "delay"), 0.5);
    EXPECT_EQ(Get("goal.delay"), "12");

    // Sizes of new objects too: a 2 m cube is 200 cm wide.
    ASSERT_TRUE(Run("currentUnit -l m; polyCube -w 2;"));
    MPointArray points;
    MFnMesh(PlugOf(Scene::Get().Find("pCubeShape1"), "outMesh").asMObject()).getPoints(points);
    double maxX = -1e9;
    for (unsigned i = 0; i < points.length(); ++i)
        maxX = std::max(maxX, points[i].x);
    EXPECT_DOUBLE_EQ(maxX, 100.0);
}

TEST_F(GraphCommandsTest, AFailingSetAttrChangesNothing)
{
    ASSERT_TRUE(Run("createNode transform -n goal; setAttr goal.translate 1 2 3;"));
    MFnNumericAttribute numeric;
    const MObject limited = numeric.create("gain", "gn", MFnNumericData::kDouble, 0.5);
    numeric.setMin(0.0);
    numeric.setMax(1.0);
    AddAttribute("goal", limited);
    MFnTypedAttribute typed;
    AddAttribute("goal", typed.create("vecs", "vc", MFnData::kVectorArray));
    ASSERT_TRUE(Run("setAttr -type vectorArray goal.vecs 1 1 1 1;"));

    // The hard limits clamp.
    ASSERT_TRUE(Run("setAttr goal.gain 5;"));
    EXPECT_EQ(Get("goal.gain"), "1");
    ASSERT_TRUE(Run("setAttr goal.gain -2;"));
    EXPECT_EQ(Get("goal.gain"), "0");

    const struct
    {
        const char* script;
        const char* error;
    } failures[] = {
        {"setAttr goal.translate 7 8;", "setAttr: The attribute 'goal.translate' takes 3 values, got 2."},
        {"setAttr goal.translate 7 8 nine;", "setAttr: Argument 4 expects a number, got \"nine\"."},
        {"setAttr -type double2 goal.translate 7 8;",
         "setAttr: The attribute 'goal.translate' is of type double3, not double2."},
        {"setAttr goal.nothing 1;", "setAttr: No object matches name: goal.nothing"},
        {"setAttr -type doubleArray goal.vecs 1 5;",
         "setAttr: The attribute 'goal.vecs' is of type vectorArray, not doubleArray."},
        {"setAttr -type vectorArray goal.vecs 2 1 2 3;",
         "setAttr: A vectorArray of 2 items takes 7 values (the count, then x y z per vector), got 4."},
        {"setAttr goal.vecs 1 2 3;",
         "setAttr: The attribute 'goal.vecs' holds data: give its type with -type."},
        {"setAttr -type float7 goal.tx 1;", "setAttr: Invalid data type \"float7\"."},
        {"setAttr goal.matrix -type matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1;",
         "setAttr: The attribute 'goal.matrix' is not writable."},
    };
    for (const auto& f : failures)
    {
        EXPECT_FALSE(Run(f.script)) << f.script;
        EXPECT_EQ(LastError(), std::string("line 1: ") + f.error);
        EXPECT_EQ(Get("goal.translate"), "1 2 3") << f.script;
        EXPECT_EQ(Get("goal.vecs"), "1 1 1");
    }
}

TEST_F(GraphCommandsTest, ConnectionsDecideWhatIsReadAndWhatMayBeWritten)
{
    ASSERT_TRUE(Run("createNode transform -n a; createNode transform -n b; createNode transform -n c;"));
    ASSERT_TRUE(Run("setAttr a.tx 5; setAttr b.tx 1; setAttr b.ty 2;"));
    ASSERT_TRUE(Run("connectAttr a.tx b.tx;"));
    EXPECT_EQ(Result(), "Connected a.translateX to b.translateX.");
    EXPECT_EQ(Get("b.tx"), "5");
    ASSERT_TRUE(Run("setAttr a.tx 6;"));
    EXPECT_EQ(Get("b.translate"), "6 2 0");

    // A connected destination cannot be set, alone or through its compound.
    for (const char* script : {"setAttr b.tx 1;", "setAttr b.translate 1 1 1;"})
    {
        EXPECT_FALSE(Run(script));
        EXPECT_NE(LastError().find("is locked or connected and cannot be modified."), std::string::npos);
    }
    EXPECT_EQ(Get("b.translate"), "6 2 0");

    // One source per destination, unless forced.
    EXPECT_FALSE(Run("connectAttr c.tx b.tx;"));
    EXPECT_EQ(LastError(), "line 1: connectAttr: 'b.translateX' already has an incoming connection from "
                           "'a.translateX'.");
    ASSERT_TRUE(Run("setAttr c.tx 9; connectAttr -f c.tx b.tx;"));
    EXPECT_EQ(Get("b.tx"), "9");

    EXPECT_FALSE(Run("connectAttr a.t b.ty;"));
    EXPECT_EQ(LastError(), "line 1: connectAttr: Connection not made: 'a.translate' -> 'b.translateY'. Data "
                           "types of source and destination are not compatible.");
    EXPECT_FALSE(Run("connectAttr a.foo b.tx;"));
    EXPECT_EQ(LastError(), "line 1: connectAttr: The source attribute 'a.foo' cannot be found.");
    EXPECT_FALSE(Run("connectAttr a.tx b.foo;"));
    EXPECT_EQ(LastError(), "line 1: connectAttr: The destination attribute 'b.foo' cannot be found.");

    ASSERT_TRUE(Run("disconnectAttr c.tx b.tx;"));
    EXPECT_EQ(Result(), "Disconnect c.translateX from b.translateX.");
    EXPECT_FALSE(Run("disconnectAttr c.tx b.tx;"));
    EXPECT_EQ(LastError(), "line 1: disconnectAttr: There is no connection from 'c.translateX' to "
                           "'b.translateX' to disconnect.");
    ASSERT_TRUE(Run("setAttr b.tx 7;"));
    EXPECT_EQ(Get("b.tx"), "7");

    // A whole compound feeds its children: reading one reads the source, and
    // writing one is refused.
    ASSERT_TRUE(Run("setAttr a.translate 1 2 3; connectAttr a.t b.t;"));
    EXPECT_EQ(Get("b.tz"), "3");
    EXPECT_EQ(Get("b.tx"), "1");
    EXPECT_FALSE(Run("setAttr b.tz 0;"));
    EXPECT_EQ(Get("b.translate"), "1 2 3");
}

TEST_F(GraphCommandsTest, PairsBuiltChildByChildAndTheConnectionsThatRefuseWrites)
{
    ASSERT_TRUE(Run("createNode transform -n n; addAttr -ln lim -at double2 n;"
                    "addAttr -ln limX -at double -dv 1 -p lim n;"));
    EXPECT_FALSE(Run("getAttr n.lim;")) << "a pair waits for all its children";
    ASSERT_TRUE(Run("addAttr -ln limY -sn ly -at double -dv 2 -max 5 -p lim n;"));
    EXPECT_EQ(Get("n.lim"), "1 2");
    ASSERT_TRUE(Run("setAttr n.lim 3 9; setAttr n.limX -4;"));
    EXPECT_EQ(Get("n.lim"), "-4 5");
    EXPECT_FALSE(Run("addAttr -ln limZ -at double -p lim n;"));
    EXPECT_EQ(LastError(), "line 1: addAttr: The attribute 'n.lim' has all its children already.");

    ASSERT_TRUE(
        Run("createNode transform -n c; addAttr -ln span -at double2 c;"
            "addAttr -ln spanA -at double -dv 7 -p span c; addAttr -ln spanB -at double -dv 8 -p span c;"
            "setAttr c.tx 4; connectAttr c.tx n.limX;"));
    EXPECT_EQ(Get("n.ly"), "5");
    const std::string locked = "line 1: setAttr: The attribute ";
    EXPECT_FALSE(Run("setAttr n.lim 1 1;"));
    EXPECT_EQ(LastError(), locked + "'n.lim' is locked or connected and cannot be modified. Its child "
                                    "'n.limX' is connected from 'c.translateX'.");
    EXPECT_FALSE(Run("connectAttr c.span n.lim;"));
    EXPECT_EQ(LastError(), "line 1: connectAttr: 'n.lim' already has an incoming connection from "
                           "'c.translateX' to 'n.limX'.");
    // Forced, the pair's connection replaces its child's.
    ASSERT_TRUE(Run("connectAttr -f c.span n.lim; setAttr c.tx 0;"));
    EXPECT_EQ(Get("n.lim"), "7 8");
    EXPECT_FALSE(Run("setAttr n.limY 1;"));
    EXPECT_EQ(LastError(), locked + "'n.limY' is locked or connected and cannot be modified. It is part of "
                                    "'n.lim', which is connected from 'c.span'.");
    // A keyed child: halfway between flat keys.
    ASSERT_TRUE(Run("disconnectAttr c.span n.lim; setKeyframe -t 1 -v 2 -at limY n;"
                    "setKeyframe -t 9 -v 6 n.limY; currentTime 5;"));
    EXPECT_EQ(Get("n.lim"), "7 4");
    ASSERT_TRUE(Run("currentTime 1;"));
}

TEST_F(GraphCommandsTest, GetAttrPullsThroughCompute)
{
    graphtest::Doubler::Register();
    ASSERT_TRUE(Run("createNode testDoubler -n d; setAttr d.input 3; setAttr d.offset[2] 0.5;"));
    const int before = graphtest::Doubler::computes;
    EXPECT_EQ(Get("d.output"), "6");
    EXPECT_EQ(graphtest::Doubler::computes, before + 1);
    ASSERT_TRUE(Run("setAttr d.offset[0] 1;"));
    EXPECT_EQ(Get("d.output"), "7");
    EXPECT_EQ(Get("d.offset"), "1 0.5");
    ASSERT_TRUE(Run("getAttr -size d.offset;"));
    EXPECT_EQ(Result(), "2");
    EXPECT_FALSE(Run("setAttr d.offset 1;"));
    EXPECT_FALSE(Run("setAttr d.output 1;"));
    // The int attribute with limits 0..10 clamps and reads as an int.
    ASSERT_TRUE(Run("setAttr d.limited 12;"));
    EXPECT_EQ(Get("d.limited"), "10");
}

TEST_F(GraphCommandsTest, CurvesCheckTheirKnots)
{
    ASSERT_TRUE(Run("curve -p 0 0 0 -p 1 0 0 -p 2 1 0 -p 3 0 0 -p 4 0 0;"));
    EXPECT_EQ(Result(), "curve1");
    MFnNurbsCurve fn(PlugOf(Scene::Get().Find("curveShape1"), "local").asMObject());
    EXPECT_EQ(fn.degree(), 3);
    MDoubleArray knots;
    fn.getKnots(knots);
    const double expected[] = {0, 0, 0, 1, 2, 2, 2};
    ASSERT_EQ(knots.length(), 7u);
    for (unsigned i = 0; i < 7; ++i)
        EXPECT_EQ(knots[i], expected[i]);

    ASSERT_TRUE(Run("currentUnit -l m; curve -d 1 -p 0 0 0 -p 1 0 0 -k 0 -k 1 -n line;"));
    EXPECT_EQ(Result(), "line");
    MPoint end;
    MFnNurbsCurve(PlugOf(Scene::Get().Find("lineShape"), "local").asMObject()).getCV(1, end);
    EXPECT_EQ(end.x, 100.0);

    const std::size_t nodes = Scene::Get().Nodes().size();
    EXPECT_FALSE(Run("curve -d 3 -p 0 0 0 -p 1 0 0 -p 2 0 0 -p 3 0 0 -k 0 -k 0 -k 1 -k 1;"));
    EXPECT_EQ(LastError(),
              "line 1: curve: A curve of degree 3 with 4 points needs 6 knots (points + degree - 1), "
              "got 4.");
    EXPECT_FALSE(Run("curve -d 3 -p 0 0 0 -p 1 0 0 -p 2 0 0;"));
    EXPECT_EQ(LastError(), "line 1: curve: A curve of degree 3 needs at least 4 points (-p), got 3.");
    EXPECT_FALSE(Run("curve -d 1 -p 0 0 0 -p 1 0 0 -k 1 -k 0;"));
    EXPECT_EQ(Scene::Get().Nodes().size(), nodes);
}

TEST_F(GraphCommandsTest, MeshesFollowTheirTransform)
{
    ASSERT_TRUE(Run("polyCube -w 2 -h 2 -d 2;"));
    const MPlug world = PlugOf(Scene::Get().Find("pCubeShape1"), "worldMesh").elementByLogicalIndex(0);
    const auto bounds = [&world](unsigned axis)
    {
        MPointArray points;
        MFnMesh(world.asMObject()).getPoints(points);
        double low = 1e9, high = -1e9;
        for (unsigned i = 0; i < points.length(); ++i)
        {
            const double v = axis == 0 ? points[i].x : axis == 1 ? points[i].y : points[i].z;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        return std::pair(low, high);
    };
    EXPECT_EQ(bounds(0), std::pair(-1.0, 1.0));
    ASSERT_TRUE(Run("setAttr pCube1.translate 10 0 0;"));
    EXPECT_EQ(bounds(0), std::pair(9.0, 11.0));
    ASSERT_TRUE(Run("xform -t 0 5 0 -s 1 2 1 pCube1;"));
    EXPECT_EQ(bounds(0), std::pair(-1.0, 1.0));
    EXPECT_EQ(bounds(1), std::pair(3.0, 7.0));

    ASSERT_TRUE(Run("polySphere -r 2 -sx 8 -sy 4; polyPlane -w 3 -h 1 -sx 3 -sy 1;"));
    EXPECT_EQ(Result(), "pPlane1");
    EXPECT_EQ(MFnMesh(PlugOf(Scene::Get().Find("pSphereShape1"), "outMesh").asMObject()).numVertices(), 26);
    EXPECT_EQ(MFnMesh(PlugOf(Scene::Get().Find("pPlaneShape1"), "outMesh").asMObject()).numVertices(), 8);
    EXPECT_FALSE(Run("polyCube -w 0;"));
    EXPECT_FALSE(Scene::Get().Find("pCube2"));
}

TEST_F(GraphCommandsTest, SelectionParentingAndDeletion)
{
    ASSERT_TRUE(Run("createNode transform -n a; createNode transform -n b; createNode transform -n c;"));
    ASSERT_TRUE(Run("select -r a b; select -add c; select -d a;"));
    const auto selection = []
    {
        std::string names;
        for (const auto& node : Scene::Get().Selection())
            names += node->name + " ";
        return names;
    };
    EXPECT_EQ(selection(), "b c ");
    ASSERT_TRUE(Run("select -tgl b a; select -af c;"));
    EXPECT_EQ(selection(), "c a ");
    EXPECT_FALSE(Run("select -r a nobody;"));
    EXPECT_EQ(selection(), "c a ");
    ASSERT_TRUE(Run("select -cl;"));
    EXPECT_EQ(selection(), "");

    // parent keeps the world position unless -r; -w moves back to the world.
    ASSERT_TRUE(Run("setAttr a.translate 10 0 0; setAttr a.ry 90; setAttr b.translate 1 2 3;"));
    ASSERT_TRUE(Run("parent b a;"));
    EXPECT_EQ(Result(), "b");
    EXPECT_EQ(Scene::Get().Find("b")->parent->name, "a");
    ASSERT_TRUE(Run("xform -q -ws -t b;"));
    const std::vector<double> world = CommandEngine::Instance().LastResult().Doubles();
    ASSERT_EQ(world.size(), 3u);
    EXPECT_NEAR(world[0], 1.0, 1e-12);
    EXPECT_NEAR(world[1], 2.0, 1e-12);
    EXPECT_NEAR(world[2], 3.0, 1e-12);
    ASSERT_TRUE(Run("parent -w b;"));
    EXPECT_NEAR(Internal("b", "translateX"), 1.0, 1e-12);
    EXPECT_NEAR(Internal("b", "rotateY"), 0.0, 1e-12);
    ASSERT_TRUE(Run("parent -r b a;"));
    EXPECT_NEAR(Internal("b", "translateX"), 1.0, 1e-12);
    EXPECT_FALSE(Run("parent a b;"));
    EXPECT_EQ(LastError(), "line 1: parent: Cannot parent 'a' under its own descendant 'b'.");

    // xform -ws -t places a child in the world; -q -t gives its local values.
    ASSERT_TRUE(Run("xform -ws -t 10 0 -4 b; xform -q -t b;"));
    const std::vector<double> local = CommandEngine::Instance().LastResult().Doubles();
    ASSERT_EQ(local.size(), 3u);
    EXPECT_NEAR(local[0], 4.0, 1e-12);
    EXPECT_NEAR(local[1], 0.0, 1e-12);
    EXPECT_NEAR(local[2], 0.0, 1e-12);

    // Deleting a parent deletes its children; a bad name deletes nothing.
    EXPECT_FALSE(Run("delete c nobody;"));
    EXPECT_TRUE(Scene::Get().Find("c"));
    ASSERT_TRUE(Run("select -r a; delete;"));
    EXPECT_FALSE(Scene::Get().Find("a"));
    EXPECT_FALSE(Scene::Get().Find("b"));
    EXPECT_TRUE(Scene::Get().Find("c"));
    EXPECT_FALSE(Run("delete;"));
    EXPECT_EQ(LastError(), "line 1: delete: Not enough objects or values.");
}

TEST_F(GraphCommandsTest, SpaceLocatorsSitAtTheirPosition)
{
    ASSERT_TRUE(Run("currentUnit -l m; spaceLocator -n goal -p 1 2 3;"));
    EXPECT_EQ(Result(), "goal");
    EXPECT_EQ(Internal("goalShape", "localPositionY"), 200.0);
    EXPECT_EQ(Get("goalShape.localPosition"), "1 2 3");
    EXPECT_EQ(Get("goal.translate"), "0 0 0");
    EXPECT_EQ(Scene::Get().Selection().at(0)->name, "goal");
}
