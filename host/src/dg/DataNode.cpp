#include "DataNode.h"

#include "DataObjects.h"

#include <algorithm>
#include <cstring>

namespace vxhost
{
DataNode::DataNode(const Attribute* attr, bool asArray) : attribute(attr), isArray(asArray)
{
    if (isArray)
        return;
    std::copy(std::begin(attr->defaults), std::end(attr->defaults), numbers);
    // A typed attribute made without a default holds no data until it is
    // set or connected: its value reads as a null MObject, as in Maya.
    if (attr->defaultData.HostImpl())
        data = CloneData(attr->defaultData);
    children.reserve(attr->children.size());
    for (const auto& child : attr->children)
        children.emplace_back(child.get(), child->array);
}

DataNode& DataNode::Element(unsigned index)
{
    std::unique_ptr<DataNode>& slot = elements[index];
    if (!slot)
        slot = std::make_unique<DataNode>(attribute, false);
    return *slot;
}

DataNode* DataNode::FindElement(unsigned index) const
{
    const auto it = elements.find(index);
    return it == elements.end() ? nullptr : it->second.get();
}

void DataNode::CopyValue(const DataNode& source)
{
    if (&source == this)
        return;
    std::copy(std::begin(source.numbers), std::end(source.numbers), numbers);
    matrix = source.matrix;
    data = source.data;
    text = source.text;
    if (attribute->kind == AttributeKind::kMatrix && source.attribute->kind == AttributeKind::kTyped)
        matrix = MatrixOf(source.data);
    else if (attribute->kind == AttributeKind::kTyped && source.attribute->kind == AttributeKind::kMatrix)
        data = NewMatrixData(source.matrix);
    const std::size_t n = std::min(children.size(), source.children.size());
    for (std::size_t i = 0; i < n; ++i)
        children[i].CopyValue(source.children[i]);
    if (isArray && source.isArray)
    {
        elements.clear();
        for (const auto& [index, element] : source.elements)
            Element(index).CopyValue(*element);
    }
}

MObject DataNode::DataObject() const
{
    if (attribute->kind == AttributeKind::kMatrix)
        return NewMatrixData(matrix);
    return data;
}

namespace
{
void CloneInto(const DataNode& from, DataNode& to)
{
    std::copy(std::begin(from.numbers), std::end(from.numbers), to.numbers);
    to.matrix = from.matrix;
    to.data = CloneData(from.data);
    to.text = from.text;
    to.computedAt = from.computedAt;
    to.children.clear();
    to.children.reserve(from.children.size());
    for (const DataNode& child : from.children)
        CloneInto(child, to.children.emplace_back(child.attribute, child.isArray));
    to.elements.clear();
    for (const auto& [index, element] : from.elements)
    {
        auto& slot = to.elements[index];
        slot = std::make_unique<DataNode>(element->attribute, element->isArray);
        CloneInto(*element, *slot);
    }
}
} // namespace

std::unique_ptr<DataNode> DataNode::Clone() const
{
    auto copy = std::make_unique<DataNode>(attribute, isArray);
    CloneInto(*this, *copy);
    return copy;
}

std::size_t DataNode::Bytes() const
{
    std::size_t bytes = sizeof(DataNode) + text.size() + DataBytes(data);
    for (const DataNode& child : children)
        bytes += child.Bytes();
    for (const auto& element : elements)
        bytes += element.second->Bytes();
    return bytes;
}

bool DataNode::SameValue(const DataNode& other) const
{
    // Bit for bit: -0 is not 0 to a saved scene.
    if (attribute != other.attribute || isArray != other.isArray ||
        std::memcmp(&matrix, &other.matrix, sizeof matrix) != 0 || text != other.text ||
        std::memcmp(numbers, other.numbers, sizeof numbers) != 0 ||
        !SameData(data, other.data) || children.size() != other.children.size() ||
        elements.size() != other.elements.size())
        return false;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (!children[i].SameValue(other.children[i]))
            return false;
    auto theirs = other.elements.begin();
    for (const auto& [index, element] : elements)
    {
        if (index != theirs->first || !element->SameValue(*theirs->second))
            return false;
        ++theirs;
    }
    return true;
}
} // namespace vxhost
