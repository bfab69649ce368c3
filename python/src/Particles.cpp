// Per-particle arrays cross into NumPy with a single copy each way: straight
// from the host's array storage into the NumPy buffer, and back.

#include "Particles.h"

#include "commands/ParticleArrays.h"
#include "dg/Scene.h"
#include "dynamics/ParticleCache.h"
#include "dynamics/ParticleNode.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace py = pybind11;

namespace vxpython
{
namespace
{
using Doubles = py::array_t<double, py::array::c_style>;

// A vector array's storage is read and written as N rows of x y z.
static_assert(sizeof(MVector) == 3 * sizeof(double) && std::is_standard_layout_v<MVector>);

// The name Python uses for a shape's array: particleId reads as "id".
std::string KeyOf(const std::string& attribute)
{
    return attribute == "particleId" ? "id" : attribute;
}

// `count` rows of `source`, zeros past its end.
Doubles ToNumpy(const MVectorArray* source, unsigned count)
{
    Doubles out({static_cast<py::ssize_t>(count), py::ssize_t{3}});
    const unsigned copied = source ? std::min(source->length(), count) : 0u;
    double* data = out.mutable_data();
    if (copied > 0)
        std::memcpy(data, source->data(), copied * sizeof(MVector));
    std::fill(data + 3 * copied, data + 3 * count, 0.0);
    return out;
}

Doubles ToNumpy(const MDoubleArray& source)
{
    Doubles out(static_cast<py::ssize_t>(source.length()));
    if (source.length() > 0)
        std::memcpy(out.mutable_data(), source.data(), source.length() * sizeof(double));
    return out;
}

[[noreturn]] void NoParticleObject(const std::string& name)
{
    throw py::value_error("\"" + name + "\" is no particle object.");
}

// One array given to SetParticles, checked and converted to float64.
struct Given
{
    vxhost::ParticleArray array;
    std::string key;
    Doubles values;
    unsigned length = 0;
};

Given Check(const std::string& key, const vxhost::ParticleArray& array, const py::handle& value)
{
    // Not kept in a static: it would outlive the interpreter.
    const py::array raw = py::module_::import("numpy").attr("asarray")(value);
    const char kind = raw.dtype().kind();
    // Booleans, strings, objects and complex numbers are no coordinates.
    if (kind != 'i' && kind != 'u' && kind != 'f')
        throw py::value_error("\"" + key + "\" must hold real numbers (float64), not " +
                              std::string(py::str(raw.dtype())) + ".");
    Given given{array, key, Doubles::ensure(raw), 0};
    const py::buffer_info info = given.values.request();
    const bool fits = array.vector ? info.ndim == 2 && info.shape[1] == 3 : info.ndim == 1;
    if (!fits)
        throw py::value_error("\"" + key + "\" must have shape " + (array.vector ? "(N, 3)" : "(N,)") +
                              ", got " + std::string(py::str(raw.attr("shape"))) + ".");
    if (info.shape[0] > 4294967295)
        throw py::value_error("\"" + key + "\" holds more particles than a particle object can (4294967295).");
    given.length = static_cast<unsigned>(info.shape[0]);
    const double* data = given.values.data();
    const std::size_t size = static_cast<std::size_t>(info.size);
    for (std::size_t i = 0; i < size; ++i)
        if (!std::isfinite(data[i]))
            throw py::value_error("\"" + key + "\" holds " + (std::isnan(data[i]) ? "NaN" : "infinity") +
                                  " (particle " + std::to_string(i / (array.vector ? 3 : 1)) + ").");
    return given;
}

// An array the caller left out when the count changes: cut, or filled as
// emit fills the particles it adds (ids never reused, the fallback for the
// rest). Arrays not in use stay empty.
void Resize(vxhost::Node& shape, const vxhost::ParticleArray& array, unsigned before, unsigned after)
{
    const vxhost::ParticleAttributes& a = vxhost::Particle();
    const vxhost::Attribute* attribute = array.attribute;
    const bool always = attribute == vxhost::Attribute::From(a.velocity) ||
                        attribute == vxhost::Attribute::From(a.age) ||
                        attribute == vxhost::Attribute::From(a.particleId);
    if (array.vector)
    {
        MVectorArray& v = vxhost::VectorArrayAt(shape, attribute);
        if (v.length() != before && !always)
            return;
        const MVector fallback(array.fallback, array.fallback, array.fallback);
        v.setLength(std::min(v.length(), before));
        while (v.length() < after)
            v.append(fallback);
        v.setLength(after);
        return;
    }
    MDoubleArray& d = vxhost::DoubleArrayAt(shape, attribute);
    if (d.length() != before && !always)
        return;
    const bool ids = attribute == vxhost::Attribute::From(a.particleId);
    const unsigned kept = std::min({d.length(), before, after});
    double next = 0.0;
    for (unsigned i = 0; ids && i < kept; ++i)
        next = std::max(next, std::floor(d[i]) + 1.0);
    d.setLength(kept);
    while (d.length() < after)
        d.append(ids ? next++ : array.fallback);
}
} // namespace

py::dict Particles(const std::string& name)
{
    const std::shared_ptr<vxhost::Node> shape = vxhost::FindParticleShape(name);
    if (!shape)
        NoParticleObject(name);
    const vxhost::ParticleAttributes& a = vxhost::Particle();
    const MVectorArray* position = vxhost::EvaluatedVectorArray(*shape, a.position);
    const unsigned count = position ? position->length() : 0u;
    py::dict out;
    out["position"] = ToNumpy(position, count);
    out["velocity"] = ToNumpy(vxhost::EvaluatedVectorArray(*shape, a.velocity), count);
    // Ids missing or short count from 0, as a cache of the shape has them.
    const MDoubleArray* ids = vxhost::EvaluatedDoubleArray(*shape, a.particleId);
    if (ids && ids->length() == count)
        out["id"] = ToNumpy(*ids);
    else
    {
        Doubles counted(static_cast<py::ssize_t>(count));
        for (unsigned i = 0; i < count; ++i)
            counted.mutable_data()[i] = i;
        out["id"] = counted;
    }
    for (const vxhost::ParticleArray& array : vxhost::ParticleArraysOf(*shape))
    {
        const vxhost::Attribute* attribute = array.attribute;
        if (attribute == vxhost::Attribute::From(a.position) || attribute == vxhost::Attribute::From(a.velocity) ||
            attribute == vxhost::Attribute::From(a.particleId))
            continue;
        // Arrays of another length are not per-particle data now; the
        // fields and the caches leave them out too.
        if (array.vector)
        {
            if (const MVectorArray* v = vxhost::EvaluatedVectorArray(*shape, attribute); v && v->length() == count)
                out[py::str(array.attribute->name)] = ToNumpy(v, count);
        }
        else if (const MDoubleArray* d = vxhost::EvaluatedDoubleArray(*shape, attribute); d && d->length() == count)
            out[py::str(array.attribute->name)] = ToNumpy(*d);
    }
    return out;
}

void SetParticles(const std::string& name, const py::dict& arrays)
{
    const std::shared_ptr<vxhost::Node> shape = vxhost::FindParticleShape(name);
    if (!shape)
        NoParticleObject(name);
    const std::vector<vxhost::ParticleArray> known = vxhost::ParticleArraysOf(*shape);
    std::vector<Given> given;
    for (const auto& [keyObject, value] : arrays)
    {
        if (!py::isinstance<py::str>(keyObject))
            throw py::value_error("Array names are strings, not " +
                                  std::string(py::str(py::type::handle_of(keyObject).attr("__name__"))) + ".");
        const std::string key = py::str(keyObject);
        const auto found = std::find_if(known.begin(), known.end(), [&](const vxhost::ParticleArray& array)
                                        { return KeyOf(array.attribute->name) == key; });
        if (found == known.end())
        {
            std::string names;
            for (const vxhost::ParticleArray& array : known)
            {
                if (!names.empty())
                    names += ", ";
                names += KeyOf(array.attribute->name);
            }
            throw py::value_error(shape->name + " has no per-particle array \"" + key + "\" (it has " + names +
                                  "; addAttr adds one).");
        }
        if (vxhost::Scene::Get().SourceOf(*shape, shape->PathTo(found->attribute)))
            throw py::value_error("\"" + key + "\" is connected: " + shape->name + "." + found->attribute->name +
                                  " takes its values from its source.");
        given.push_back(Check(key, *found, value));
    }
    if (given.empty())
        return;

    const vxhost::Attribute* position = vxhost::Attribute::From(vxhost::Particle().position);
    const unsigned before = vxhost::ParticleCount(*shape);
    const auto positionGiven = std::find_if(given.begin(), given.end(),
                                            [&](const Given& g) { return g.array.attribute == position; });
    const unsigned after = positionGiven != given.end() ? positionGiven->length : before;
    for (const Given& g : given)
        if (g.length != after)
            throw py::value_error(
                "\"" + g.key + "\" has " + std::to_string(g.length) + " particles, but " +
                (positionGiven != given.end() ? "\"position\" has " : shape->name + " has ") +
                std::to_string(after) + ": arrays must all have one value per particle.");

    // Every check passed: write, as emit and dynExpression write, into the
    // stored arrays, and tell the graph the scene changed.
    for (const Given& g : given)
    {
        if (g.array.vector)
        {
            MVectorArray& v = vxhost::VectorArrayAt(*shape, g.array.attribute);
            v.setLength(after);
            if (after > 0)
                std::memcpy(static_cast<void*>(v.data()), g.values.data(), after * sizeof(MVector));
        }
        else
        {
            MDoubleArray& d = vxhost::DoubleArrayAt(*shape, g.array.attribute);
            d.setLength(after);
            if (after > 0)
                std::memcpy(d.data(), g.values.data(), after * sizeof(double));
        }
    }
    if (after != before)
        for (const vxhost::ParticleArray& array : known)
            if (std::none_of(given.begin(), given.end(),
                             [&](const Given& g) { return g.array.attribute == array.attribute; }))
                Resize(*shape, array, before, after);
    vxhost::Scene::Get().Touch();
}

py::dict ReadCache(const std::string& path)
{
    vxhost::ParticleCacheFrame frame;
    std::string error;
    if (!vxhost::ReadParticleCacheFile(path, frame, error))
        throw py::value_error(error);
    py::dict out;
    for (const vxhost::CacheChannel& channel : frame.channels)
    {
        const py::str key(KeyOf(channel.name));
        if (const MVectorArray* vectors = std::get_if<MVectorArray>(&channel.values))
            out[key] = ToNumpy(vectors, vectors->length());
        else
            out[key] = ToNumpy(std::get<MDoubleArray>(channel.values));
    }
    return out;
}

void DefineParticles(py::module_& module)
{
    module.def("particles", &Particles, py::arg("name"),
               "particles(name) -> dict of NumPy arrays: the particle object's per-particle arrays now.");
    module.def("set_particles", &SetParticles, py::arg("name"), py::arg("arrays"),
               "set_particles(name, {array: values}): writes per-particle arrays into the particle object.");
    module.def("read_cache", &ReadCache, py::arg("path"),
               "read_cache(path) -> dict of NumPy arrays: one PDC, PLY or CSV particle cache file.");
}

} // namespace vxpython
