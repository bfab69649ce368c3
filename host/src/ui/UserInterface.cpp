#include <vxhost/UserInterface.h>

#include <algorithm>

namespace vxhost
{
UserInterface& UserInterface::Get()
{
    static UserInterface ui;
    return ui;
}

UserInterface::UserInterface()
{
    Reset();
}

void UserInterface::Reset()
{
    fElements.clear();
    UIElement window;
    window.kind = UIElement::Kind::kWindow;
    window.name = window.path = kMainWindow;
    fElements.push_back(window);
    fMenuParent.clear();
    fWindowParent = kMainWindow;
}

const UIElement* UserInterface::Find(std::string_view nameOrPath) const
{
    const bool isPath = nameOrPath.find('|') != std::string_view::npos;
    for (const UIElement& element : fElements)
        if ((isPath ? element.path : element.name) == nameOrPath)
            return &element;
    return nullptr;
}

UIElement* UserInterface::FindMutable(std::string_view nameOrPath)
{
    return const_cast<UIElement*>(Find(nameOrPath));
}

std::string UserInterface::Add(UIElement element, std::string& error)
{
    UIElement* parent = FindMutable(element.parent);
    if (!parent)
    {
        error = "Object '" + element.parent + "' not found.";
        return std::string();
    }
    const auto taken = [&](const std::string& name)
    {
        return std::any_of(parent->children.begin(), parent->children.end(),
                           [&](const std::string& child) { return child == parent->path + "|" + name; });
    };
    if (element.name.empty())
    {
        const char* stem = element.kind == UIElement::Kind::kMenu ? "menu" : "menuItem";
        do
            element.name = stem + std::to_string(fNextNumber++);
        while (taken(element.name));
    }
    else if (taken(element.name))
    {
        error = "Object's name '" + element.name + "' is not unique.";
        return std::string();
    }
    element.parent = parent->path;
    element.path = parent->path + "|" + element.name;
    parent->children.push_back(element.path);
    fElements.push_back(std::move(element));
    return fElements.back().path;
}

bool UserInterface::Delete(std::string_view nameOrPath)
{
    const UIElement* element = Find(nameOrPath);
    if (!element || element->kind == UIElement::Kind::kWindow)
        return false;
    const std::string path = element->path;
    const std::string below = path + "|";
    if (UIElement* parent = FindMutable(element->parent))
        std::erase(parent->children, path);
    std::erase_if(fElements, [&](const UIElement& e) { return e.path == path || e.path.starts_with(below); });
    if (fMenuParent == path || fMenuParent.starts_with(below))
        fMenuParent.clear();
    return true;
}
} // namespace vxhost
