#include "TrailRecorder.h"

#include "commands/ParticleArrays.h"
#include "dg/Scene.h"
#include "dynamics/ParticleNode.h"

#include <algorithm>

void TrailRecorder::Record()
{
    struct Shape
    {
        const std::string* name;
        const MVectorArray* positions;
        const MDoubleArray* ids;
        unsigned count;
    };
    std::vector<Shape> shapes;
    std::uint64_t total = 0;
    const vxhost::ParticleAttributes& a = vxhost::Particle();
    for (const auto& node : vxhost::Scene::Get().Nodes())
    {
        if (!node->cls->IsA("particle"))
            continue;
        const MVectorArray* positions = vxhost::EvaluatedVectorArray(*node, a.position);
        const MDoubleArray* ids = vxhost::EvaluatedDoubleArray(*node, a.particleId);
        if (positions && ids)
        {
            shapes.push_back({&node->name, positions, ids, std::min(positions->length(), ids->length())});
            total += shapes.back().count;
        }
    }
    if (fStride == 0 && total > 0)
        fStride = std::max<std::uint64_t>(1, (total + fWanted - 1) / fWanted);
    for (const Shape& shape : shapes)
        for (unsigned i = 0; i < shape.count; ++i)
        {
            const double id = (*shape.ids)[i];
            if (!(id >= 0.0 && id < 9e15) || static_cast<std::uint64_t>(id) % fStride != 0)
                continue;
            fTrails[{*shape.name, static_cast<std::int64_t>(id)}].push_back(MPoint((*shape.positions)[i]));
        }
}

std::vector<std::vector<MPoint>> TrailRecorder::Trails() const
{
    std::vector<std::vector<MPoint>> trails;
    for (const auto& [key, points] : fTrails)
        if (points.size() > 1)
            trails.push_back(points);
    return trails;
}
