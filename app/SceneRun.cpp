#include "SceneRun.h"

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <chrono>

namespace
{
unsigned ParticleCount()
{
    unsigned count = 0;
    for (const auto& node : vxhost::Scene::Get().Nodes())
        if (node->cls->typeName == "particle")
        {
            MStatus status;
            const MPlug plug(node, node->PathTo(node->FindAttribute("count")));
            count += static_cast<unsigned>(plug.asInt(&status));
        }
    return count;
}

// Field evaluations per frame: one per connected field and particle system.
unsigned FieldConnections()
{
    unsigned connections = 0;
    for (const vxhost::Connection& c : vxhost::Scene::Get().Connections())
        connections +=
            c.source->cls->IsA("field") && c.sourcePath[0].attribute->name == "outputForce" ? 1u : 0u;
    return connections;
}
} // namespace

int RunScene(const SceneRunOptions& options, std::FILE* out)
{
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    if (!engine.RunScriptFile(options.scene))
    {
        vxhost::FlushMessages();
        return 1;
    }
    vxhost::Dynamics& dynamics = vxhost::Dynamics::Get();
    const double start = options.frameRange ? options.startFrame : dynamics.StartFrame();
    const double end = options.frameRange ? options.endFrame : dynamics.CurrentFrame();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point began = Clock::now();
    auto report = [&](double frame)
    {
        if (!options.progress)
            return;
        const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
        const double done = frame - start;
        std::fprintf(stderr, "\rframe %.0f of %.0f  %u particles  %.1f frames/s   ", frame, end,
                     ParticleCount(), seconds > 0.0 ? done / seconds : 0.0);
    };
    MStatus status = MStatus::kSuccess;
    if (options.frameRange)
    {
        status = dynamics.SetCurrentFrame(start);
        if (status)
            status = dynamics.SetCurrentFrame(end, report);
        if (options.progress)
            std::fputc('\n', stderr);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    vxhost::FlushMessages();
    if (!status)
    {
        std::fprintf(stderr, "volarix: stepping %s failed at frame %.0f: %s\n", options.scene.c_str(),
                     dynamics.CurrentFrame(), status.errorString().asChar());
        return 1;
    }
    const double frames = options.frameRange ? end - start : 0.0;
    std::fprintf(out, "scene        %s\n", options.scene.c_str());
    std::fprintf(out, "particles    %u\n", ParticleCount());
    std::fprintf(out, "frames       %.0f (%.0f to %.0f)\n", frames, start, end);
    if (frames > 0.0)
    {
        std::fprintf(out, "per frame    %.2f ms\n", 1000.0 * seconds / frames);
        std::fprintf(out, "evaluations  %.1f per second\n", frames * FieldConnections() / seconds);
    }
    return 0;
}
