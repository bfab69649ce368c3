#include "Dynamics.h"

#include "ParticleNode.h"
#include "commands/DynExpression.h"
#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dg/SceneChanges.h"

#include <maya/MGlobal.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/FrameLimits.h>

#include <cmath>
#include <new>
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

bool IsFinite(const MVector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Past this a value's square (or its product with anything above one)
// overflows: about the square root of the largest double.
constexpr double kOverflowing = 1e154;

// The first stored number of `node` beyond a finite range, as
// "node.attribute is VALUE"; empty when none.
std::string OverflowingValue(const Node& node, const DataNode& value)
{
    const Attribute* attribute = value.attribute;
    if (attribute && (attribute->kind == AttributeKind::kNumeric || attribute->kind == AttributeKind::kUnit) &&
        !value.isArray && value.children.empty())
        for (unsigned c = 0; c < attribute->ComponentCount() && c < 3; ++c)
            if (!std::isfinite(value.numbers[c]) || std::fabs(value.numbers[c]) > kOverflowing)
                return node.name + "." + attribute->name + " is " + FormatDouble(value.numbers[c]);
    for (const DataNode& child : value.children)
        if (std::string found = OverflowingValue(node, child); !found.empty())
            return found;
    for (const auto& [index, element] : value.elements)
        if (std::string found = OverflowingValue(node, *element); !found.empty())
            return found;
    return std::string();
}

// The stored values of `node`'s top-level attributes in attribute order,
// so that the first found is the same run after run.
template <typename Visit> void InAttributeOrder(const Node& node,
                                                const std::map<const Attribute*, std::unique_ptr<DataNode>>& values,
                                                const Visit& visit)
{
    std::vector<const Attribute*> attributes;
    node.AllAttributes(attributes);
    for (const Attribute* attribute : attributes)
        if (const auto found = values.find(attribute); attribute->parent == nullptr && found != values.end())
            if (visit(*found->second))
                return;
}

std::string OverflowingValue(const Node& node)
{
    std::string found;
    InAttributeOrder(node, node.values,
                     [&](const DataNode& value)
                     {
                         found = OverflowingValue(node, value);
                         return !found.empty();
                     });
    return found;
}

// The first per-particle array among `values` holding a NaN or an
// infinity, leaving out position and velocity unless `all`.
std::string NonFiniteArray(const Node& system, const std::map<const Attribute*, std::unique_ptr<DataNode>>& values,
                           bool all)
{
    const ParticleAttributes& a = Particle();
    std::string found;
    InAttributeOrder(system, values,
                     [&](const DataNode& value)
                     {
                         if (!all && (value.attribute == Attribute::From(a.position) ||
                                      value.attribute == Attribute::From(a.velocity)))
                             return false;
                         const DoubleArrayData* doubles = DoubleArrayData::From(value.data);
                         const VectorArrayData* vectors = VectorArrayData::From(value.data);
                         bool bad = false;
                         for (unsigned i = 0; doubles && !bad && i < doubles->value.length(); ++i)
                             bad = !std::isfinite(doubles->value[i]);
                         for (unsigned i = 0; vectors && !bad && i < vectors->value.length(); ++i)
                             bad = !IsFinite(vectors->value[i]);
                         if (bad)
                             found = system.name + "." + value.attribute->name;
                         return bad;
                     });
    return found;
}

// Why a system's particles may have become non-finite: a number set beyond
// a finite range on a field that drives it, on what feeds that field, or
// on the system itself; else non-finite values it started from (a cache
// read, a value set), its runtime expressions, or another array of it.
std::string LikeliestNonFiniteCause(Node& system, const ParticleState* kept)
{
    std::vector<const Node*> culprits;
    const Scene& scene = Scene::Get();
    for (const Connection& c : scene.Connections())
        if (c.destination.get() == &system && c.source->cls->IsA("field"))
        {
            culprits.push_back(c.source.get());
            for (const Connection& feed : scene.Connections())
                if (feed.destination == c.source)
                    culprits.push_back(feed.source.get());
        }
    culprits.push_back(&system);
    for (const Node* culprit : culprits)
        if (std::string found = OverflowingValue(*culprit); !found.empty())
            return found + ", so large that its square or its product with another value overflows";
    if (kept)
        if (std::string found = NonFiniteArray(system, kept->values, true); !found.empty())
            return found + " was non-finite already at the start frame (read from a cache, or set)";
    for (const ExpressionKind kind : {ExpressionKind::kBeforeDynamics, ExpressionKind::kAfterDynamics})
        if (!ParticleExpression(system, kind).empty())
            return "the runtime expression of " + system.name + " (dynExpression -" + ExpressionKindFlag(kind) +
                   "), which runs every step, made a NaN or an infinity";
    if (std::string found = NonFiniteArray(system, system.values, false); !found.empty())
        return found + " holds non-finite values (set by an expression, or read from a cache)";
    return "no attribute of " + system.name + " or of its fields is beyond a finite range";
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
    fNonFiniteReported.clear();
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
    // A run from the start again is a run of its own: its non-finite
    // particles are reported afresh.
    fNonFiniteReported.clear();
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
            if (MStatus status = GuardedStep(fCurrent + (s + 1.0) / fOversampling); !status)
                return status;
        fCurrent += 1.0;
        Scene::Get().Touch();
        if (progress)
            progress(fCurrent);
    }
    return MStatus::kSuccess;
}

