#include "Scene.h"

#include "Names.h"
#include "SceneChanges.h"

#include <maya/MFnData.h>

#include <algorithm>
#include <cctype>

namespace vxhost
{
bool PathWithin(const PlugPath& path, const PlugPath& prefix)
{
    if (path.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
    {
        if (path[i].attribute != prefix[i].attribute)
            return false;
        if (prefix[i].index >= 0 && path[i].index != prefix[i].index)
            return false;
    }
    return true;
}

Scene& Scene::Get()
{
    static Scene scene;
    return scene;
}

std::string Scene::UniqueName(std::string_view name, bool forceNumber) const
{
    if (!forceNumber && !Find(name))
        return std::string(name);
    std::string stem(name);
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back())))
        stem.pop_back();
    for (unsigned n = 1;; ++n)
    {
        std::string candidate = stem + std::to_string(n);
        if (!Find(candidate))
            return candidate;
    }
}

std::shared_ptr<Node> Scene::CreateNode(const std::string& typeName, const std::string& name, Node* parent,
                                        MStatus& status)
{
    const NodeClass* cls = NodeRegistry::Get().Find(typeName);
    if (!cls || cls->abstract)
    {
        status = MStatus(MStatus::kInvalidParameter, MString("Unknown object type: ") + typeName.c_str());
        return nullptr;
    }
    if (parent && (!cls->dag || !parent->cls->dag || parent->cls->shape))
    {
        status = MStatus(MStatus::kInvalidParameter,
                         MString("cannot parent a ") + typeName.c_str() + " under " + parent->name.c_str());
        return nullptr;
    }
    // Commands check names first, for a message of their own; this is for
    // every other way in (the API, a file's name), so that no node's name
    // needs quoting when a saved scene names it.
    if (!name.empty() && !IsValidName(name))
    {
        status = MStatus(MStatus::kInvalidParameter,
                         MString(QuotedName(name).c_str()) + " is not a valid node name.");
        return nullptr;
    }
    std::shared_ptr<Node> transform;
    if (cls->shape && !parent)
    {
        transform = CreateNode("transform", std::string(), nullptr, status);
        if (!transform)
            return nullptr;
        parent = transform.get();
    }
    auto node = std::make_shared<Node>(cls, name.empty() ? UniqueName(typeName, true) : UniqueName(name));
    if (cls->creator)
    {
        node->behaviour.reset(cls->creator());
        if (!node->behaviour)
        {
            if (transform)
                Delete(*transform);
            status =
                MStatus(MStatus::kFailure, MString("the creator of ") + typeName.c_str() + " made nothing");
            return nullptr;
        }
        node->behaviour->SetHostNode(node.get());
    }
    Link(*node, parent, parent ? parent->children.size() : 0, fNodes.size());
    if (SceneChanges* record = SceneChanges::Recording())
        record->NodeLinked(*node);
    if (node->behaviour)
        node->behaviour->postConstructor();
    status = MStatus::kSuccess;
    return node;
}

std::shared_ptr<Node> Scene::Find(std::string_view nameOrPath) const
{
    if (nameOrPath.empty())
        return nullptr;
    const std::size_t bar = nameOrPath.rfind('|');
    const std::string_view last = bar == std::string_view::npos ? nameOrPath : nameOrPath.substr(bar + 1);
    for (const auto& node : fNodes)
        if (node->name == last)
        {
            if (bar == std::string_view::npos)
                return node;
            // Check the path above the last name.
            std::string full;
            for (const Node* n = node.get(); n; n = n->parent)
                full.insert(0, "|" + n->name);
            const std::string_view wanted = nameOrPath;
            if (full == wanted || (wanted.front() != '|' && full.size() > wanted.size() &&
                                   full.compare(full.size() - wanted.size(), wanted.size(), wanted) == 0 &&
                                   full[full.size() - wanted.size() - 1] == '|'))
                return node;
        }
    return nullptr;
}

void Scene::Detach(Node& node)
{
    SceneChanges* record = SceneChanges::Recording();
    NotifyDelete(node);
    for (std::size_t i = fConnections.size(); i-- > 0;)
        if (fConnections[i].source.get() == &node || fConnections[i].destination.get() == &node)
        {
            const Connection gone = std::move(fConnections[i]);
            fConnections.erase(fConnections.begin() + static_cast<std::ptrdiff_t>(i));
            if (record)
                record->ConnectionChanged(gone, i);
        }
    fSelection.erase(std::remove_if(fSelection.begin(), fSelection.end(),
                                    [&](const std::shared_ptr<Node>& n) { return n.get() == &node; }),
                     fSelection.end());
    node.alive = false;
    // The behaviour may be a plug-in's code, which can be unloaded while
    // handles to the dead node live on; undo may still need it.
    if (!record)
        node.behaviour.reset();
}

