// readParticleCache: reading a particle cache file back into a particle
// shape. Maya reads its caches through the dynamics globals rather than a
// command; a scene script needs to name the file and the shape, so the host
// has a command of its own:
//
//     readParticleCache -directory "out/cache" -frame 24 flockShape;
//     readParticleCache -format csv -directory "out/cache" -frame 24 flock;
//     readParticleCache -fileName "out/cache/flockShape.24.ply" flock;
//
// With -directory the file is <directory>/<shape>.<frame>.<format>; -frame
// defaults to the current time and -format to the first of pdc, ply and csv
// whose file exists. The result is the number of particles read.

#include "ParticleArrays.h"

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "dynamics/ParticleCache.h"
#include "UndoQueue.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace vxhost
{
namespace
{
std::shared_ptr<Node> ParticleShapeNamed(const std::string& name)
{
    std::shared_ptr<Node> node = Scene::Get().Find(name);
    if (node && node->cls->typeName != "particle")
        for (const auto& child : node->children)
            if (child->cls->typeName == "particle")
                return child;
    return node && node->cls->typeName == "particle" ? node : nullptr;
}

MStatus ReadParticleCacheCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("dir", "directory", 1)
                                           .AddFlag("fr", "frame", 1)
                                           .AddFlag("fmt", "format", 1)
                                           .AddFlag("fn", "fileName", 1)
                                           .SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string shapeName, directory, formatName, fileName;
    double frame = Dynamics::Get().CurrentFrame();
    if (!(status = args.Positionals().GetString(0, shapeName)) ||
        !(status = args.ReadFlagValue("dir", directory)) || !(status = args.ReadFlagValue("fr", frame)) ||
        !(status = args.ReadFlagValue("fmt", formatName)) || !(status = args.ReadFlagValue("fn", fileName)))
        return status;
    const std::shared_ptr<Node> shape = ParticleShapeNamed(shapeName);
    if (!shape)
        return ReportCommandError(statement, "\"" + shapeName + "\" is no particle object.",
                                  MStatus::kInvalidParameter);
    if (fileName.empty() == directory.empty())
        return ReportCommandError(statement, "Give either -directory (with -frame) or -fileName.",
                                  MStatus::kInvalidParameter);
    if (!std::isfinite(frame))
        return ReportCommandError(statement, "The frame must be a number.", MStatus::kInvalidParameter);

    if (fileName.empty())
    {
        CacheFormat format = CacheFormat::kPdc;
        if (!formatName.empty() && !CacheFormatFromName(formatName, format))
            return ReportCommandError(statement,
                                      "Unknown cache format \"" + formatName + "\" (pdc, ply or csv).",
                                      MStatus::kInvalidParameter);
        if (!formatName.empty())
            fileName = ParticleCachePath(directory, shape->name, frame, format);
        else
            for (const CacheFormat candidate : {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv})
            {
                const std::string path = ParticleCachePath(directory, shape->name, frame, candidate);
                std::error_code ignored;
                if (std::filesystem::exists(path, ignored))
                {
                    fileName = path;
                    break;
                }
            }
        if (fileName.empty())
            return ReportCommandError(statement,
                                      "No cache of " + shape->name + " at frame " +
                                          FormatDouble(std::floor(frame)) + " in \"" + directory +
                                          "\" (looked for .pdc, .ply and .csv).",
                                      MStatus::kNotFound);
    }
    ParticleCacheFrame cache;
    std::string error;
    if (!ReadParticleCacheFile(fileName, cache, error))
        return ReportCommandError(statement, error);
    // The file's count is checked first: a few bytes may claim billions
    // of particles that hold no per-particle values.
    if (const std::string refusal =
            CheckParticleMemory(static_cast<double>(cache.count) - ParticleCount(*shape));
        !refusal.empty())
        return ReportCommandError(statement, "Cannot read \"" + fileName + "\" into " + shape->name + ": " +
                                                 refusal,
                                  MStatus::kInvalidParameter);
    if (!ApplyParticleFrame(*shape, cache, error))
        return ReportCommandError(statement,
                                  "Cannot read \"" + fileName + "\" into " + shape->name + ": " + error + ".",
                                  MStatus::kInvalidParameter);
    result.SetInt(static_cast<int>(cache.count));
    return MStatus::kSuccess;
}

const CommandRegistrar kReadParticleCache("readParticleCache", Undoable(ReadParticleCacheCommand));
} // namespace
} // namespace vxhost
