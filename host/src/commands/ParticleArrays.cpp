#include "ParticleArrays.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/ParticleNode.h"

#include <maya/MFnData.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <utility>

#include <sys/resource.h>
#include <unistd.h>

namespace vxhost
{
namespace
{
template <typename Data> Data& DataAt(Node& shape, const Attribute* attribute)
{
    DataNode* value = shape.Data(shape.PathTo(attribute));
    if (Data* data = Data::From(value->data))
        return *data;
    auto made = std::make_shared<Data>();
    value->data = MObject(made);
    return *made;
}

template <typename Data> const auto* EvaluatedArray(Node& shape, const Attribute* attribute)
{
    MStatus status;
    const DataNode* value = shape.Evaluate(shape.PathTo(attribute), status);
    const Data* data = status && value ? Data::From(value->data) : nullptr;
    return data ? &data->value : nullptr;
}
} // namespace

const MVectorArray* EvaluatedVectorArray(Node& shape, const MObject& attribute)
{
    return EvaluatedArray<VectorArrayData>(shape, Attribute::From(attribute));
}

const MDoubleArray* EvaluatedDoubleArray(Node& shape, const MObject& attribute)
{
    return EvaluatedArray<DoubleArrayData>(shape, Attribute::From(attribute));
}

const MVectorArray* EvaluatedVectorArray(Node& shape, const Attribute* attribute)
{
    return EvaluatedArray<VectorArrayData>(shape, attribute);
}

const MDoubleArray* EvaluatedDoubleArray(Node& shape, const Attribute* attribute)
{
    return EvaluatedArray<DoubleArrayData>(shape, attribute);
}

std::vector<ParticleArray> ParticleArraysOf(const Node& shape)
{
    std::vector<const Attribute*> attributes;
    shape.cls->TopLevel(attributes);
    for (const auto& dynamic : shape.dynamicAttributes)
        attributes.push_back(dynamic.get());
    const Attribute* mass = Attribute::From(Particle().mass);
    std::vector<ParticleArray> arrays;
    for (const Attribute* attribute : attributes)
    {
        if (attribute->kind != AttributeKind::kTyped || attribute->array || !attribute->writable ||
            !attribute->storable || shape.cls->IsComputed(attribute))
            continue;
        if (attribute->dataType != MFnData::kDoubleArray && attribute->dataType != MFnData::kVectorArray)
            continue;
        arrays.push_back(
            {attribute, attribute->dataType == MFnData::kVectorArray, attribute == mass ? 1.0 : 0.0});
    }
    return arrays;
}

std::shared_ptr<Node> FindParticleShape(const std::string& name)
{
    std::shared_ptr<Node> node = Scene::Get().Find(name);
    if (node && node->cls->typeName != "particle")
        for (const auto& child : node->children)
            if (child->cls->typeName == "particle")
                return child;
    return node && node->cls->typeName == "particle" ? node : nullptr;
}

unsigned ParticleCount(Node& shape)
{
    const DataNode* value = shape.FindData(shape.PathTo(Attribute::From(Particle().position)));
    const VectorArrayData* positions = value ? VectorArrayData::From(value->data) : nullptr;
    return positions ? positions->value.length() : 0u;
}

namespace
{
// A number of bytes from a file of one (cgroup limits); `max`, a missing
// file or anything unreadable is no limit.
double LimitIn(const char* path)
{
    std::ifstream file(path);
    double value = 0.0;
    if (!(file >> value) || value <= 0.0 || value >= 9e18)
        return std::numeric_limits<double>::infinity();
    return value;
}

// The bytes this process has mapped now, which RLIMIT_AS counts.
double MappedBytes()
{
    std::ifstream statm("/proc/self/statm");
    double pages = 0.0;
    statm >> pages;
    return pages * static_cast<double>(sysconf(_SC_PAGESIZE));
}
} // namespace

double AvailableMemory()
{
    double available = -1.0;
    {
        std::ifstream meminfo("/proc/meminfo");
        std::string key;
        double kilobytes = 0.0;
        std::string unit;
        while (meminfo >> key >> kilobytes >> unit)
            if (key == "MemAvailable:")
            {
                available = kilobytes * 1024.0;
                break;
            }
    }
    if (available < 0.0)
        available = static_cast<double>(sysconf(_SC_AVPHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
    // The machine may have memory the process may not take: its address
    // space limit (ulimit -v) and its cgroup's limit (a container's) count
    // too, less what is in use under each.
    if (rlimit limit; getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        available = std::min(available, std::max(0.0, static_cast<double>(limit.rlim_cur) - MappedBytes()));
    for (const auto& [limitFile, usedFile] :
         {std::pair{"/sys/fs/cgroup/memory.max", "/sys/fs/cgroup/memory.current"},
          std::pair{"/sys/fs/cgroup/memory/memory.limit_in_bytes", "/sys/fs/cgroup/memory/memory.usage_in_bytes"}})
    {
        const double limit = LimitIn(limitFile);
        const double used = LimitIn(usedFile);
        if (std::isfinite(limit))
            available = std::min(available, std::max(0.0, limit - (std::isfinite(used) ? used : 0.0)));
    }
    return available;
}

std::string FormatGigabytes(double bytes)
{
    char text[32];
    const double gigabytes = bytes / (1024.0 * 1024.0 * 1024.0);
    std::snprintf(text, sizeof(text), gigabytes < 1e9 ? "%.1f GB" : "%.3g GB", gigabytes);
    return text;
}

std::string CheckParticleMemory(double adding)
{
    double total = adding;
    for (const auto& node : Scene::Get().Nodes())
        if (node->cls->typeName == "particle")
            total += ParticleCount(*node);
    const double needed = total * kBytesPerParticle;
    const double available = AvailableMemory();
    // Array lengths are unsigned, whatever the memory.
    if (total <= 4294967295.0 && needed <= available)
        return std::string();
    char count[32];
    std::snprintf(count, sizeof(count), total < 1e12 ? "%.0f" : "%.3g", total);
    return std::string(count) + " particles would need about " + FormatGigabytes(needed) + " of memory (" +
           std::to_string(static_cast<int>(kBytesPerParticle)) + " bytes each), but " + FormatGigabytes(available) +
           (total > 4294967295.0 ? " is available and a particle object holds at most 4294967295."
                                 : " is available.");
}

MDoubleArray& DoubleArrayAt(Node& shape, const Attribute* attribute)
{
    return DataAt<DoubleArrayData>(shape, attribute).value;
}

MVectorArray& VectorArrayAt(Node& shape, const Attribute* attribute)
{
    return DataAt<VectorArrayData>(shape, attribute).value;
}
} // namespace vxhost
