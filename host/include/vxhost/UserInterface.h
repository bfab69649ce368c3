#pragma once
/// \file UserInterface.h
/// The host's record of the user interface elements scripts make with
/// Maya's `menu`, `menuItem`, `setParent` and `deleteUI`: the main window
/// ("MayaWindow", also the global `$gMainWindow`), its menus and their
/// items. Nothing is drawn; tests and tools read what a script built, and
/// may run an item's command as a click would.
///
/// Elements are named as Maya names them: a full path from the window
/// ("MayaWindow|volarixMenu|menuItem3"); commands take the full path or the
/// short name (the first element of that name, in the order made).

#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{
struct UIElement
{
    enum class Kind
    {
        kWindow,
        kMenu,
        kMenuItem
    };
    Kind kind = Kind::kMenuItem;
    std::string name; ///< unique among its siblings
    std::string path; ///< the parent's path, '|', the name
    std::string parent;
    std::string label;
    std::string command;    ///< a menu item's script, run when it is chosen
    std::string annotation; ///< a menu item's help text
    bool tearOff = false;   ///< menus and sub-menus
    bool divider = false;
    bool subMenu = false;
    std::vector<std::string> children; ///< paths, in the order made
};

class UserInterface
{
public:
    static constexpr const char* kMainWindow = "MayaWindow";

    static UserInterface& Get();

    /// The element a full path or short name refers to; null when none.
    const UIElement* Find(std::string_view nameOrPath) const;
    /// Back to the main window alone, with no menu parent.
    void Reset();

    /// Adds an element under element.parent (which must exist), naming it
    /// `<kind><n>` ("menu1", "menuItem2") when element.name is empty.
    /// Returns its path; empty, with `error`, for a name its siblings have.
    std::string Add(UIElement element, std::string& error);
    /// Removes the element and everything under it; false when there is
    /// none. The main window stays.
    bool Delete(std::string_view nameOrPath);

    /// Where `menuItem` puts items by default: the last menu made, or the
    /// sub-menu item or menu `setParent -menu` chose; empty for none.
    const std::string& MenuParent() const { return fMenuParent; }
    void SetMenuParent(std::string path) { fMenuParent = std::move(path); }
    /// Where `menu` puts menus by default: the main window unless
    /// `setParent` chose another window.
    const std::string& WindowParent() const { return fWindowParent; }
    void SetWindowParent(std::string path) { fWindowParent = std::move(path); }

private:
    UserInterface();
    UIElement* FindMutable(std::string_view nameOrPath);

    std::vector<UIElement> fElements; // in the order made; the window first
    unsigned fNextNumber = 1;
    std::string fMenuParent;
    std::string fWindowParent;
};
} // namespace vxhost