void Scene::NotifyDelete(Node& node)
{
    for (const auto& callback : fDeleteCallbacks)
        callback(node);
}

void Scene::FinishDelete(Node& node)
{
    node.behaviour.reset();
}

void Scene::Unlink(Node& node, Node*& parent, std::size_t& childIndex, std::size_t& sceneIndex)
{
    const std::shared_ptr<Node> keep = node.Self();
    parent = node.parent;
    childIndex = parent ? TakeOut(parent->children, keep) : 0;
    node.parent = nullptr;
    sceneIndex = TakeOut(fNodes, keep);
    node.alive = false;
    Touch();
}

void Scene::Link(Node& node, Node* parent, std::size_t childIndex, std::size_t sceneIndex)
{
    const std::shared_ptr<Node> keep = node.Self();
    PutAt(fNodes, sceneIndex, keep);
    node.parent = parent;
    if (parent)
        PutAt(parent->children, childIndex, keep);
    node.alive = true;
    Touch();
}

void Scene::ToggleConnection(const Connection& connection, std::size_t& index)
{
    TogglePresence(fConnections, connection, index);
    Touch();
}

void Scene::Delete(Node& node)
{
    const std::shared_ptr<Node> keep = node.Self();
    while (!node.children.empty())
        Delete(*node.children.back());
    Detach(node);
    Node* parent = nullptr;
    std::size_t childIndex = 0;
    std::size_t sceneIndex = 0;
    Unlink(node, parent, childIndex, sceneIndex);
    if (SceneChanges* record = SceneChanges::Recording())
        record->NodeUnlinked(node, parent, childIndex, sceneIndex);
}

void Scene::Reset()
{
    // Nothing a command did before the reset can be taken back into the
    // new scene.
    if (SceneChanges* record = SceneChanges::Recording())
        record->Void();
    const std::vector<std::shared_ptr<Node>> nodes = fNodes;
    for (const auto& node : nodes)
    {
        Detach(*node);
        node->children.clear();
        node->parent = nullptr;
    }
    fNodes.clear();
    fConnections.clear();
    Touch();
    for (const auto& callback : fResetCallbacks)
        callback();
}

std::string Scene::Rename(Node& node, const std::string& name)
{
    if (name == node.name)
        return name;
    std::string old = std::move(node.name);
    node.name = UniqueName(name);
    if (SceneChanges* record = SceneChanges::Recording())
        record->Renamed(node, std::move(old));
    Touch();
    return node.name;
}

MStatus Scene::Reparent(Node& child, Node* parent)
{
    if (!child.cls->dag || (parent && (!parent->cls->dag || parent->cls->shape)))
        return MStatus(MStatus::kInvalidParameter, "only DAG nodes can be parented, under a transform");
    if (child.cls->shape && !parent)
        return MStatus(MStatus::kInvalidParameter, "a shape needs a transform above it");
    for (const Node* p = parent; p; p = p->parent)
        if (p == &child)
            return MStatus(MStatus::kInvalidParameter, "a node cannot be parented under itself");
    const std::shared_ptr<Node> keep = child.Self();
    Node* const oldParent = child.parent;
    const std::size_t oldIndex = oldParent ? TakeOut(oldParent->children, keep) : 0;
    child.parent = parent;
    if (parent)
        parent->children.push_back(keep);
    if (SceneChanges* record = SceneChanges::Recording())
        record->Reparented(child, oldParent, oldIndex);
    Touch();
    return MStatus::kSuccess;
}

namespace
{
bool Compatible(const Attribute& a, const Attribute& b)
{
    auto valueKind = [](const Attribute& x)
    {
        if (x.kind == AttributeKind::kNumeric || x.kind == AttributeKind::kUnit ||
            x.kind == AttributeKind::kEnum)
            return 0;
        if (x.kind == AttributeKind::kMatrix ||
            (x.kind == AttributeKind::kTyped && x.dataType == MFnData::kMatrix))
            return 1;
        if (x.kind == AttributeKind::kTyped)
            return 2;
        if (x.kind == AttributeKind::kCompound)
            return 3;
        return 4;
    };
    const int ka = valueKind(a);
    if (ka != valueKind(b))
        return false;
    if (ka == 0)
        return a.ComponentCount() == b.ComponentCount();
    if (ka == 2)
        return a.dataType == b.dataType || a.dataType == MFnData::kAny || b.dataType == MFnData::kAny;
    if (ka == 3)
    {
        if (a.children.size() != b.children.size())
            return false;
        for (std::size_t i = 0; i < a.children.size(); ++i)
            if (!Compatible(*a.children[i], *b.children[i]))
                return false;
    }
    return true;
}

bool IsWholeArray(const PlugPath& path)
{
    return path.back().attribute->array && path.back().index < 0;
}
} // namespace

