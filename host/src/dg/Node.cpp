#include "Node.h"

#include "BuiltinNodes.h"
#include "Scene.h"
#include "SceneChanges.h"

#include <maya/MDataBlock.h>
#include <maya/MGlobal.h>

#include <cmath>
#include <exception>
#include <new>

namespace vxhost
{
namespace
{
// Deeper than any sensible chain of connections: a cycle.
constexpr int kMaxEvaluationDepth = 256;

void Flatten(const Attribute& attribute, std::vector<const Attribute*>& out)
{
    out.push_back(&attribute);
    for (const auto& child : attribute.children)
        Flatten(*child, out);
}

const Attribute* Root(const Attribute* attribute)
{
    while (attribute->parent)
        attribute = attribute->parent;
    return attribute;
}
} // namespace

Node::Node(const NodeClass* nodeClass, std::string nodeName) : cls(nodeClass), name(std::move(nodeName))
{
}

Node::~Node() = default;

const Attribute* Node::FindAttribute(std::string_view attributeName) const
{
    if (const Attribute* found = cls->Find(attributeName))
        return found;
    const auto found = fDynamicNames.find(std::string(attributeName));
    return found == fDynamicNames.end() ? nullptr : found->second;
}

void Node::IndexNames(const Attribute& attribute)
{
    fDynamicNames.emplace(attribute.name, &attribute);
    fDynamicNames.emplace(attribute.shortName, &attribute);
    for (const auto& child : attribute.children)
        IndexNames(*child);
}

void Node::IndexDynamicAttributes()
{
    fDynamicNames.clear();
    for (const auto& attribute : dynamicAttributes)
        IndexNames(*attribute);
}

bool Node::Owns(const Attribute* attribute) const
{
    if (!attribute)
        return false;
    if (cls->Owns(attribute))
        return true;
    const Attribute* root = Root(attribute);
    for (const auto& a : dynamicAttributes)
        if (a.get() == root)
            return true;
    return false;
}

void Node::AllAttributes(std::vector<const Attribute*>& out) const
{
    std::vector<const Attribute*> top;
    cls->TopLevel(top);
    for (const auto& a : dynamicAttributes)
        top.push_back(a.get());
    for (const Attribute* a : top)
        Flatten(*a, out);
}

PlugPath Node::PathTo(const Attribute* attribute) const
{
    PlugPath path;
    for (const Attribute* a = attribute; a; a = a->parent)
        path.insert(path.begin(), PlugStep{a, -1});
    return path;
}

MStatus Node::AddDynamicAttribute(const std::shared_ptr<Attribute>& attribute)
{
    if (!attribute || attribute->parent || attribute->added)
        return MStatus(MStatus::kInvalidParameter, "the attribute is already part of a node");
    std::vector<const Attribute*> all;
    Flatten(*attribute, all);
    for (const Attribute* a : all)
        if (FindAttribute(a->name) || FindAttribute(a->shortName))
            return MStatus(MStatus::kInvalidParameter,
                           MString("the node already has an attribute named ") + a->name.c_str());
    attribute->added = true;
    attribute->dynamic = true;
    dynamicAttributes.push_back(attribute);
    IndexNames(*attribute);
    if (SceneChanges* record = SceneChanges::Recording())
        record->AttributeChanged(*this, attribute, dynamicAttributes.size() - 1);
    Scene::Get().Touch();
    return MStatus::kSuccess;
}

MStatus Node::RemoveDynamicAttribute(const Attribute* attribute)
{
    for (auto it = dynamicAttributes.begin(); it != dynamicAttributes.end(); ++it)
        if (it->get() == attribute)
        {
            // Copied first: each disconnection moves the connections after it.
            std::vector<Connection> gone;
            for (const Connection* c : Scene::Get().ConnectionsAt(*this, PathTo(attribute), true, true, true))
                gone.push_back(*c);
            for (const Connection& c : gone)
                Scene::Get().Disconnect(MPlug(c.source, c.sourcePath), MPlug(c.destination, c.destinationPath));
            SceneChanges* record = SceneChanges::Recording();
            if (record)
                record->ValueReached(*this, attribute);
            values.erase(attribute);
            const std::shared_ptr<Attribute> removed = *it;
            const auto index = static_cast<std::size_t>(it - dynamicAttributes.begin());
            dynamicAttributes.erase(it);
            IndexDynamicAttributes();
            if (record)
                record->AttributeChanged(*this, removed, index);
            Scene::Get().Touch();
            return MStatus::kSuccess;
        }
    return MStatus(MStatus::kInvalidParameter, "no such dynamic attribute");
}

DataNode* Node::Data(const PlugPath& path)
{
    if (path.empty() || path[0].attribute->parent || !Owns(path[0].attribute))
        return nullptr;
    // Whoever asks for a value to change may change it: keep it for undo.
    if (SceneChanges* record = SceneChanges::Recording())
        record->ValueReached(*this, path[0].attribute);
    std::unique_ptr<DataNode>& slot = values[path[0].attribute];
    if (!slot)
        slot = std::make_unique<DataNode>(path[0].attribute, path[0].attribute->array);
    DataNode* data = slot.get();
    for (std::size_t i = 0; i < path.size(); ++i)
    {
        const PlugStep& step = path[i];
        if (i > 0)
        {
            const int child = data->isArray ? -1 : data->attribute->ChildIndex(step.attribute);
            if (child < 0)
                return nullptr;
            data = &data->children[static_cast<std::size_t>(child)];
        }
        if (step.attribute->array)
        {
            if (step.index >= 0)
                data = &data->Element(static_cast<unsigned>(step.index));
            else if (i + 1 < path.size())
                return nullptr;
        }
    }
    return data;
}

DataNode* Node::FindData(const PlugPath& path) const
{
    if (path.empty())
        return nullptr;
    const auto it = values.find(path[0].attribute);
    if (it == values.end())
        return nullptr;
    DataNode* data = it->second.get();
    for (std::size_t i = 0; i < path.size() && data; ++i)
    {
        const PlugStep& step = path[i];
        if (i > 0)
        {
            const int child = data->isArray ? -1 : data->attribute->ChildIndex(step.attribute);
            if (child < 0)
                return nullptr;
            data = &data->children[static_cast<std::size_t>(child)];
        }
        if (step.attribute->array && step.index >= 0)
            data = data->FindElement(static_cast<unsigned>(step.index));
    }
    return data;
}

std::size_t Node::ConnectedAncestor(const PlugPath& path) const
{
    const Scene& scene = Scene::Get();
    for (std::size_t length = path.size(); length > 0; --length)
    {
        PlugPath prefix(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(length));
        if (length < path.size() && scene.SourceOf(*this, prefix))
            return length;
        if (prefix.back().index >= 0)
        {
            prefix.back().index = -1;
            if (scene.SourceOf(*this, prefix))
                return length;
        }
    }
    return 0;
}

DataNode* Node::TupleValue(const PlugPath& path, unsigned& outComponent)
{
    if (path.size() < 2 || !path.back().attribute->IsTupleChild())
        return nullptr;
    const Attribute* child = path.back().attribute;
    DataNode* tuple = Data(PlugPath(path.begin(), path.end() - 1));
    if (!tuple || tuple->isArray)
        return nullptr;
    outComponent = static_cast<unsigned>(child->parent->ChildIndex(child));
    return tuple;
}

const Connection* Node::Feed(const PlugPath& path, bool withParts, PlugPath& outFedPath) const
{
    const Scene& scene = Scene::Get();
    if (const Connection* c = scene.SourceOf(*this, path))
    {
        outFedPath = path;
        return c;
    }
    if (const std::size_t fed = ConnectedAncestor(path); fed > 0)
    {
        outFedPath.assign(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(fed));
        if (!scene.SourceOf(*this, outFedPath))
            outFedPath.back().index = -1; // the whole array is the destination
        return scene.SourceOf(*this, outFedPath);
    }
    if (withParts)
        for (const Connection* c : scene.ConnectionsAt(*this, path, false, true, true))
        {
            outFedPath = c->destinationPath;
            return c;
        }
    return nullptr;
}

bool Node::IsComputed(const PlugPath& path) const
{
    for (const PlugStep& step : path)
        if (cls->IsComputed(step.attribute))
            return true;
    return false;
}

DataNode* Node::Evaluate(const PlugPath& path, MStatus& status)
{
    // What evaluation writes follows from the recorded values.
    const SceneChanges::Pause pause;
    status = MStatus::kSuccess;
    DataNode* data = Data(path);
    if (!data)
    {
        status = MStatus(MStatus::kInvalidParameter, PlugName(*this, path) + " is not a plug of this node");
        return nullptr;
    }
    if (fEvaluationDepth >= kMaxEvaluationDepth)
    {
        status = MStatus(MStatus::kFailure, MString("cycle in the graph at ") + PlugName(*this, path));
        return nullptr;
    }
    ++fEvaluationDepth;
    Scene& scene = Scene::Get();
    // A connection to a compound above (or to the whole array) feeds this
    // plug as part of its parent's value.
    if (const std::size_t fed = ConnectedAncestor(path); fed > 0)
    {
        PlugPath ancestor(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(fed));
        if (!scene.SourceOf(*this, ancestor))
            ancestor.back().index = -1; // the whole array is the destination
        Evaluate(ancestor, status);
        if (status)
            SyncTupleChild(path, *data, false);
        --fEvaluationDepth;
        return status ? data : nullptr;
    }
    bool connected = false;
    if (const Connection* c = scene.SourceOf(*this, path))
    {
        const std::shared_ptr<Node> source = c->source;
        const PlugPath sourcePath = c->sourcePath;
        if (const DataNode* value = source->Evaluate(sourcePath, status))
        {
            data->CopyValue(*value);
            connected = true;
        }
    }
    else if (IsComputed(path) && data->computedAt != scene.Generation())
    {
        status = Compute(path);
        // A node that computes only the elements of an array is asked for
        // each existing element.
        if (status == MStatus::kUnknownParameter && data->isArray)
        {
            status = MStatus::kSuccess;
            std::vector<unsigned> indices;
            for (const auto& entry : data->elements)
                indices.push_back(entry.first);
            PlugPath element = path;
            for (const unsigned index : indices)
            {
                element.back().index = static_cast<int>(index);
                if (!Evaluate(element, status))
                    break;
            }
            if (status)
                data->computedAt = scene.Generation();
        }
        else if (status == MStatus::kUnknownParameter)
        {
            status = MStatus::kSuccess;
        }
    }
    if (status)
        PullConnectedDescendants(path, status);
    if (status)
        SyncTupleChild(path, *data, connected);
    --fEvaluationDepth;
    return status ? data : nullptr;
}

void Node::SyncTupleChild(const PlugPath& path, DataNode& data, bool fromChild)
{
    unsigned component = 0;
    DataNode* tuple = TupleValue(path, component);
    if (!tuple)
        return;
    // A connection hands over its source's number as it is; a whole number
    // pair keeps whole numbers, as a write to it would.
    const Attribute& child = *data.attribute;
    if (fromChild)
        tuple->numbers[component] = child.IsBoolean()    ? (data.numbers[0] != 0.0 ? 1.0 : 0.0)
                                    : child.IsIntegral() ? std::trunc(data.numbers[0])
                                                         : data.numbers[0];
    else
        data.numbers[0] = tuple->numbers[component];
}

void Node::PullConnectedDescendants(const PlugPath& path, MStatus& status)
{
    const DataNode* data = FindData(path);
    if (!data || (data->children.empty() && !data->isArray))
        return;
    std::vector<PlugPath> below;
    for (const Connection* c : Scene::Get().ConnectionsAt(*this, path, false, true, true))
        if (c->destinationPath != path)
            below.push_back(c->destinationPath);
    for (const PlugPath& p : below)
        if (!Evaluate(p, status))
            return;
}

MStatus Node::Compute(const PlugPath& path)
{
    const MPlug plug(Self(), path);
    MDataBlock block(this);
    MStatus status = cls->dag ? ComputeDagAttribute(*this, plug, block) : MStatus(MStatus::kUnknownParameter);
    if (status == MStatus::kUnknownParameter && behaviour)
    {
        // Maya's evaluation never lets an exception out of a compute; here
        // it becomes the compute's failure, reported once.
        try
        {
            status = behaviour->compute(plug, block);
        }
        catch (const std::bad_alloc&)
        {
            status = MStatus(MStatus::kInsufficientMemory, "out of memory");
            MGlobal::displayError("Out of memory computing " + plug.name() + ".");
        }
        catch (const std::exception& e)
        {
            status = MStatus(MStatus::kFailure, MString(e.what()));
            MGlobal::displayError("Computing " + plug.name() + " failed: " + e.what());
        }
    }
    // As in Maya, only compute marks its output clean: one left dirty is
    // computed again at the next read. Said once per node type, since a
    // node that forgets forgets every time.
    const DataNode* data = FindData(path);
    if (status && (!data || data->computedAt != Scene::Get().Generation()) && !cls->warnedDirtyCompute)
    {
        cls->warnedDirtyCompute = true;
        MGlobal::displayWarning(MString(cls->typeName.c_str()) +
                                    ": compute returned success without marking " + plug.name() +
                                    " clean; it is computed again at every read.");
    }
    return status;
}

MString PlugName(const Node& node, const PlugPath& path, bool longNames, bool withNode)
{
    std::string text = withNode ? node.name : std::string();
    bool first = true;
    for (std::size_t i = 0; i < path.size(); ++i)
    {
        // Like Maya, a compound parent shows only when it carries an index.
        const bool indexed = path[i].attribute->array && path[i].index >= 0;
        if (i + 1 < path.size() && !indexed)
            continue;
        if (withNode || !first)
            text += '.';
        first = false;
        text += longNames ? path[i].attribute->name : path[i].attribute->shortName;
        if (path[i].attribute->array && path[i].index >= 0)
        {
            text += '[';
            text += std::to_string(path[i].index);
            text += ']';
        }
    }
    return MString(text.c_str());
}
} // namespace vxhost
