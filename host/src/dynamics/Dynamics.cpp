#include "Dynamics.h"

#include "ParticleNode.h"
#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dg/SceneChanges.h"

#include <vxhost/FrameLimits.h>

#include <cmath>
#include <vector>

namespace vxhost
{
/// What a particle system holds at the start frame: every value of the
/// node that is not computed, arrays included.
struct ParticleState
{
    std::map<const Attribute*, std::unique_ptr<DataNode>> values;
};

namespace
{
std::vector<std::shared_ptr<Node>> ParticleSystems()
{
    std::vector<std::shared_ptr<Node>> systems;
    for (const auto& node : Scene::Get().Nodes())
        if (node->cls->typeName == "particle")
            systems.push_back(node);
    return systems;
}

DataNode* Value(Node& node, const MObject& attribute)
{
    return node.Data(node.PathTo(Attribute::From(attribute)));
}

// The array data object of a value, made (and owned by the value) when
// missing, so that integration can write in place.
template <typename Data> Data& ArrayOf(DataNode& value)
{
    if (Data* data = Data::From(value.data))
        return *data;
    auto made = std::make_shared<Data>();
    value.data = MObject(made);
    return *made;
}
} // namespace

Dynamics& Dynamics::Get()
{
    static Dynamics dynamics;
    return dynamics;
}

Dynamics::Dynamics()
{
    Scene::Get().OnDelete(
        [this](Node& node)
        {
            const auto it = fKept.find(&node);
            if (it == fKept.end())
                return;
            // The state a deleted system started from comes back with it.
            if (SceneChanges* record = SceneChanges::Recording())
                record->Toggle(
                    [this, keep = node.Self(),
                     other = std::make_shared<std::unique_ptr<ParticleState>>(std::move(it->second))]
                    {
                        std::swap(fKept[keep.get()], *other);
                        if (!fKept[keep.get()])
                            fKept.erase(keep.get());
                    });
            fKept.erase(it);
        });
    Scene::Get().OnReset([this] { Reset(); });
}

void Dynamics::SetRange(double start, double end)
{
    fStart = start;
    fEnd = end;
    if (fCurrent < fStart)
        fCurrent = fStart;
}

MTime Dynamics::StepTime() const
{
    return MTime(MTime(1.0, MTime::uiUnit()).as(MTime::kSeconds) / fOversampling, MTime::kSeconds);
}

void Dynamics::Reset()
{
    fKept.clear();
    fCurrent = fStart;
}

const std::map<const Attribute*, std::unique_ptr<DataNode>>* Dynamics::KeptValues(const Node& system) const
{
    const auto it = fKept.find(&system);
    return fCurrent > fStart && it != fKept.end() ? &it->second->values : nullptr;
}

MStatus Dynamics::RunHooks(ParticlePhase phase, double frame,
                           const std::vector<std::shared_ptr<Node>>& systems)
{
    for (const ParticleHook& hook : fHooks)
        if (MStatus status = hook(phase, frame, systems); !status)
            return status;
    return MStatus::kSuccess;
}

void Dynamics::Restore()
{
    for (const auto& node : ParticleSystems())
    {
        const auto it = fKept.find(node.get());
        if (it == fKept.end())
            continue;
        for (const auto& [attribute, value] : it->second->values)
            node->values[attribute] = value->Clone();
    }
    Scene::Get().Touch();
}

MStatus Dynamics::SetCurrentFrame(double frame, const std::function<void(double)>& progress)
{
    // Every command checks first; this keeps the loop below finite for any
    // other caller.
    if (const std::string error = FrameLimitError(frame); !error.empty())
        return MStatus(MStatus::kInvalidParameter, error.c_str());
    frame = std::floor(frame);
    if (frame <= fStart || frame < fCurrent)
    {
        Restore();
        fCurrent = frame <= fStart ? frame : fStart;
        Scene::Get().Touch();
        if (frame <= fStart)
            return MStatus::kSuccess;
    }
    while (fCurrent < frame)
    {
        if (fCurrent == fStart || fCurrent < fStart)
        {
            // Keep the state the systems start from.
            const ParticleAttributes& a = Particle();
            const std::vector<std::shared_ptr<Node>> systems = ParticleSystems();
            for (const auto& node : systems)
            {
                // Ages and ids made during the run (by stepping, by emit)
                // must go back too: keep them even while never set.
                Value(*node, a.age);
                Value(*node, a.particleId);
                auto state = std::make_unique<ParticleState>();
                for (const auto& [attribute, value] : node->values)
                    if (!node->cls->IsComputed(attribute))
                        state->values[attribute] = value->Clone();
                fKept[node.get()] = std::move(state);
            }
            if (MStatus status = RunHooks(ParticlePhase::kStartOfRun, fCurrent, systems); !status)
                return status;
        }
        for (int s = 0; s < fOversampling; ++s)
            if (MStatus status = Step(fCurrent + (s + 1.0) / fOversampling); !status)
                return status;
        fCurrent += 1.0;
        Scene::Get().Touch();
        if (progress)
            progress(fCurrent);
    }
    return MStatus::kSuccess;
}

MStatus Dynamics::Step(double frame)
{
    const ParticleAttributes& a = Particle();
    const double dt = StepTime().as(MTime::kSeconds);
    const std::vector<std::shared_ptr<Node>> systems = ParticleSystems();

    // Ages first, so that what runs before the dynamics sees the age the
    // particles reach at the end of this step.
    for (const auto& system : systems)
    {
        const VectorArrayData* positions = VectorArrayData::From(Value(*system, a.position)->data);
        MDoubleArray& ages = ArrayOf<DoubleArrayData>(*Value(*system, a.age)).value;
        const unsigned count = positions ? positions->value.length() : 0u;
        if (ages.length() < count)
            ages.setLength(count); // new entries are zero: born now
        for (unsigned i = 0; i < ages.length(); ++i)
            ages[i] += dt;
    }
    if (MStatus status = RunHooks(ParticlePhase::kBeforeDynamics, frame, systems); !status)
        return status;

    // Every force first, from one state of the scene; then every system moves.
    std::vector<MVectorArray> forces(systems.size());
    for (std::size_t s = 0; s < systems.size(); ++s)
    {
        Node& node = *systems[s];
        PlugPath path = node.PathTo(Attribute::From(a.inputForce));
        const DataNode* array = node.FindData(path);
        if (!array)
            continue;
        std::vector<unsigned> indices;
        for (const auto& entry : array->elements)
            indices.push_back(entry.first);
        for (const unsigned index : indices)
        {
            path.back().index = static_cast<int>(index);
            if (!Scene::Get().SourceOf(node, path))
                continue;
            MStatus status;
            const DataNode* value = node.Evaluate(path, status);
            if (!status)
                return status;
            const VectorArrayData* force = VectorArrayData::From(value->data);
            if (!force)
                continue;
            MVectorArray& sum = forces[s];
            if (sum.length() < force->value.length())
                sum.setLength(force->value.length());
            for (unsigned i = 0; i < force->value.length(); ++i)
                sum[i] += force->value[i];
        }
    }

    for (std::size_t s = 0; s < systems.size(); ++s)
    {
        Node& node = *systems[s];
        if (!Value(node, a.isDynamic)->numbers[0])
            continue;
        MVectorArray& positions = ArrayOf<VectorArrayData>(*Value(node, a.position)).value;
        MVectorArray& velocities = ArrayOf<VectorArrayData>(*Value(node, a.velocity)).value;
        const MDoubleArray& mass = ArrayOf<DoubleArrayData>(*Value(node, a.mass)).value;
        const double conserve = Value(node, a.conserve)->numbers[0];
        const unsigned count = positions.length();
        if (velocities.length() < count)
            velocities.setLength(count);
        const MVectorArray& force = forces[s];
        for (unsigned i = 0; i < count; ++i)
        {
            MVector v = velocities[i] * conserve;
            if (i < force.length())
                v += force[i] * (dt / (i < mass.length() && mass[i] > 0.0 ? mass[i] : 1.0));
            velocities[i] = v;
            positions[i] += v * dt;
        }
    }
    Scene::Get().Touch();
    return RunHooks(ParticlePhase::kAfterDynamics, frame, systems);
}
} // namespace vxhost
