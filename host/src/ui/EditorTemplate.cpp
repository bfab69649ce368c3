// editorTemplate: records the attribute editor layout a template procedure
// describes (see EditorTemplate.h).

#include <vxhost/EditorTemplate.h>

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <string>

namespace vxhost
{
namespace
{
EditorTemplate gTemplate;
// Whether a -beginScrollLayout is waiting for its -endScrollLayout.
bool gOpen = false;
// The labels of the layouts begun and not yet ended, innermost last.
std::vector<std::string> gOpenLayouts;

// The actions, by long name; exactly one is given a call.
constexpr const char* kActions[] = {"beginScrollLayout", "endScrollLayout", "beginLayout",
                                    "endLayout",         "addControl",      "callCustom",
                                    "suppress",          "addSeparator",    "addExtraControls"};

MStatus EditorTemplateCommand(const ScriptStatement& statement, CommandResult&)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("bsl", "beginScrollLayout")
                                           .AddFlag("esl", "endScrollLayout")
                                           .AddFlag("bl", "beginLayout", 1)
                                           .AddFlag("el", "endLayout")
                                           .AddFlag("ac", "addControl", 1)
                                           .AddFlag("ccu", "callCustom")
                                           .AddFlag("s", "suppress", 1)
                                           .AddFlag("as", "addSeparator")
                                           .AddFlag("aec", "addExtraControls")
                                           .AddFlag("l", "label", 1)
                                           .AddFlag("cl", "collapse", 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string action;
    for (const char* name : kActions)
        if (args.IsFlagSet(name))
        {
            if (!action.empty())
                return ReportCommandError(statement,
                                          "Give one action a call: -" + action + " and -" + name + ".",
                                          MStatus::kInvalidParameter);
            action = name;
        }
    if (action.empty())
        return ReportCommandError(statement, "No action given (-beginScrollLayout, -addControl, ...).",
                                  MStatus::kInvalidParameter);
    if (args.IsFlagSet("label") && action != "addControl")
        return ReportCommandError(statement, "-label goes with -addControl only.",
                                  MStatus::kInvalidParameter);
    if (args.IsFlagSet("collapse") && action != "beginLayout")
        return ReportCommandError(statement, "-collapse goes with -beginLayout only.",
                                  MStatus::kInvalidParameter);
    const ScriptValues positionals = args.Positionals();
    const unsigned maxPositional = action == "addControl"   ? 1
                                   : action == "callCustom" ? ScriptSyntax::kUnlimited
                                                            : 0;
    const unsigned minPositional = action == "callCustom" ? 2 : 0;
    if (positionals.Count() < minPositional || positionals.Count() > maxPositional)
        return ReportCommandError(statement,
                                  action == "callCustom"
                                      ? "-callCustom takes the two procedures, then the attributes."
                                      : "-" + action + " takes " +
                                            (maxPositional == 0 ? "no further arguments."
                                                                : "at most one further argument, a command."),
                                  MStatus::kInvalidParameter);

    // An unfinished template (one whose procedure failed) is dropped, as
    // the attribute editor starts each template anew.
    if (action == "beginScrollLayout")
    {
        gTemplate = EditorTemplate();
        gOpenLayouts.clear();
        gOpen = true;
        return MStatus::kSuccess;
    }
    if (!gOpen)
        return ReportCommandError(statement,
                                  "-" + action + " outside -beginScrollLayout and -endScrollLayout.");

    EditorTemplateItem item;
    if (action == "endScrollLayout")
    {
        if (!gOpenLayouts.empty())
            return ReportCommandError(statement, "-endScrollLayout with the layout \"" + gOpenLayouts.back() +
                                                     "\" still open.");
        gTemplate.complete = true;
        gOpen = false;
        return MStatus::kSuccess;
    }
    if (action == "beginLayout")
    {
        item.kind = EditorTemplateItem::Kind::kBeginLayout;
        args.ReadFlagValue("beginLayout", item.label);
        if (status = args.ReadFlagValue("collapse", item.collapse); !status)
            return status;
        gOpenLayouts.push_back(item.label);
    }
    else if (action == "endLayout")
    {
        if (gOpenLayouts.empty())
            return ReportCommandError(statement, "-endLayout without a matching -beginLayout.");
        item.kind = EditorTemplateItem::Kind::kEndLayout;
        item.label = gOpenLayouts.back();
        gOpenLayouts.pop_back();
    }
    else if (action == "addControl")
    {
        item.kind = EditorTemplateItem::Kind::kControl;
        item.attributes.resize(1);
        args.ReadFlagValue("addControl", item.attributes[0]);
        args.ReadFlagValue("label", item.label);
        if (positionals.Count() == 1)
            positionals.GetString(0, item.command);
    }
    else if (action == "callCustom")
    {
        item.kind = EditorTemplateItem::Kind::kCustom;
        positionals.GetString(0, item.command);
        positionals.GetString(1, item.replaceCommand);
        for (unsigned i = 2; i < positionals.Count(); ++i)
            positionals.GetString(i, item.attributes.emplace_back());
    }
    else if (action == "suppress")
    {
        item.kind = EditorTemplateItem::Kind::kSuppress;
        item.attributes.resize(1);
        args.ReadFlagValue("suppress", item.attributes[0]);
    }
    else if (action == "addSeparator")
        item.kind = EditorTemplateItem::Kind::kSeparator;
    else
        item.kind = EditorTemplateItem::Kind::kExtraControls;
    gTemplate.items.push_back(std::move(item));
    return MStatus::kSuccess;
}

const CommandRegistrar kEditorTemplate("editorTemplate", EditorTemplateCommand);
} // namespace

std::vector<std::string> EditorTemplate::PlacedAttributes() const
{
    std::vector<std::string> placed;
    for (const EditorTemplateItem& item : items)
        placed.insert(placed.end(), item.attributes.begin(), item.attributes.end());
    return placed;
}

std::string EditorTemplate::Outline() const
{
    std::string text;
    std::string indent;
    for (const EditorTemplateItem& item : items)
    {
        using Kind = EditorTemplateItem::Kind;
        if (item.kind == Kind::kEndLayout)
        {
            indent.resize(indent.size() - 2);
            continue;
        }
        text += indent;
        switch (item.kind)
        {
        case Kind::kBeginLayout:
            text += "layout \"" + item.label + "\"" + (item.collapse ? " collapsed" : "");
            indent += "  ";
            break;
        case Kind::kControl:
            text += "control " + item.attributes[0] + (item.label.empty() ? "" : " \"" + item.label + "\"");
            break;
        case Kind::kCustom:
            text += "custom";
            for (const std::string& attribute : item.attributes)
                text += " " + attribute;
            break;
        case Kind::kSuppress:
            text += "suppress " + item.attributes[0];
            break;
        case Kind::kSeparator:
            text += "separator";
            break;
        case Kind::kExtraControls:
            text += "extra controls";
            break;
        case Kind::kEndLayout:
            break;
        }
        text += '\n';
    }
    return text;
}

const EditorTemplate& LastEditorTemplate()
{
    return gTemplate;
}

void ClearEditorTemplate()
{
    gTemplate = EditorTemplate();
    gOpen = false;
    gOpenLayouts.clear();
}
} // namespace vxhost
