// One 1280x720 viewport picture of 100k moving particles and 10 locators
// drawn through a draw override (prepareForDraw and addUIDrawables each
// frame, as an always-dirty override is), to PNG and to SVG; and the
// recording of a redraw alone, as the baseline the drawing adds to.
#include "dg/DataObjects.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"

#include <maya/MDrawRegistry.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxDrawOverride.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MUIDrawManager.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Viewport.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>

namespace
{
constexpr unsigned kParticles = 100'000;
constexpr int kLocators = 10;

struct BenchLocator : MPxLocatorNode
{
};

struct BenchData : MUserData
{
    MPointArray rings[3];
};

// Three 24-point circles and a centre marker, as a sphere locator draws.
struct BenchOverride : MHWRender::MPxDrawOverride
{
    explicit BenchOverride(const MObject& obj) : MPxDrawOverride(obj, nullptr, true) {}
    static MHWRender::MPxDrawOverride* Creator(const MObject& obj) { return new BenchOverride(obj); }
    MHWRender::DrawAPI supportedDrawAPIs() const override { return MHWRender::kAllDevices; }
    bool hasUIDrawables() const override { return true; }
    MUserData* prepareForDraw(const MDagPath&, const MDagPath&, const MHWRender::MFrameContext&,
                              MUserData* oldData) override
    {
        auto* data = dynamic_cast<BenchData*>(oldData);
        if (!data)
            data = new BenchData;
        for (int axis = 0; axis < 3; ++axis)
        {
            MPointArray& ring = data->rings[axis];
            ring.clear();
            for (int k = 0; k < 24; ++k)
            {
                const double a = k * 2.0 * std::numbers::pi / 23.0, c = 3.0 * std::cos(a),
                             s = 3.0 * std::sin(a);
                ring.append(axis == 0   ? MPoint(0.0, c, s)
                            : axis == 1 ? MPoint(c, 0.0, s)
                                        : MPoint(c, s, 0.0));
            }
        }
        return data;
    }
    void addUIDrawables(const MDagPath&, MHWRender::MUIDrawManager& dm, const MHWRender::MFrameContext&,
                        const MUserData* userData) override
    {
        const auto* data = static_cast<const BenchData*>(userData);
        dm.beginDrawable(MHWRender::MUIDrawManager::kAutomatic, 0);
        dm.setColor(MColor(0.0f, 0.275f, 0.098f));
        dm.setDepthPriority(5);
        for (const MPointArray& ring : data->rings)
            dm.mesh(MHWRender::MUIDrawManager::kClosedLine, ring);
        dm.line(MPoint(-1.0, 0.0, 0.0), MPoint(1.0, 0.0, 0.0));
        dm.icon(MPoint(), "TURBULENCE_FIELD", 1.0f);
        dm.endDrawable();
    }
};

void SetUpScene()
{
    vxhost::SetMessageEcho(false);
    vxhost::Scene::Get().Reset();
    auto& registry = vxhost::NodeRegistry::Get();
    if (!registry.Find("benchLocator"))
    {
        auto cls = std::make_unique<vxhost::NodeClass>();
        cls->typeName = "benchLocator";
        cls->id = MTypeId(0x7F201);
        cls->pxType = MPxNode::kLocatorNode;
        cls->parent = registry.Find("locator");
        cls->creator = [] { return new BenchLocator; };
        cls->classification = "drawdb/geometry/benchLocator";
        cls->apiType = MFn::kPluginLocatorNode;
        cls->fnTypes = {MFn::kLocator, MFn::kShape, MFn::kGeometric};
        cls->dag = cls->shape = true;
        registry.Register(std::move(cls), [] { return MStatus(MStatus::kSuccess); });
        MHWRender::MDrawRegistry::registerDrawOverrideCreator("drawdb/geometry/benchLocator", "bench",
                                                              BenchOverride::Creator);
    }
    std::string script = "particle -n cloud;";
    for (int i = 0; i < kLocators; ++i)
        script += "createNode benchLocator -n loc" + std::to_string(i) + "; xform -t " +
                  std::to_string(i * 8 - 40) + " 0 0 transform" + std::to_string(i + 1) + ";";
    vxhost::CommandEngine::Instance().RunScript(script);

    // A ball of particles with speeds across the ramp.
    std::mt19937 rng(7);
    std::normal_distribution<double> normal(0.0, 15.0);
    MVectorArray positions, velocities;
    for (unsigned i = 0; i < kParticles; ++i)
    {
        positions.append(MVector(normal(rng), normal(rng), normal(rng)));
        velocities.append(MVector(normal(rng), normal(rng), normal(rng)));
    }
    auto node = vxhost::Scene::Get().Find("cloudShape");
    auto set = [&](const char* attribute, const MVectorArray& value)
    {
        MPlug(node, node->PathTo(node->FindAttribute(attribute)))
            .setMObject(MObject(std::make_shared<vxhost::VectorArrayData>(value)));
    };
    set("position", positions);
    set("velocity", velocities);
}

vxhost::ViewportOptions Options(vxhost::ImageFormat format)
{
    vxhost::ViewportOptions options;
    options.width = 1280;
    options.height = 720;
    options.format = format;
    return options;
}

void BM_RecordRedraw(benchmark::State& state)
{
    SetUpScene();
    vxhost::ViewportFrame frame;
    for (auto _ : state)
    {
        vxhost::RecordViewport(Options(vxhost::ImageFormat::kPng), frame);
        benchmark::DoNotOptimize(frame.nodes.data());
    }
    state.counters["nodes"] = static_cast<double>(frame.nodes.size());
}

void BM_RenderFrame(benchmark::State& state)
{
    SetUpScene();
    const auto format = state.range(0) == 0 ? vxhost::ImageFormat::kPng : vxhost::ImageFormat::kSvg;
    const std::string path = (std::filesystem::temp_directory_path() /
                              (format == vxhost::ImageFormat::kPng ? "vx_bench.png" : "vx_bench.svg"))
                                 .string();
    for (auto _ : state)
        if (!vxhost::RenderViewport(Options(format), path))
            state.SkipWithError("the picture was not written");
    state.SetLabel(format == vxhost::ImageFormat::kPng ? "png" : "svg");
    std::filesystem::remove(path);
}
} // namespace

BENCHMARK(BM_RecordRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
