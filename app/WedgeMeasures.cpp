#include "WedgeMeasures.h"

#include "SceneRun.h"

#include "commands/ParticleArrays.h"
#include "dg/Scene.h"
#include "dynamics/ParticleNode.h"

#include <EntityData.h>
#include <maya/MFnMatrixData.h>
#include <maya/MPlug.h>
#include <vxhost/CommandEngine.h>

#include <nlohmann/json.hpp>

#include <cmath>

namespace
{
vxhost::CommandResult Call(const std::string& command, std::vector<vxhost::ScriptArgument> arguments,
                           bool& ok)
{
    vxhost::CommandResult result;
    ok = static_cast<bool>(
        vxhost::CommandEngine::Instance().InvokeCommand(CommandStatement(command, std::move(arguments)), result));
    return result;
}

// The mean distance from the particles to each target locator's transform.
nlohmann::ordered_json TargetDistances(const std::vector<MVector>& positions)
{
    using Kind = vxhost::ScriptArgument::Kind;
    nlohmann::ordered_json targets = nlohmann::ordered_json::object();
    for (const auto& node : vxhost::Scene::Get().Nodes())
    {
        if (node->cls->typeName != "QF_VX_targetLocatorNode")
            continue;
        bool ok = false;
        const vxhost::CommandResult parent = Call("listRelatives", {{Kind::kFlag, "p"}, {Kind::kString, node->name}}, ok);
        if (!ok || parent.Strings().size() != 1)
            continue;
        const vxhost::CommandResult where =
            Call("xform", {{Kind::kFlag, "q"}, {Kind::kFlag, "ws"}, {Kind::kFlag, "t"}, {Kind::kString, parent.Strings()[0]}},
                 ok);
        if (!ok || where.Doubles().size() != 3)
            continue;
        const MVector target(where.Doubles()[0], where.Doubles()[1], where.Doubles()[2]);
        double distances = 0.0;
        for (const MVector& p : positions)
            distances += (p - target).length();
        targets[parent.Strings()[0]] = positions.empty() ? 0.0 : distances / static_cast<double>(positions.size());
    }
    return targets;
}

// A field's obstacles as the solver builds them from its "obstacle" array:
// a locator's matrix, type and size, or a mesh.
void GatherObstacles(const std::shared_ptr<vxhost::Node>& field, EntityData& data)
{
    const vxhost::Attribute* attribute = field->FindAttribute("obstacle");
    if (!attribute)
        return;
    MPlug array(field, field->PathTo(attribute));
    MStatus status;
    const unsigned elements = array.evaluateNumElements(&status);
    for (unsigned k = 0; status && k < elements; ++k)
    {
        const MPlug element = array.elementByPhysicalIndex(k);
        // worldMatrix, volumeType, volumeData (width, height, depth), mesh.
        const MPlug matrixPlug = element.child(0);
        const MPlug meshPlug = element.child(3);
        if (matrixPlug.isConnected() == meshPlug.isConnected())
            continue;
        data.count += 1;
        data.weights.append(1.0);
        data.volumeTypes.append(element.child(1).asInt());
        if (matrixPlug.isConnected())
        {
            const MPlug size = element.child(2);
            data.AppendTransform(MFnMatrixData(matrixPlug.asMObject()).matrix());
            data.volumeDimensions.append(MPoint(size.child(0).asMDistance().asCentimeters(),
                                                size.child(1).asMDistance().asCentimeters(),
                                                size.child(2).asMDistance().asCentimeters(), 1.0));
            continue;
        }
        data.AppendTransform(MMatrix());
        data.meshes[data.meshes.length() - 1] = meshPlug.asMObject();
        data.volumeDimensions.append(MPoint(0.0, 0.0, 0.0, 1.0));
    }
}
} // namespace

FlockState CurrentFlock()
{
    const vxhost::ParticleAttributes& a = vxhost::Particle();
    FlockState flock;
    for (const auto& node : vxhost::Scene::Get().Nodes())
    {
        if (node->cls->typeName != "particle")
            continue;
        const MVectorArray* position = vxhost::EvaluatedVectorArray(*node, a.position);
        const MVectorArray* velocity = vxhost::EvaluatedVectorArray(*node, a.velocity);
        for (unsigned i = 0; position && i < position->length(); ++i)
        {
            flock.positions.push_back((*position)[i]);
            flock.velocities.push_back(velocity && i < velocity->length() ? (*velocity)[i] : MVector());
        }
    }
    return flock;
}

unsigned ParticlesInsideObstacles(const std::vector<MVector>& positions)
{
    EntityData obstacles;
    for (const auto& node : vxhost::Scene::Get().Nodes())
        if (node->cls->typeName == "particleVolarix")
            GatherObstacles(node, obstacles);
    obstacles.BuildVolumes();
    unsigned inside = 0;
    for (const MVector& p : positions)
        for (const std::unique_ptr<Volume>& volume : obstacles.volumes)
            if (volume && volume->IsPointInVolume(MPoint(p)))
            {
                ++inside;
                break;
            }
    return inside;
}

std::string MeasureFlock()
{
    const FlockState flock = CurrentFlock();
    const double count = static_cast<double>(flock.positions.size());
    MVector centre;
    double speeds = 0.0;
    for (std::size_t i = 0; i < flock.positions.size(); ++i)
    {
        centre += flock.positions[i];
        speeds += flock.velocities[i].length();
    }
    if (count > 0.0)
        centre /= count;
    double squares = 0.0;
    for (const MVector& p : flock.positions)
        squares += (p - centre) * (p - centre);
    const nlohmann::ordered_json j = {{"particles", flock.positions.size()},
                                      {"meanSpeed", count > 0.0 ? speeds / count : 0.0},
                                      {"spread", count > 0.0 ? std::sqrt(squares / count) : 0.0},
                                      {"centre", {centre.x, centre.y, centre.z}},
                                      {"meanDistanceToTarget", TargetDistances(flock.positions)},
                                      {"insideObstacles", ParticlesInsideObstacles(flock.positions)}};
    return j.dump(2) + "\n";
}
