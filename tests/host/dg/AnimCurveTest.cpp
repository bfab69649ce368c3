// Animation curves: their evaluation between and beyond keys, and
// setKeyframe, whose curves then drive attributes (and what those feed) as
// time moves.

#include "dg/AnimCurve.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <maya/MDistance.h>
#include <maya/MFnMatrixData.h>
#include <maya/MPlug.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

using vxhost::AnimKey;
using vxhost::EvaluateAnimCurve;
using vxhost::Scene;
using vxhost::TangentType;

namespace
{
constexpr TangentType kLinear = TangentType::kLinear;
constexpr TangentType kSpline = TangentType::kSpline;

TEST(AnimCurveEvaluation, LinearKeysInterpolateExactlyAndHoldOutside)
{
    const std::vector<AnimKey> keys = {{1, 0, kLinear, kLinear}, {11, 10, kLinear, kLinear}};
    EXPECT_EQ(EvaluateAnimCurve(keys, 6), 5.0);
    EXPECT_EQ(EvaluateAnimCurve(keys, 3.5), 2.5);
    EXPECT_EQ(EvaluateAnimCurve(keys, -40), 0.0);
    EXPECT_EQ(EvaluateAnimCurve(keys, 11), 10.0);
    EXPECT_EQ(EvaluateAnimCurve(keys, 500), 10.0);
    EXPECT_EQ(EvaluateAnimCurve({}, 3), 0.0);
}

TEST(AnimCurveEvaluation, SplineIsSmoothThroughItsKeys)
{
    // The middle key's slope is (30 - 0) / (21 - 1) = 1.5; the end keys are
    // flat. At the middle of the first segment (s = 1/2, span 10) the Hermite
    // weights are 1/2 for each value and +-1/8 * span for each slope:
    //   0.5 * 0 + 0.5 * 10 - 1.25 * 1.5 = 3.125,
    // and of the second 0.5 * 10 + 1.25 * 1.5 + 0.5 * 30 = 21.875.
    const std::vector<AnimKey> keys = {{1, 0}, {11, 10}, {21, 30}};
    EXPECT_DOUBLE_EQ(EvaluateAnimCurve(keys, 6), 3.125);
    EXPECT_DOUBLE_EQ(EvaluateAnimCurve(keys, 16), 21.875);
    EXPECT_EQ(EvaluateAnimCurve(keys, 1), 0.0);
    EXPECT_EQ(EvaluateAnimCurve(keys, 11), 10.0);
    EXPECT_EQ(EvaluateAnimCurve(keys, 21), 30.0);

    // No kink at the middle key: the slopes either side agree with 1.5; flat
    // at the ends.
    const double h = 1e-5;
    EXPECT_NEAR((EvaluateAnimCurve(keys, 11) - EvaluateAnimCurve(keys, 11 - h)) / h, 1.5, 1e-3);
    EXPECT_NEAR((EvaluateAnimCurve(keys, 11 + h) - EvaluateAnimCurve(keys, 11)) / h, 1.5, 1e-3);
    EXPECT_NEAR((EvaluateAnimCurve(keys, 21) - EvaluateAnimCurve(keys, 21 - h)) / h, 0.0, 1e-3);

    // A linear out tangent on the middle key makes the second segment leave
    // it along the chord (slope 2) instead: 5 + 0.125 * 10 * 2 + 15 = 22.5.
    std::vector<AnimKey> mixed = keys;
    mixed[1].out = kLinear;
    EXPECT_DOUBLE_EQ(EvaluateAnimCurve(mixed, 16), 22.5);
    EXPECT_DOUBLE_EQ(EvaluateAnimCurve(mixed, 6), 3.125);
}

class SetKeyframeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Scene::Get().Reset();
        vxhost::Dynamics::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
    }
    void TearDown() override
    {
        MDistance::setUIUnit(MDistance::kCentimeters);
        Scene::Get().Reset();
        vxhost::Dynamics::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return vxhost::CommandEngine::Instance().RunScript(script); }
    static std::string Answer(const std::string& statement)
    {
        EXPECT_TRUE(Run(statement)) << statement;
        return vxhost::CommandEngine::Instance().LastResult().Format();
    }
    static int AnimCurveCount()
    {
        int count = 0;
        for (const auto& node : Scene::Get().Nodes())
            count += vxhost::IsAnimCurve(*node) ? 1 : 0;
        return count;
    }
};

