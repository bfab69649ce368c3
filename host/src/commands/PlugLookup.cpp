#include "PlugLookup.h"

#include "dg/Names.h"
#include "dg/Scene.h"

#include <maya/MDistance.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MTime.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace vxhost
{
namespace
{
// One ".name[index]" of a plug name; index -1 when none was written.
struct NamePart
{
    std::string_view name;
    int index = -1;
};

// Splits "attr[3]" into its name and index; false for anything else
// ("attr[", "attr[-1]", "attr[x]", "[3]").
bool SplitPart(std::string_view text, NamePart& out)
{
    const std::size_t open = text.find('[');
    out.name = text.substr(0, open);
    out.index = -1;
    if (out.name.empty())
        return false;
    if (open == std::string_view::npos)
        return true;
    if (text.back() != ']' || open + 2 >= text.size())
        return false;
    const char* first = text.data() + open + 1;
    const char* last = text.data() + text.size() - 1;
    const auto result = std::from_chars(first, last, out.index);
    return result.ec == std::errc() && result.ptr == last && out.index >= 0;
}

const Attribute* ChildNamed(const Attribute& parent, std::string_view name)
{
    for (const auto& child : parent.children)
        if (child->IsNamed(name))
            return child.get();
    return nullptr;
}
} // namespace

MPlug LookUpPlug(std::string_view text, std::string& error)
{
    error = "No object matches name: " + std::string(text);
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return MPlug();
    const std::shared_ptr<Node> node = Scene::Get().Find(text.substr(0, dot));
    if (!node)
        return MPlug();

    PlugPath path;
    std::string_view rest = text.substr(dot + 1);
    while (true)
    {
        const std::size_t next = rest.find('.');
        NamePart part;
        if (!SplitPart(rest.substr(0, next), part))
            return MPlug();
        if (path.empty())
        {
            // The first name may be a child's own: its parents come with it.
            const Attribute* attribute = node->FindAttribute(part.name);
            if (!attribute)
                return MPlug();
            path = node->PathTo(attribute);
        }
        else
        {
            const Attribute* attribute = ChildNamed(*path.back().attribute, part.name);
            if (!attribute)
                return MPlug();
            path.push_back(PlugStep{attribute, -1});
        }
        if (part.index >= 0)
        {
            if (!path.back().attribute->array)
                return MPlug();
            path.back().index = part.index;
        }
        if (next == std::string_view::npos)
            break;
        rest = rest.substr(next + 1);
    }
    // Only the last step may stand for a whole array: nothing lives at an
    // open index on the way down.
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i].attribute->array && path[i].index < 0)
            return MPlug();
    error.clear();
    return MPlug(node, std::move(path));
}

bool IsNodeName(std::string_view name)
{
    return IsValidName(name);
}

MPlug DrivingPlug(const MPlug& plug)
{
    if (plug.isNull())
        return MPlug();
    const Node& node = *plug.HostNode();
    if (Scene::Get().SourceOf(node, plug.Steps()))
        return plug;
    const std::size_t fed = node.ConnectedAncestor(plug.Steps());
    if (fed == 0)
        return MPlug();
    PlugPath path(plug.Steps().begin(), plug.Steps().begin() + static_cast<std::ptrdiff_t>(fed));
    if (!Scene::Get().SourceOf(node, path))
        path.back().index = -1; // the whole array is connected
    return MPlug(plug.HostNode(), path);
}

std::string StatusText(const MStatus& status)
{
    std::string text = status.errorString().asChar();
    if (const std::size_t end = text.find("): "); !text.empty() && text[0] == '(' && end != std::string::npos)
        text.erase(0, end + 3);
    return text;
}

double ScriptToInternal(const Attribute& attribute, double value)
{
    if (attribute.kind != AttributeKind::kUnit)
        return value;
    switch (attribute.unitType)
    {
    case MFnUnitAttribute::kDistance:
        return MDistance::uiToInternal(value);
    case MFnUnitAttribute::kAngle:
        return value * (std::numbers::pi / 180.0);
    case MFnUnitAttribute::kTime:
        return MTime(value, MTime::uiUnit()).as(MTime::kSeconds);
    default:
        return value;
    }
}

double InternalToScript(const Attribute& attribute, double value)
{
    if (attribute.kind != AttributeKind::kUnit)
        return value;
    double converted = value;
    switch (attribute.unitType)
    {
    case MFnUnitAttribute::kDistance:
        converted = MDistance::internalToUI(value);
        break;
    case MFnUnitAttribute::kAngle:
        converted = value * (180.0 / std::numbers::pi);
        break;
    case MFnUnitAttribute::kTime:
        converted = MTime(value, MTime::kSeconds).as(MTime::uiUnit());
        break;
    default:
        return value;
    }
    // Converting there and back rounds: 30 degrees read back as
    // 29.999999999999996. The value rounded to 15 digits is what was typed
    // whenever it converts to exactly the stored number, so a value set
    // from a script reads back as written.
    char text[32];
    std::snprintf(text, sizeof(text), "%.15g", converted);
    const double rounded = std::strtod(text, nullptr);
    return ScriptToInternal(attribute, rounded) == value ? rounded : converted;
}
} // namespace vxhost
