// Every change is its own inverse (a toggle between the states before and
// after it), so undo applies the record backwards and redo forwards with the
// same code.

#include "SceneChanges.h"

#include "DataNode.h"
#include "Scene.h"

#include <maya/MPxCommand.h>

#include <algorithm>

namespace vxhost
{
namespace
{
// Per thread, so that a plug-in computing on worker threads never records.
thread_local SceneChanges* tRecord = nullptr;
thread_local int tPaused = 0;
} // namespace

class SceneChanges::Change
{
public:
    virtual ~Change() = default;
    virtual MStatus Apply(bool forward) = 0;
};

namespace
{
using Change = SceneChanges::Change;

// A node in or out of the scene, at its place under its parent and in the
// scene's list. The record holds the node; a node that is out of the scene
// when the last record holding it goes is deleted for good.
class NodePresence final : public Change
{
public:
    NodePresence(Node& node, Node* parent, std::size_t childIndex, std::size_t sceneIndex)
        : fNode(node.Self()), fParent(parent ? parent->Self() : nullptr), fChildIndex(childIndex),
          fSceneIndex(sceneIndex)
    {
        ++fNode->undoHolds;
    }
    ~NodePresence() override
    {
        if (--fNode->undoHolds == 0 && !fNode->alive)
            Scene::Get().FinishDelete(*fNode);
    }
    MStatus Apply(bool) override
    {
        if (fNode->alive)
        {
            Scene::Get().NotifyDelete(*fNode);
            Node* parent = nullptr;
            Scene::Get().Unlink(*fNode, parent, fChildIndex, fSceneIndex);
            fParent = parent ? parent->Self() : nullptr;
        }
        else
            Scene::Get().Link(*fNode, fParent.get(), fChildIndex, fSceneIndex);
        return MStatus::kSuccess;
    }

private:
    std::shared_ptr<Node> fNode;
    std::shared_ptr<Node> fParent;
    std::size_t fChildIndex;
    std::size_t fSceneIndex;
};

class NameChange final : public Change
{
public:
    NameChange(Node& node, std::string other) : fNode(node.Self()), fOther(std::move(other)) {}
    MStatus Apply(bool) override
    {
        std::swap(fNode->name, fOther);
        return MStatus::kSuccess;
    }

private:
    std::shared_ptr<Node> fNode;
    std::string fOther;
};

class ParentChange final : public Change
{
public:
    ParentChange(Node& node, Node* other, std::size_t otherIndex)
        : fNode(node.Self()), fOther(other ? other->Self() : nullptr), fOtherIndex(otherIndex)
    {
    }
    MStatus Apply(bool) override
    {
        const std::shared_ptr<Node> now = fNode->parent ? fNode->parent->Self() : nullptr;
        const std::size_t nowIndex = now ? TakeOut(now->children, fNode) : 0;
        fNode->parent = fOther.get();
        if (fOther)
            PutAt(fOther->children, fOtherIndex, fNode);
        fOther = now;
        fOtherIndex = nowIndex;
        return MStatus::kSuccess;
    }

private:
    std::shared_ptr<Node> fNode;
    std::shared_ptr<Node> fOther;
    std::size_t fOtherIndex;
};

class ConnectionPresence final : public Change
{
public:
    ConnectionPresence(Connection connection, std::size_t index) : fConnection(std::move(connection)), fIndex(index)
    {
    }
    MStatus Apply(bool) override
    {
        Scene::Get().ToggleConnection(fConnection, fIndex);
        return MStatus::kSuccess;
    }

private:
    Connection fConnection;
    std::size_t fIndex;
};

class AttributePresence final : public Change
{
public:
    AttributePresence(Node& node, std::shared_ptr<Attribute> attribute, std::size_t index)
        : fNode(node.Self()), fAttribute(std::move(attribute)), fIndex(index)
    {
    }
    MStatus Apply(bool) override
    {
        TogglePresence(fNode->dynamicAttributes, fAttribute, fIndex);
        fNode->IndexDynamicAttributes();
        return MStatus::kSuccess;
    }

private:
    std::shared_ptr<Node> fNode;
    std::shared_ptr<Attribute> fAttribute;
    std::size_t fIndex;
};

// The whole value of a top-level attribute: the other state's copy (null
// when the node held no value for it).
class ValueChange final : public Change
{
public:
    ValueChange(Node& node, const Attribute* attribute) : fNode(node.Self()), fAttribute(attribute)
    {
        if (const auto it = node.values.find(attribute); it != node.values.end() && it->second)
            fOther = it->second->Clone();
    }
    MStatus Apply(bool) override
    {
        std::unique_ptr<DataNode> now;
        if (const auto it = fNode->values.find(fAttribute); it != fNode->values.end())
        {
            now = std::move(it->second);
            fNode->values.erase(it);
        }
        if (fOther)
            fNode->values[fAttribute] = std::move(fOther);
        fOther = std::move(now);
        return MStatus::kSuccess;
    }
    std::size_t Bytes() const { return fOther ? fOther->Bytes() : 0; }
    bool Unchanged() const
    {
        const auto it = fNode->values.find(fAttribute);
        const DataNode* now = it == fNode->values.end() ? nullptr : it->second.get();
        return now && fOther ? now->SameValue(*fOther) : now == fOther.get();
    }

private:
    std::shared_ptr<Node> fNode;
    const Attribute* fAttribute;
    std::unique_ptr<DataNode> fOther;
};

class SelectionChange final : public Change
{
public:
    explicit SelectionChange(std::vector<std::shared_ptr<Node>> other) : fOther(std::move(other)) {}
    MStatus Apply(bool) override
    {
        std::swap(Scene::Get().Selection(), fOther);
        return MStatus::kSuccess;
    }

private:
    std::vector<std::shared_ptr<Node>> fOther;
};

class ToggleChange final : public Change
{
public:
    explicit ToggleChange(std::function<void()> toggle) : fToggle(std::move(toggle)) {}
    MStatus Apply(bool) override
    {
        fToggle();
        return MStatus::kSuccess;
    }

private:
    std::function<void()> fToggle;
};

class CommandChange final : public Change
{
public:
    explicit CommandChange(std::unique_ptr<MPxCommand> command) : fCommand(std::move(command)) {}
    MStatus Apply(bool forward) override { return forward ? fCommand->redoIt() : fCommand->undoIt(); }

private:
    std::unique_ptr<MPxCommand> fCommand;
};
} // namespace

SceneChanges::SceneChanges() : fSelectionBefore(Scene::Get().Selection()) {}

SceneChanges::~SceneChanges()
{
    // Newest first, as undo would go: a node is let go of once.
    while (!fChanges.empty())
        fChanges.pop_back();
}

SceneChanges* SceneChanges::Recording()
{
    return tPaused == 0 && tRecord && !tRecord->fVoid ? tRecord : nullptr;
}

bool SceneChanges::CanOpen()
{
    return tPaused == 0 && !tRecord;
}

SceneChanges::Scope::Scope(SceneChanges& record) : fOuter(tRecord)
{
    tRecord = &record;
}

SceneChanges::Scope::~Scope()
{
    tRecord = fOuter;
}

SceneChanges::Pause::Pause()
{
    ++tPaused;
}

SceneChanges::Pause::~Pause()
{
    --tPaused;
}

void SceneChanges::NodeLinked(Node& node)
{
    fMade.push_back(&node);
    // Applied first to a node in the scene, the change takes it out and
    // notes its place then: no place is needed now.
    fChanges.push_back(std::make_unique<NodePresence>(node, nullptr, 0, 0));
}

void SceneChanges::NodeUnlinked(Node& node, Node* parent, std::size_t childIndex, std::size_t sceneIndex)
{
    fChanges.push_back(std::make_unique<NodePresence>(node, parent, childIndex, sceneIndex));
}

void SceneChanges::Renamed(Node& node, std::string oldName)
{
    fChanges.push_back(std::make_unique<NameChange>(node, std::move(oldName)));
}

void SceneChanges::Reparented(Node& node, Node* oldParent, std::size_t oldIndex)
{
    fChanges.push_back(std::make_unique<ParentChange>(node, oldParent, oldIndex));
}

void SceneChanges::ConnectionChanged(const Connection& connection, std::size_t index)
{
    fChanges.push_back(std::make_unique<ConnectionPresence>(connection, index));
}

void SceneChanges::AttributeChanged(Node& node, std::shared_ptr<Attribute> attribute, std::size_t index)
{
    fChanges.push_back(std::make_unique<AttributePresence>(node, std::move(attribute), index));
}

void SceneChanges::ValueReached(Node& node, const Attribute* attribute)
{
    // A node this command made goes as a whole on undo, values and all.
    const std::pair<const Node*, const Attribute*> key(&node, attribute);
    if (std::find(fMade.begin(), fMade.end(), &node) != fMade.end() ||
        std::find(fReached.begin(), fReached.end(), key) != fReached.end())
        return;
    fReached.push_back(key);
    fChanges.push_back(std::make_unique<ValueChange>(node, attribute));
}

void SceneChanges::Toggle(std::function<void()> toggle)
{
    fChanges.push_back(std::make_unique<ToggleChange>(std::move(toggle)));
}

void SceneChanges::Command(std::unique_ptr<MPxCommand> command)
{
    fChanges.push_back(std::make_unique<CommandChange>(std::move(command)));
}

void SceneChanges::Void()
{
    fVoid = true;
}

bool SceneChanges::Close()
{
    if (fVoid)
        return false;
    fChanges.erase(std::remove_if(fChanges.begin(), fChanges.end(),
                                  [](const std::unique_ptr<Change>& change)
                                  {
                                      const auto* value = dynamic_cast<const ValueChange*>(change.get());
                                      return value && value->Unchanged();
                                  }),
                   fChanges.end());
    for (const auto& change : fChanges)
        if (const auto* value = dynamic_cast<const ValueChange*>(change.get()))
            fBytes += value->Bytes();
    if (Scene::Get().Selection() != fSelectionBefore)
        fChanges.push_back(std::make_unique<SelectionChange>(std::move(fSelectionBefore)));
    fSelectionBefore.clear();
    fReached.clear();
    fMade.clear();
    return !fChanges.empty();
}

MStatus SceneChanges::Apply(bool forward)
{
    const Pause pause;
    const std::size_t n = fChanges.size();
    for (std::size_t i = 0; i < n; ++i)
        if (MStatus status = fChanges[forward ? i : n - 1 - i]->Apply(forward); !status)
            return status;
    Scene::Get().Touch();
    return MStatus::kSuccess;
}
} // namespace vxhost
