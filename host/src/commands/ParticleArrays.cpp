#include "ParticleArrays.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dynamics/ParticleNode.h"

#include <maya/MFnData.h>

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
} // namespace

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

MDoubleArray& DoubleArrayAt(Node& shape, const Attribute* attribute)
{
    return DataAt<DoubleArrayData>(shape, attribute).value;
}

MVectorArray& VectorArrayAt(Node& shape, const Attribute* attribute)
{
    return DataAt<VectorArrayData>(shape, attribute).value;
}
} // namespace vxhost
