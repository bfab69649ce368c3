#include "GraphTestUtil.h"

#include "dg/DataObjects.h"
#include "dynamics/Dynamics.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MPxFieldNode.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <algorithm>

using vxhost::CommandEngine;
using vxhost::Scene;

namespace
{
// A field pushing every particle up with 10 * magnitude (the first
// kCovered of them only: a force array shorter than the particles), that
// records the per-particle arrays and the time step it was given.
template <unsigned kCovered> struct PushUp : MPxFieldNode
{
    static inline std::vector<std::string> arrays;
    static inline double seenStep = 0.0;

    MStatus compute(const MPlug& plug, MDataBlock& block) override
    {
        if (plug != mOutputForce || !plug.isElement())
            return MStatus::kUnknownParameter;
        const unsigned index = plug.logicalIndex();
        MArrayDataHandle inputs = block.outputArrayValue(mInputData);
        MStatus status = inputs.jumpToElement(index);
        if (!status)
            return status;
        MDataHandle input = inputs.inputValue();
        const MVectorArray positions = MFnVectorArrayData(input.child(mInputPositions).data()).array();
        seenStep = input.child(mDeltaTime).asTime().as(MTime::kSeconds);
        MArrayDataHandle pp = block.outputArrayValue(mInputPPData);
        arrays.clear();
        if (pp.jumpToElement(index))
        {
            MStringArray names = MFnArrayAttrsData(pp.inputValue().data()).list();
            for (unsigned i = 0; i < names.length(); ++i)
                arrays.emplace_back(names[i].asChar());
        }
        const double magnitude = block.inputValue(mMagnitude).asDouble();
        MVectorArray forces(std::min(positions.length(), kCovered), MVector(0, 10 * magnitude, 0));
        MArrayDataHandle out = block.outputArrayValue(mOutputForce);
        MArrayDataBuilder builder = out.builder();
        builder.addElement(index).set(MFnVectorArrayData().create(forces));
        status = out.set(builder);
        return status ? block.setClean(plug) : status;
    }

    static MStatus Initialize() { return MPxNode::attributeAffects(mInputData, mOutputForce); }

    static void Register(const char* typeName, unsigned id)
    {
        auto& registry = vxhost::NodeRegistry::Get();
        if (registry.Find(typeName))
            return;
        auto cls = std::make_unique<vxhost::NodeClass>();
        cls->typeName = typeName;
        cls->id = MTypeId(id);
        cls->parent = registry.Find("field");
        cls->apiType = MFn::kPluginFieldNode;
        cls->fnTypes = {MFn::kField, MFn::kTransform};
        cls->dag = true;
        cls->creator = [] { return new PushUp; };
        registry.Register(std::move(cls), Initialize);
    }
};
using UpField = PushUp<~0u>;

MVectorArray Positions(const char* shape)
{
    auto node = Scene::Get().Find(shape);
    return MFnVectorArrayData(graphtest::PlugOf(node, "position").asMObject()).array();
}
} // namespace

TEST(ParticleDynamicsTest, StepsIntegrateForcesAndGoingBackRestores)
{
    Scene::Get().Reset();
    vxhost::Dynamics::Get().Reset();
    UpField::Register("testUpField", 0x7F002);
    CommandEngine& engine = CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("particle -p 0 0 0 -p 1 0 0 -n flock;\n"
                                 "createNode testUpField -n up;\n"
                                 "connectDynamic -f up flock;\n"
                                 "addAttr -ln up_maximumSpeed -dt doubleArray flockShape;\n"
                                 "addAttr -ln other_maximumSpeed -dt doubleArray flockShape;\n"
                                 "currentTime 3;\n",
                                 "dynamics.mel"));

    // Two steps of 1/24 s under 10 cm/s^2: v = 10/24 then 20/24, y = (10 + 20) / 576.
    MVectorArray p = Positions("flockShape");
    ASSERT_EQ(p.length(), 2u);
    EXPECT_DOUBLE_EQ(p[0].y, 30.0 / 576.0);
    EXPECT_DOUBLE_EQ(p[1].x, 1.0);
    EXPECT_DOUBLE_EQ(UpField::seenStep, 1.0 / 24.0);
    // Only the arrays named after this field arrive, without the prefix.
    EXPECT_EQ(UpField::arrays, std::vector<std::string>{"maximumSpeed"});

    // Back to the start: the kept state; forward again: the same numbers.
    ASSERT_TRUE(engine.RunScript("currentTime 1;"));
    EXPECT_EQ(Positions("flockShape")[0].y, 0.0);
    ASSERT_TRUE(engine.RunScript("currentTime 3;"));
    EXPECT_EQ(Positions("flockShape")[0].y, p[0].y);

    // The field's magnitude halves the push; mass, set at the start frame so
    // that it is part of the state the run starts from, doubles the inertia.
    ASSERT_TRUE(engine.RunScript("currentTime 1;"));
    auto up = Scene::Get().Find("up");
    ASSERT_TRUE(graphtest::PlugOf(up, "magnitude").setDouble(0.5));
    auto shape = Scene::Get().Find("flockShape");
    MDoubleArray mass(2, 2.0);
    ASSERT_TRUE(graphtest::PlugOf(shape, "mass").setMObject(MFnDoubleArrayData().create(mass)));
    ASSERT_TRUE(engine.RunScript("currentTime 2;"));
    EXPECT_DOUBLE_EQ(Positions("flockShape")[0].y, 2.5 / 576.0);

    // Connecting the same field twice only warns.
    ASSERT_TRUE(engine.RunScript("connectDynamic -f up flock;"));
    EXPECT_EQ(graphtest::PlugOf(shape, "inputForce").numElements(), 1u);
}

