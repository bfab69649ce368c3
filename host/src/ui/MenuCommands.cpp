// menu, menuItem, setParent and deleteUI, as far as a script that adds a
// menu to Maya's main window uses them; what they make is recorded in
// UserInterface.

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/UserInterface.h>

#include <string>

namespace vxhost
{
namespace
{
using Kind = UIElement::Kind;

const char* KindName(Kind kind)
{
    return kind == Kind::kWindow ? "window" : kind == Kind::kMenu ? "menu" : "menuItem";
}

// The element named by the only positional argument, of the given kind.
MStatus QueriedElement(const ScriptArgs& args, Kind kind, const UIElement*& out)
{
    std::string name;
    if (args.Positionals().Count() != 1)
        return ReportCommandError(args.Statement(), "A query names one " + std::string(KindName(kind)) + ".",
                                  MStatus::kInvalidParameter);
    args.Positionals().GetString(0, name);
    out = UserInterface::Get().Find(name);
    if (!out || out->kind != kind)
        return ReportCommandError(args.Statement(), "Object '" + name + "' not found.", MStatus::kNotFound);
    return MStatus::kSuccess;
}

// The names of the element's children, as -itemArray answers.
std::vector<std::string> ChildNames(const UIElement& element)
{
    std::vector<std::string> names;
    for (const std::string& child : element.children)
        names.push_back(child.substr(child.rfind('|') + 1));
    return names;
}

// `-exists NAME` (outside a query): 1 when an element of that kind has the
// name, else 0. False when the flag was not given.
bool AnsweredExists(ScriptArgs& args, Kind kind, CommandResult& result)
{
    if (!args.IsFlagSet("exists") || args.IsQuery())
        return false;
    std::string name;
    args.ReadFlagValue("exists", name);
    const UIElement* element = UserInterface::Get().Find(name);
    result.SetBool(element && element->kind == kind);
    return true;
}

// menu [-label L] [-parent WINDOW] [-tearOff BOOL] [NAME]: a menu of the
// window (by default the current one, the main window unless setParent chose
// another), which becomes the parent of the items made next. Returns its
// path. `menu -exists NAME` answers 1 or 0; `menu -q -label` and
// `-q -itemArray` (the items' names) query one.
MStatus MenuCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("l", "label", 1)
                                           .AddFlag("p", "parent", 1)
                                           .AddFlag("to", "tearOff", 1)
                                           .AddFlag("ex", "exists", 1)
                                           .AddFlag("ia", "itemArray")
                                           .EnableQuery()
                                           .SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    UserInterface& ui = UserInterface::Get();
    if (AnsweredExists(args, Kind::kMenu, result))
        return MStatus::kSuccess;
    if (args.IsQuery())
    {
        const UIElement* menu = nullptr;
        if (status = QueriedElement(args, Kind::kMenu, menu); !status)
            return status;
        if (args.IsFlagSet("itemArray"))
            result.SetStrings(ChildNames(*menu));
        else if (args.IsFlagSet("label"))
            result.SetString(menu->label);
        else if (args.IsFlagSet("tearOff"))
            result.SetBool(menu->tearOff);
        else
            return ReportCommandError(statement, "Query -label, -tearOff or -itemArray.",
                                      MStatus::kInvalidParameter);
        return MStatus::kSuccess;
    }

    UIElement menu;
    menu.kind = Kind::kMenu;
    menu.parent = ui.WindowParent();
    args.ReadFlagValue("parent", menu.parent);
    args.ReadFlagValue("label", menu.label);
    if (status = args.ReadFlagValue("tearOff", menu.tearOff); !status)
        return status;
    if (args.Positionals().Count() == 1)
        args.Positionals().GetString(0, menu.name);
    const UIElement* parent = ui.Find(menu.parent);
    if (!parent || parent->kind != Kind::kWindow)
        return ReportCommandError(statement, "Object '" + menu.parent + "' not found or not a window.",
                                  MStatus::kNotFound);
    std::string error;
    const std::string path = ui.Add(std::move(menu), error);
    if (path.empty())
        return ReportCommandError(statement, error);
    ui.SetMenuParent(path);
    result.SetString(path);
    return MStatus::kSuccess;
}

// menuItem [-label L] [-command SCRIPT] [-annotation TEXT] [-divider BOOL]
// [-subMenu BOOL [-tearOff BOOL]] [-parent MENU] [NAME]: an item of the
// current menu parent (or -parent). A sub-menu item becomes the parent of
// the items made next, until `setParent -menu ..`. Returns its path.
// `menuItem -exists NAME`; `-q` of -label, -command, -annotation,
// -divider, -subMenu.
MStatus MenuItemCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("l", "label", 1)
                                           .AddFlag("c", "command", 1)
                                           .AddFlag("ann", "annotation", 1)
                                           .AddFlag("d", "divider", 1)
                                           .AddFlag("sm", "subMenu", 1)
                                           .AddFlag("to", "tearOff", 1)
                                           .AddFlag("p", "parent", 1)
                                           .AddFlag("ex", "exists", 1)
                                           .EnableQuery()
                                           .SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    UserInterface& ui = UserInterface::Get();
    if (AnsweredExists(args, Kind::kMenuItem, result))
        return MStatus::kSuccess;
    if (args.IsQuery())
    {
        const UIElement* item = nullptr;
        if (status = QueriedElement(args, Kind::kMenuItem, item); !status)
            return status;
        if (args.IsFlagSet("label"))
            result.SetString(item->label);
        else if (args.IsFlagSet("command"))
            result.SetString(item->command);
        else if (args.IsFlagSet("annotation"))
            result.SetString(item->annotation);
        else if (args.IsFlagSet("divider"))
            result.SetBool(item->divider);
        else if (args.IsFlagSet("subMenu"))
            result.SetBool(item->subMenu);
        else
            return ReportCommandError(statement, "Query -label, -command, -annotation, -divider or -subMenu.",
                                      MStatus::kInvalidParameter);
        return MStatus::kSuccess;
    }