MStatus Dynamics::GuardedStep(double frame)
{
    // Nothing thrown in a step (by the host's own containers, by a hook)
    // may end the process: the step fails, as a failing compute does.
    try
    {
        return Step(frame);
    }
    catch (const std::bad_alloc&)
    {
        return MStatus(MStatus::kInsufficientMemory,
                       MString(("out of memory while stepping to frame " + FormatDouble(std::ceil(frame))).c_str()));
    }
    catch (const std::exception& e)
    {
        return MStatus(MStatus::kFailure,
                       MString(("stepping to frame " + FormatDouble(std::ceil(frame)) + " failed: " + e.what()).c_str()));
    }
}

void Dynamics::ReportNonFinite(Node& system, unsigned count, double frame)
{
    if (!fNonFiniteReported.insert(&system).second)
        return;
    const auto kept = fKept.find(&system);
    MGlobal::displayError(MString((system.name + ": " + std::to_string(count) + " particle" +
                                   (count == 1 ? "" : "s") + " became non-finite (NaN or infinite) at frame " +
                                   FormatDouble(std::ceil(frame)) + "; the likeliest cause: " +
                                   LikeliestNonFiniteCause(system, kept == fKept.end() ? nullptr : kept->second.get()) +
                                   ".")
                                      .c_str()));
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

    // Every force first, from one state of the scene; then every system
    // moves. The fields' arrays are summed particle by particle as each
    // moves, in the order an array of sums would add them (from zero, field
    // by field): the same numbers, without an array of a million sums to
    // allocate and fill every step.
    fForces.resize(systems.size());
    for (std::size_t s = 0; s < systems.size(); ++s)
    {
        Node& node = *systems[s];
        std::vector<MObject>& forces = fForces[s];
        forces.clear();
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
            // Held, not copied: the array stays alive whatever the graph
            // does with the plug's value before the systems move.
            if (VectorArrayData::From(value->data))
                forces.push_back(value->data);
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
        fForceArrays.clear();
        for (const MObject& force : fForces[s])
            fForceArrays.push_back(&VectorArrayData::From(force)->value);
        unsigned nonFinite = 0;
        for (unsigned i = 0; i < count; ++i)
        {
            MVector v = velocities[i] * conserve;
            MVector force;
            bool forced = false;
            for (const MVectorArray* array : fForceArrays)
                if (i < array->length())
                {
                    force += (*array)[i];
                    forced = true;
                }
            if (forced)
                v += force * (dt / (i < mass.length() && mass[i] > 0.0 ? mass[i] : 1.0));
            velocities[i] = v;
            positions[i] += v * dt;
            nonFinite += IsFinite(v) && IsFinite(positions[i]) ? 0u : 1u;
        }
        if (nonFinite > 0)
            ReportNonFinite(node, nonFinite, frame);
    }
    // The forces go with the step: nothing holds a field's array past it.
    for (std::vector<MObject>& forces : fForces)
        forces.clear();
    Scene::Get().Touch();
    return RunHooks(ParticlePhase::kAfterDynamics, frame, systems);
}

unsigned NonFiniteParticles(Node& system)
{
    const ParticleAttributes& a = Particle();
    const DataNode* p = system.FindData(system.PathTo(Attribute::From(a.position)));
    const DataNode* v = system.FindData(system.PathTo(Attribute::From(a.velocity)));
    const VectorArrayData* positions = p ? VectorArrayData::From(p->data) : nullptr;
    const VectorArrayData* velocities = v ? VectorArrayData::From(v->data) : nullptr;
    unsigned count = 0;
    for (unsigned i = 0; positions && i < positions->value.length(); ++i)
    {
        const MVector& q = positions->value[i];
        const MVector w = velocities && i < velocities->value.length() ? velocities->value[i] : MVector();
        count += IsFinite(q) && IsFinite(w) ? 0u : 1u;
    }
    return count;
}
} // namespace vxhost