TEST_F(SetKeyframeTest, KeyedTranslateMovesTheTransformWithTime)
{
    ASSERT_TRUE(Run("createNode transform -n goal;"));
    EXPECT_EQ(Answer("setKeyframe -t 1 -v 0 -at translateX -itt linear -ott linear goal;"), "1");
    EXPECT_EQ(Answer("setKeyframe -t 11 -v 10 -itt linear -ott linear goal.translateX;"), "1");
    // One curve, named after what it drives, of the distance kind.
    EXPECT_EQ(AnimCurveCount(), 1);
    const auto curve = Scene::Get().Find("goal_translateX");
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->ApiType(), MFn::kAnimCurveTimeToDistance);
    EXPECT_TRUE(curve->HasFn(MFn::kAnimCurve));
    EXPECT_EQ(vxhost::AnimCurveKeys(*curve).size(), 2u);

    const auto goal = Scene::Get().Find("goal");
    const auto worldX = [&goal]
    {
        MPlug plug(goal, goal->PathTo(goal->FindAttribute("worldMatrix")));
        MObject data = plug.elementByLogicalIndex(0).asMObject();
        return MFnMatrixData(data).matrix()(3, 0);
    };
    ASSERT_TRUE(Run("currentTime 6;"));
    EXPECT_EQ(Answer("getAttr goal.translateX;"), "5");
    EXPECT_EQ(worldX(), 5.0);
    ASSERT_TRUE(Run("currentTime 30;"));
    EXPECT_EQ(worldX(), 10.0);
    ASSERT_TRUE(Run("currentTime 1;"));
    EXPECT_EQ(worldX(), 0.0);

    // Keying again at a keyed frame changes that key on the same curve.
    EXPECT_EQ(Answer("setKeyframe -t 11 -v 20 goal.tx;"), "1");
    EXPECT_EQ(AnimCurveCount(), 1);
    ASSERT_TRUE(Run("currentTime 6;"));
    EXPECT_EQ(Answer("getAttr goal.translateX;"), "10");
}

TEST_F(SetKeyframeTest, ValuesAreTypedInUiUnitsAndDefaultToTheCurrentValue)
{
    ASSERT_TRUE(Run("createNode transform -n goal; currentUnit -l m; setAttr goal.translateY 4;"));
    EXPECT_EQ(Answer("setKeyframe -t 1 -t 5 -v 2 -at tx -at rotateY goal;"), "4");
    const auto goal = Scene::Get().Find("goal");
    const auto tx = vxhost::AnimCurveKeys(*Scene::Get().Find("goal_translateX"));
    ASSERT_EQ(tx.size(), 2u);
    EXPECT_EQ(tx[1].frame, 5.0);
    EXPECT_EQ(tx[1].value, 200.0); // 2 m in centimetres
    const auto ry = Scene::Get().Find("goal_rotateY");
    EXPECT_EQ(ry->ApiType(), MFn::kAnimCurveTimeToAngular);
    EXPECT_DOUBLE_EQ(vxhost::AnimCurveKeys(*ry)[0].value, 2.0 * std::numbers::pi / 180.0);

    // Without -v the key holds the value the attribute has now.
    EXPECT_EQ(Answer("setKeyframe -at translateY goal;"), "1");
    const auto ty = vxhost::AnimCurveKeys(*Scene::Get().Find("goal_translateY"));
    ASSERT_EQ(ty.size(), 1u);
    EXPECT_EQ(ty[0].frame, 1.0);
    EXPECT_EQ(ty[0].value, 400.0);
}

TEST_F(SetKeyframeTest, NodeWithoutAttributeKeysEveryKeyableOne)
{
    ASSERT_TRUE(Run("createNode locator -n lampShape; select -r lampShape;"));
    // localPosition, localScale (three each) and visibility.
    EXPECT_EQ(Answer("setKeyframe;"), "7");
    EXPECT_EQ(AnimCurveCount(), 7);
    EXPECT_EQ(Scene::Get().Find("lampShape_visibility")->ApiType(), MFn::kAnimCurveTimeToUnitless);
    EXPECT_NE(Scene::Get().Find("lampShape_localScaleZ"), nullptr);
    // Keying them all again reuses every curve.
    EXPECT_EQ(Answer("setKeyframe -t 10 lampShape;"), "7");
    EXPECT_EQ(AnimCurveCount(), 7);
}

TEST_F(SetKeyframeTest, CurveValueReachesWhatTheKeyedAttributeFeeds)
{
    ASSERT_TRUE(Run("createNode transform -n goal; createNode locator -n lampShape;"
                    "connectAttr goal.translate lampShape.localPosition;"
                    "setKeyframe -t 1 -v 0 -itt linear -ott linear goal.tx;"
                    "setKeyframe -t 11 -v 10 -itt linear -ott linear goal.tx;"
                    "currentTime 6;"));
    EXPECT_EQ(Answer("getAttr lampShape.localPositionX;"), "5");
    // A plug driven by something other than a curve is not keyed.
    EXPECT_FALSE(Run("setKeyframe lampShape.localPositionX;"));
    EXPECT_EQ(AnimCurveCount(), 1);
}

TEST_F(SetKeyframeTest, BadCallsKeyNothing)
{
    ASSERT_TRUE(Run("createNode transform -n goal;"));
    EXPECT_FALSE(Run("setKeyframe -itt bouncy goal.tx;"));
    EXPECT_FALSE(Run("setKeyframe -at translateX -at nothing goal;"));
    EXPECT_FALSE(Run("setKeyframe goal.translateX nobody;"));
    EXPECT_FALSE(Run("setKeyframe goal.worldMatrix;"));
    ASSERT_TRUE(Run("select -cl;"));
    EXPECT_FALSE(Run("setKeyframe;"));
    EXPECT_EQ(AnimCurveCount(), 0);
}
} // namespace