MStatus Scene::Connect(const MPlug& source, const MPlug& destination, bool force)
{
    const auto& src = source.HostNode();
    const auto& dst = destination.HostNode();
    if (!src || !dst || !src->alive || !dst->alive || source.Steps().empty() || destination.Steps().empty())
        return MStatus(MStatus::kInvalidParameter, "connecting a null plug");
    const MString names = source.name() + " to " + destination.name();
    const Attribute& sa = *source.Steps().back().attribute;
    const Attribute& da = *destination.Steps().back().attribute;
    if (!Compatible(sa, da) || IsWholeArray(source.Steps()) != IsWholeArray(destination.Steps()))
        return MStatus(MStatus::kInvalidParameter, MString("The attribute types do not match: ") + names);
    if (!da.writable || !da.connectable || !sa.readable || !sa.connectable)
        return MStatus(MStatus::kInvalidParameter, MString("The attributes cannot be connected: ") + names);
    if (src.get() == dst.get() && PathWithin(destination.Steps(), source.Steps()))
        return MStatus(MStatus::kInvalidParameter, MString("A plug cannot feed itself: ") + names);
    if (!src->Data(source.Steps()) || !dst->Data(destination.Steps()))
        return MStatus(MStatus::kInvalidParameter, MString("An element index is missing: ") + names);
    for (auto it = fConnections.begin(); it != fConnections.end(); ++it)
    {
        if (it->destination != dst || it->destinationPath != destination.Steps())
            continue;
        if (it->source == src && it->sourcePath == source.Steps())
            return MStatus(MStatus::kInvalidParameter, MString("The plugs are already connected: ") + names);
        if (!force)
            return MStatus(MStatus::kInvalidParameter, destination.name() +
                                                           " already has an incoming connection from " +
                                                           PlugName(*it->source, it->sourcePath) + ".");
        const Connection replaced = std::move(*it);
        const auto index = static_cast<std::size_t>(it - fConnections.begin());
        fConnections.erase(it);
        if (SceneChanges* record = SceneChanges::Recording())
            record->ConnectionChanged(replaced, index);
        break;
    }
    fConnections.push_back({src, source.Steps(), dst, destination.Steps()});
    if (SceneChanges* record = SceneChanges::Recording())
        record->ConnectionChanged(fConnections.back(), fConnections.size() - 1);
    Touch();
    return MStatus::kSuccess;
}

MStatus Scene::Disconnect(const MPlug& source, const MPlug& destination)
{
    const Connection wanted{source.HostNode(), source.Steps(), destination.HostNode(), destination.Steps()};
    for (auto it = fConnections.begin(); it != fConnections.end(); ++it)
        if (*it == wanted)
        {
            const Connection gone = std::move(*it);
            const auto index = static_cast<std::size_t>(it - fConnections.begin());
            fConnections.erase(it);
            if (SceneChanges* record = SceneChanges::Recording())
                record->ConnectionChanged(gone, index);
            Touch();
            return MStatus::kSuccess;
        }
    return MStatus(MStatus::kInvalidParameter, MString("There is no connection from ") + source.name() +
                                                   " to " + destination.name() + ".");
}

const Connection* Scene::SourceOf(const Node& node, const PlugPath& path) const
{
    for (const Connection& c : fConnections)
        if (c.destination.get() == &node && c.destinationPath == path)
            return &c;
    return nullptr;
}

std::vector<const Connection*> Scene::ConnectionsAt(const Node& node, const PlugPath& path, bool asSource,
                                                    bool asDestination, bool withDescendants) const
{
    std::vector<const Connection*> found;
    auto matches = [&](const PlugPath& p) { return withDescendants ? PathWithin(p, path) : p == path; };
    for (const Connection& c : fConnections)
        if ((asSource && c.source.get() == &node && matches(c.sourcePath)) ||
            (asDestination && c.destination.get() == &node && matches(c.destinationPath)))
            found.push_back(&c);
    return found;
}
} // namespace vxhost