    UIElement item;
    item.kind = Kind::kMenuItem;
    item.parent = ui.MenuParent();
    args.ReadFlagValue("parent", item.parent);
    args.ReadFlagValue("label", item.label);
    args.ReadFlagValue("command", item.command);
    args.ReadFlagValue("annotation", item.annotation);
    if (status = args.ReadFlagValue("divider", item.divider); !status)
        return status;
    if (status = args.ReadFlagValue("subMenu", item.subMenu); !status)
        return status;
    if (status = args.ReadFlagValue("tearOff", item.tearOff); !status)
        return status;
    if (args.Positionals().Count() == 1)
        args.Positionals().GetString(0, item.name);
    if (item.parent.empty())
        return ReportCommandError(statement,
                                  "No menu to add the item to: make a menu first, or give -parent.");
    const UIElement* parent = ui.Find(item.parent);
    if (!parent || parent->kind == Kind::kWindow || (parent->kind == Kind::kMenuItem && !parent->subMenu))
        return ReportCommandError(statement, "Object '" + item.parent + "' not found or not a menu.",
                                  MStatus::kNotFound);
    if (item.divider && (item.subMenu || !item.command.empty()))
        return ReportCommandError(statement, "A divider has no command and no sub-menu.",
                                  MStatus::kInvalidParameter);
    const bool subMenu = item.subMenu;
    std::string error;
    const std::string path = ui.Add(std::move(item), error);
    if (path.empty())
        return ReportCommandError(statement, error);
    if (subMenu)
        ui.SetMenuParent(path);
    result.SetString(path);
    return MStatus::kSuccess;
}

// setParent [-menu] PARENT | ..: makes PARENT the default parent of the
// menus (a window) or, with -menu, of the menu items (a menu or sub-menu
// item) made next; ".." goes one up. `setParent -q [-menu]` answers the
// current one. Returns the new parent's path.
MStatus SetParentCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax =
        ScriptSyntax().AddFlag("m", "menu").EnableQuery().SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    UserInterface& ui = UserInterface::Get();
    const bool menu = args.IsFlagSet("menu");
    if (args.IsQuery())
    {
        result.SetString(menu ? ui.MenuParent() : ui.WindowParent());
        return MStatus::kSuccess;
    }
    if (args.Positionals().Count() != 1)
        return ReportCommandError(statement, "Name the new parent, or \"..\".", MStatus::kInvalidParameter);
    std::string name;
    args.Positionals().GetString(0, name);
    const std::string& current = menu ? ui.MenuParent() : ui.WindowParent();
    const UIElement* target = nullptr;
    if (name == "..")
    {
        const UIElement* here = ui.Find(current);
        target = here ? ui.Find(here->parent) : nullptr;
        // Above a top-level menu there is no menu parent.
        if (menu && (!target || target->kind == Kind::kWindow))
        {
            ui.SetMenuParent(std::string());
            result.SetString(std::string());
            return MStatus::kSuccess;
        }
        if (!target)
            return ReportCommandError(statement, "There is no parent above '" + current + "'.",
                                      MStatus::kNotFound);
    }
    else
    {
        target = ui.Find(name);
        const bool fits =
            target && (menu ? target->kind == Kind::kMenu || target->subMenu : target->kind == Kind::kWindow);
        if (!fits)
            return ReportCommandError(
                statement, "Object '" + name + "' not found or not a " + (menu ? "menu." : "window."),
                MStatus::kNotFound);
    }
    if (menu)
        ui.SetMenuParent(target->path);
    else
        ui.SetWindowParent(target->path);
    result.SetString(target->path);
    return MStatus::kSuccess;
}

// deleteUI [-menu | -menuItem] NAMES...: removes the elements and what is
// under them. Every name is checked before anything goes.
MStatus DeleteUICommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax =
        ScriptSyntax().AddFlag("m", "menu").AddFlag("mi", "menuItem").SetPositionalCount(1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    UserInterface& ui = UserInterface::Get();
    std::vector<std::string> paths;
    for (unsigned i = 0; i < args.Positionals().Count(); ++i)
    {
        std::string name;
        args.Positionals().GetString(i, name);
        const UIElement* element = ui.Find(name);
        if (!element || (args.IsFlagSet("menu") && element->kind != Kind::kMenu) ||
            (args.IsFlagSet("menuItem") && element->kind != Kind::kMenuItem))
            return ReportCommandError(statement, "Object '" + name + "' not found.", MStatus::kNotFound);
        if (element->kind == Kind::kWindow)
            return ReportCommandError(statement, "The main window cannot be deleted.");
        paths.push_back(element->path);
    }
    for (const std::string& path : paths)
        ui.Delete(path);
    return MStatus::kSuccess;
}

const CommandRegistrar kMenu("menu", MenuCommand);
const CommandRegistrar kMenuItem("menuItem", MenuItemCommand);
const CommandRegistrar kSetParent("setParent", SetParentCommand);
const CommandRegistrar kDeleteUI("deleteUI", DeleteUICommand);

// Maya's scripts reach the main window through this global.
const struct MainWindowGlobal
{
    MainWindowGlobal()
    {
        CommandEngine::Instance().SetGlobalString("gMainWindow", UserInterface::kMainWindow);
    }
} kMainWindowGlobal;
} // namespace
} // namespace vxhost
