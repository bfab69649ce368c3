#pragma once
/// \file EditorTemplate.h
/// What the `editorTemplate` command records: the attribute editor layout an
/// `AE<nodeType>Template` procedure describes. Nothing is drawn; tests read
/// which attributes a template places, suppresses or leaves to the extra
/// controls.
///
///     editorTemplate -beginScrollLayout;                  // starts a template
///     editorTemplate -beginLayout "Flocking" -collapse 0;
///     editorTemplate -label "Neighbours" -addControl "numberOfNeighbours";
///     editorTemplate -addControl "maximumSpeed" "onSpeedChanged";   // a change command
///     editorTemplate -callCustom "newProc" "replaceProc" "attrA" "attrB";
///     editorTemplate -addSeparator;
///     editorTemplate -endLayout;
///     editorTemplate -suppress "target";
///     editorTemplate -addExtraControls;
///     editorTemplate -endScrollLayout;                    // ends it
///
/// One action a call, as in Maya. The command refuses what Maya's attribute
/// editor could not lay out: an action outside -beginScrollLayout and
/// -endScrollLayout, -endLayout without a layout, -endScrollLayout with a
/// layout left open, -label without -addControl, -collapse without
/// -beginLayout. A -beginScrollLayout starts a new template, dropping one
/// that was never ended.

#include <string>
#include <vector>

namespace vxhost
{
/// One action of a template, in the order the template gave them.
struct EditorTemplateItem
{
    enum class Kind
    {
        kBeginLayout,
        kEndLayout,
        kControl,
        kCustom,
        kSuppress,
        kSeparator,
        kExtraControls
    };
    Kind kind = Kind::kControl;
    /// kControl and kSuppress: the one attribute; kCustom: those it places.
    std::vector<std::string> attributes;
    /// kBeginLayout: its label; kControl: its -label, empty for the
    /// attribute's own name.
    std::string label;
    /// kControl: the change command, if given; kCustom: the procedure that
    /// makes the controls.
    std::string command;
    /// kCustom: the procedure that points them at another node.
    std::string replaceCommand;
    /// kBeginLayout: -collapse.
    bool collapse = false;
};

/// A template, from -beginScrollLayout on.
struct EditorTemplate
{
    std::vector<EditorTemplateItem> items;
    /// -endScrollLayout has been given.
    bool complete = false;

    /// The attributes of controls, custom controls and suppressions, each
    /// as often as the template names it.
    std::vector<std::string> PlacedAttributes() const;
    /// The layout as text, one item a line, indented two spaces a layout:
    /// `layout "Flocking"` (with ` collapsed`), `control maximumSpeed`
    /// (with ` "Label"`), `custom a b`, `suppress target`, `separator`,
    /// `extra controls`.
    std::string Outline() const;
};

/// The template being laid out, or the last one finished; empty before the
/// first -beginScrollLayout and after ClearEditorTemplate.
const EditorTemplate& LastEditorTemplate();
void ClearEditorTemplate();
} // namespace vxhost
