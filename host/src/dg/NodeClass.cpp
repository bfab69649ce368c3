#include "NodeClass.h"

#include "BuiltinNodes.h"

#include <algorithm>

namespace vxhost
{
namespace
{
const Attribute* FindIn(const Attribute& attribute, std::string_view name)
{
    if (attribute.IsNamed(name))
        return &attribute;
    for (const auto& child : attribute.children)
        if (const Attribute* found = FindIn(*child, name))
            return found;
    return nullptr;
}

const Attribute* Root(const Attribute* attribute)
{
    while (attribute && attribute->parent)
        attribute = attribute->parent;
    return attribute;
}
} // namespace

const Attribute* NodeClass::Find(std::string_view name) const
{
    for (const NodeClass* c = this; c; c = c->parent)
        for (const auto& attribute : c->attributes)
            if (const Attribute* found = FindIn(*attribute, name))
                return found;
    return nullptr;
}

bool NodeClass::Owns(const Attribute* attribute) const
{
    const Attribute* root = Root(attribute);
    for (const NodeClass* c = this; c; c = c->parent)
        for (const auto& a : c->attributes)
            if (a.get() == root)
                return true;
    return false;
}

bool NodeClass::IsComputed(const Attribute* attribute) const
{
    for (const NodeClass* c = this; c; c = c->parent)
        if (c->computed.count(attribute))
            return true;
    return false;
}

void NodeClass::TopLevel(std::vector<const Attribute*>& out) const
{
    if (parent)
        parent->TopLevel(out);
    for (const auto& a : attributes)
        out.push_back(a.get());
}

bool NodeClass::IsA(const std::string& name) const
{
    for (const NodeClass* c = this; c; c = c->parent)
        if (c->typeName == name)
            return true;
    return false;
}

bool NodeClass::HasFn(MFn::Type type) const
{
    if (type == apiType || type == MFn::kBase || type == MFn::kDependencyNode || type == MFn::kNamedObject)
        return true;
    if (type == MFn::kDagNode && dag)
        return true;
    return std::find(fnTypes.begin(), fnTypes.end(), type) != fnTypes.end();
}

NodeRegistry& NodeRegistry::Get()
{
    static NodeRegistry registry;
    // The built-in types are registered after construction: their
    // initialisers reach the registry through Get().
    if (!registry.fBuiltinsRegistered)
    {
        registry.fBuiltinsRegistered = true;
        RegisterBuiltinNodes(registry);
    }
    return registry;
}

MStatus NodeRegistry::Register(std::unique_ptr<NodeClass> nodeClass,
                               const std::function<MStatus()>& initialize)
{
    if (nodeClass->typeName.empty() || Find(nodeClass->typeName) ||
        (nodeClass->id.id() != 0 && Find(nodeClass->id)))
        return MStatus(MStatus::kFailure, MString("a node type named \"") + nodeClass->typeName.c_str() +
                                              "\" or with its id exists");
    NodeClass* added = nodeClass.get();
    fClasses.push_back(std::move(nodeClass));
    if (initialize)
    {
        NodeClass* outer = fInitialising;
        fInitialising = added;
        const MStatus status = initialize();
        fInitialising = outer;
        if (!status)
        {
            fRetired.push_back(std::move(fClasses.back()));
            fClasses.pop_back();
            return status;
        }
    }
    for (const auto& [from, to] : added->affects)
        added->computed.insert(to);
    return MStatus::kSuccess;
}

MStatus NodeRegistry::Deregister(const MTypeId& id)
{
    const auto it = std::find_if(fClasses.begin(), fClasses.end(),
                                 [&](const auto& c) { return c->id == id && id.id() != 0; });
    if (it == fClasses.end())
        return MStatus(MStatus::kInvalidParameter, "no node type has that id");
    fRetired.push_back(std::move(*it));
    fClasses.erase(it);
    return MStatus::kSuccess;
}

const NodeClass* NodeRegistry::Find(const std::string& typeName) const
{
    for (const auto& c : fClasses)
        if (c->typeName == typeName)
            return c.get();
    return nullptr;
}

const NodeClass* NodeRegistry::Find(const MTypeId& id) const
{
    for (const auto& c : fClasses)
        if (c->id == id)
            return c.get();
    return nullptr;
}

std::vector<std::string> NodeRegistry::TypeNames() const
{
    std::vector<std::string> names;
    for (const auto& c : fClasses)
        names.push_back(c->typeName);
    return names;
}
} // namespace vxhost