TEST(ParticleDynamicsTest, TheForcesOfEveryFieldAddUpParticleByParticle)
{
    Scene::Get().Reset();
    vxhost::Dynamics::Get().Reset();
    UpField::Register("testUpField", 0x7F002);
    PushUp<1>::Register("testFirstUpField", 0x7F003);
    CommandEngine& engine = CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("particle -p 0 0 0 -p 1 0 0 -p 2 0 0 -n flock;\n"
                                 "createNode testUpField -n up;\n"
                                 "createNode testFirstUpField -n first;\n"
                                 "setAttr first.magnitude -0.25;\n"
                                 "connectDynamic -f up -f first flock;\n"
                                 "currentTime 3;\n",
                                 "fields.mel"));

    // The first particle gets 10 - 2.5 cm/s^2, the others 10; a field's array
    // shorter than the particles pushes only those it covers.
    // Two steps of 1/24 s: y = (a/24 + 2a/24) / 24 = 3a / 576.
    const MVectorArray p = Positions("flockShape");
    ASSERT_EQ(p.length(), 3u);
    EXPECT_DOUBLE_EQ(p[0].y, 3.0 * 7.5 / 576.0);
    EXPECT_DOUBLE_EQ(p[1].y, 30.0 / 576.0);
    EXPECT_DOUBLE_EQ(p[2].y, 30.0 / 576.0);

    // Only the first field: the particles it does not cover keep their speed.
    ASSERT_TRUE(engine.RunScript("currentTime 1; disconnectAttr up.outputForce[0] flockShape.inputForce[0];"
                                 "setAttr flockShape.velocity -type vectorArray 3 0 0 0 0 0 0 0 1 0;"
                                 "currentTime 2;"));
    const MVectorArray q = Positions("flockShape");
    EXPECT_DOUBLE_EQ(q[0].y, -2.5 / 576.0);
    EXPECT_EQ(q[1].y, 0.0);
    EXPECT_DOUBLE_EQ(q[2].y, 1.0 / 24.0);
}

TEST(ParticleDynamicsTest, AFieldsArraysAreRefilledInPlaceStepByStep)
{
    Scene::Get().Reset();
    vxhost::Dynamics::Get().Reset();
    UpField::Register("testUpField", 0x7F002);
    CommandEngine& engine = CommandEngine::Instance();
    ASSERT_TRUE(engine.RunScript("particle -p 0 0 0 -p 1 0 0 -n flock;\n"
                                 "createNode testUpField -n up;\n"
                                 "connectDynamic -f up flock;\n"
                                 "addAttr -ln up_maximumSpeed -dt doubleArray flockShape;\n"
                                 "addAttr -ln up_count -dt doubleArray flockShape;\n"
                                 "setAttr flockShape.up_maximumSpeed -type doubleArray 2 3 4;\n"
                                 "currentTime 2;\n",
                                 "arrays.mel"));
    auto shape = Scene::Get().Find("flockShape");
    const auto arrays = [&]
    {
        vxhost::PlugPath path = shape->PathTo(shape->FindAttribute("ppFieldData"));
        path.back().index = 0;
        return vxhost::ArrayAttrsData::From(shape->FindData(path)->data);
    };
    vxhost::ArrayAttrsData* first = arrays();
    ASSERT_NE(first, nullptr);
    const double* storage = &std::get<MDoubleArray>(first->value.at("maximumSpeed"))[0];

    // New numbers in the same storage; an array no longer there is dropped.
    ASSERT_TRUE(shape->RemoveDynamicAttribute(shape->FindAttribute("up_count")));
    ASSERT_TRUE(
        engine.RunScript("setAttr flockShape.up_maximumSpeed -type doubleArray 2 5 6; currentTime 3;"));
    EXPECT_EQ(arrays(), first);
    EXPECT_EQ(UpField::arrays, std::vector<std::string>{"maximumSpeed"});
    MDoubleArray& speeds = std::get<MDoubleArray>(first->value.at("maximumSpeed"));
    EXPECT_EQ(&speeds[0], storage);
    EXPECT_EQ(speeds, MDoubleArray(std::vector<double>{5.0, 6.0}.data(), 2));
}
