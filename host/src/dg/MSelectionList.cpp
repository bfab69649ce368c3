// The selection list: nodes by handle, each at most once, in the order added.
#include "Scene.h"

#include <maya/MSelectionList.h>

#include <fnmatch.h>

#include <algorithm>
#include <string>

using namespace vxhost;

namespace
{
void Report(MStatus* ReturnStatus, MStatus status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

MStatus OutOfRange(unsigned int index, std::size_t length)
{
    return MStatus(MStatus::kInvalidParameter, MString("index ") + std::to_string(index).c_str() +
                                                   " is outside the list of " +
                                                   std::to_string(length).c_str());
}

bool HasPattern(const std::string& text)
{
    return text.find_first_of("*?[") != std::string::npos;
}
} // namespace

bool MSelectionList::isEmpty(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return fItems.empty();
}

unsigned int MSelectionList::length(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return static_cast<unsigned>(fItems.size());
}

MStatus MSelectionList::clear()
{
    fItems.clear();
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MString& matchString, bool)
{
    const std::string text = matchString.asChar();
    // A plug name selects its node, as Maya's list keeps the node of a plug
    // item.
    const std::string nodePart = text.substr(0, text.find('.'));
    if (!HasPattern(nodePart))
    {
        const std::shared_ptr<Node> node = Scene::Get().Find(nodePart);
        if (!node)
            return MStatus(MStatus::kInvalidParameter, MString("No object matches name: ") + matchString);
        return add(node->Object());
    }
    // A wildcard matches node names (not paths), in creation order.
    bool any = false;
    for (const auto& node : Scene::Get().Nodes())
        if (fnmatch(nodePart.c_str(), node->name.c_str(), 0) == 0)
        {
            add(node->Object());
            any = true;
        }
    return any ? MStatus(MStatus::kSuccess)
               : MStatus(MStatus::kInvalidParameter, MString("No object matches name: ") + matchString);
}

MStatus MSelectionList::add(const MObject& object, bool)
{
    const Node* node = Node::From(object);
    if (!node || !node->alive)
        return MStatus(MStatus::kInvalidParameter, "only nodes of the scene can be added");
    if (!hasItem(object))
        fItems.push_back(object);
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MDagPath& object, const MObject&, bool mergeWithExisting)
{
    MStatus status;
    const MObject node = object.node(&status);
    return status ? add(node, mergeWithExisting)
                  : MStatus(MStatus::kInvalidParameter, "the DAG path is not valid");
}

MStatus MSelectionList::remove(unsigned int index)
{
    if (index >= fItems.size())
        return OutOfRange(index, fItems.size());
    fItems.erase(fItems.begin() + index);
    return MStatus::kSuccess;
}

MStatus MSelectionList::merge(const MSelectionList& other, MergeStrategy strategy)
{
    for (const MObject& item : other.fItems)
    {
        const auto it = std::find(fItems.begin(), fItems.end(), item);
        if (it != fItems.end())
        {
            if (strategy != kMergeNormal)
                fItems.erase(it);
        }
        else if (strategy != kRemoveFromList)
        {
            fItems.push_back(item);
        }
    }
    return MStatus::kSuccess;
}

bool MSelectionList::hasItem(const MObject& item, MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return std::find(fItems.begin(), fItems.end(), item) != fItems.end();
}

bool MSelectionList::hasItem(const MDagPath& item, const MObject&, MStatus* ReturnStatus) const
{
    return hasItem(item.node(), ReturnStatus);
}

MStatus MSelectionList::getDependNode(unsigned int index, MObject& depNode) const
{
    if (index >= fItems.size())
        return OutOfRange(index, fItems.size());
    depNode = fItems[index];
    return MStatus::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& dagPath) const
{
    if (index >= fItems.size())
        return OutOfRange(index, fItems.size());
    if (!MDagPath::getAPathTo(fItems[index], dagPath))
        return MStatus(MStatus::kFailure,
                       MString("item ") + std::to_string(index).c_str() + " is no DAG node");
    return MStatus::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& dagPath, MObject& component) const
{
    // The host selects whole objects only: no item has components.
    component = MObject::kNullObj;
    return getDagPath(index, dagPath);
}

MStatus MSelectionList::getSelectionStrings(MStringArray& array) const
{
    array.clear();
    for (const MObject& item : fItems)
        array.append(MString(Node::From(item)->name.c_str()));
    return MStatus::kSuccess;
}
