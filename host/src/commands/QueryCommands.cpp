// objExists, nodeType and attributeQuery: what a script asks before it
// touches a node or attribute. Missing things are errors worded as the
// other commands word them, except where the question is whether they
// exist.

#include "AttributeTypes.h"
#include "PlugLookup.h"

#include "dg/Scene.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

#include <cctype>
#include <string>
#include <vector>

namespace vxhost
{
namespace
{
MStatus NoMatch(const ScriptStatement& statement, const std::string& name)
{
    return ReportCommandError(statement, "No object matches name: " + name, MStatus::kInvalidParameter);
}

// objExists name: 1 for an existing node or plug ("goal", "goal.tx"), else 0.
MStatus ObjExistsCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name, error;
    args.Positionals().GetString(0, name);
    const bool exists = name.find('.') != std::string::npos ? !LookUpPlug(name, error).isNull()
                                                            : Scene::Get().Find(name) != nullptr;
    result.SetBool(exists);
    return MStatus::kSuccess;
}

// nodeType [-i] name: the node's type; with -i, the types it derives from
// and its own, base first. A plug name stands for its node.
MStatus NodeTypeCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax().AddFlag("i", "inherited").SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string name, error;
    args.Positionals().GetString(0, name);
    std::shared_ptr<Node> node;
    if (name.find('.') != std::string::npos)
    {
        if (const MPlug plug = LookUpPlug(name, error); !plug.isNull())
            node = plug.HostNode();
    }
    else
    {
        node = Scene::Get().Find(name);
    }
    if (!node)
        return NoMatch(statement, name);
    if (!args.IsFlagSet("inherited"))
    {
        result.SetString(node->cls->typeName);
        return MStatus::kSuccess;
    }
    // The root every type shares ("dependNode") says nothing, and Maya
    // leaves it out.
    std::vector<std::string> types;
    for (const NodeClass* c = node->cls; c && c->parent; c = c->parent)
        types.insert(types.begin(), c->typeName);
    result.SetStrings(std::move(types));
    return MStatus::kSuccess;
}

// attributeQuery -attributeType: Maya's names, where a compound of numbers
// is the tuple it holds ("double3") and data is "typed".
std::string AttributeTypeName(const Attribute& a)
{
    switch (a.kind)
    {
    case AttributeKind::kMessage:
        return "message";
    case AttributeKind::kTyped:
        return "typed";
    case AttributeKind::kMatrix:
        return "matrix";
    case AttributeKind::kCompound:
        if (IsNumberCompound(a) && a.children.size() <= 4)
        {
            const std::string base = TupleBase(*a.children[0]);
            for (const auto& child : a.children)
                if (TupleBase(*child) != base)
                    return "compound";
            return base + std::to_string(a.children.size());
        }
        return "compound";
    default:
        return a.ComponentCount() == 1 ? NumberTypeName(a) : TupleBase(a) + std::to_string(a.ComponentCount());
    }
}

// The name Maya's attribute editor shows when none is given:
// "translateX" -> "Translate X", "worldMatrix" -> "World Matrix".
std::string NiceName(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const unsigned char before = i ? static_cast<unsigned char>(name[i - 1]) : 0;
        const bool wordStart = i > 0 && ((std::isupper(c) && !std::isupper(before)) ||
                                         (std::isdigit(c) && !std::isdigit(before)));
        if (wordStart)
            out += ' ';
        out += static_cast<char>(i == 0 ? std::toupper(c) : c);
    }
    return out;
}

// "A:B:C", with "=value" where a field's value does not follow on from the
// one before it (the first follows on from -1).
std::string EnumText(const Attribute& a)
{
    std::string text;
    int expected = 0;
    for (const auto& [field, value] : a.enumFields)
    {
        if (!text.empty())
            text += ':';
        text += field;
        if (value != expected)
            text.append("=").append(std::to_string(value));
        expected = value + 1;
    }
    return text;
}

// attributeQuery [-node N | -type T] flag attribute
// Boolean flags may be combined: the answer is 1 when any is true. The
// numbers of -min, -max and the like are in the UI units, one per
// component, as a float array.
MStatus AttributeQueryCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("n", "node", 1)
                                           .AddFlag("typ", "type", 1)
                                           // Booleans.
                                           .AddFlag("ex", "exists")
                                           .AddFlag("mne", "minExists")
                                           .AddFlag("mxe", "maxExists")
                                           .AddFlag("sme", "softMinExists")
                                           .AddFlag("sxe", "softMaxExists")
                                           .AddFlag("re", "rangeExists")
                                           .AddFlag("se", "softRangeExists")
                                           .AddFlag("k", "keyable")
                                           .AddFlag("ch", "channelBox")
                                           .AddFlag("h", "hidden")
                                           .AddFlag("m", "multi")
                                           .AddFlag("rd", "readable")
                                           .AddFlag("w", "writable")
                                           .AddFlag("c", "connectable")
                                           .AddFlag("st", "storable")
                                           .AddFlag("e", "enum")
                                           // Values.
                                           .AddFlag("min", "minimum")
                                           .AddFlag("max", "maximum")
                                           .AddFlag("smn", "softMin")
                                           .AddFlag("smx", "softMax")
                                           .AddFlag("r", "range")
                                           .AddFlag("s", "softRange")
                                           .AddFlag("ld", "listDefault")
                                           .AddFlag("le", "listEnum")
                                           .AddFlag("at", "attributeType")
                                           .AddFlag("lc", "listChildren")
                                           .AddFlag("lp", "listParent")
                                           .AddFlag("ls", "listSiblings")
                                           .AddFlag("nc", "numberOfChildren")
                                           .AddFlag("nn", "niceName")
                                           .AddFlag("ln", "longName")
                                           .AddFlag("sn", "shortName")
                                           .SetPositionalCount(1, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    std::string attributeName, nodeName, typeName;
    args.Positionals().GetString(0, attributeName);
    if (!(status = args.ReadFlagValue("node", nodeName)) || !(status = args.ReadFlagValue("type", typeName)))
        return status;
    if (args.IsFlagSet("node") == args.IsFlagSet("type"))
        return ReportCommandError(statement, "Give either -node or -type.", MStatus::kInvalidParameter);
    const Attribute* a = nullptr;
    std::string owner;
    if (args.IsFlagSet("node"))
    {
        const std::shared_ptr<Node> node = Scene::Get().Find(nodeName);
        if (!node)
            return NoMatch(statement, nodeName);
        a = node->FindAttribute(attributeName);
        owner = "node '" + node->name + "'";
    }
    else
    {
        const NodeClass* cls = NodeRegistry::Get().Find(typeName);
        if (!cls)
            return ReportCommandError(statement, "Unknown object type: " + typeName, MStatus::kInvalidParameter);
        a = cls->Find(attributeName);
        owner = "node type '" + typeName + "'";
    }
    if (args.IsFlagSet("exists"))
    {
        result.SetBool(a != nullptr);
        return MStatus::kSuccess;
    }
    if (!a)
        return ReportCommandError(statement, "No attribute named '" + attributeName + "' on " + owner + ".",
                                  MStatus::kInvalidParameter);

    const bool isEnum = a->kind == AttributeKind::kEnum;
    const struct
    {
        const char* flag;
        bool value;
    } booleans[] = {{"minExists", a->hasMin},
                    {"maxExists", a->hasMax},
                    {"softMinExists", a->hasSoftMin},
                    {"softMaxExists", a->hasSoftMax},
                    {"rangeExists", a->hasMin && a->hasMax},
                    {"softRangeExists", a->hasSoftMin && a->hasSoftMax},
                    {"keyable", a->keyable},
                    {"channelBox", a->channelBox},
                    {"hidden", a->hidden},
                    {"multi", a->array},
                    {"readable", a->readable},
                    {"writable", a->writable},
                    {"connectable", a->connectable},
                    {"storable", a->storable},
                    {"enum", isEnum}};
    bool anyBoolean = false, answer = false;
    for (const auto& b : booleans)
        if (args.IsFlagSet(b.flag))
        {
            anyBoolean = true;
            answer = answer || b.value;
        }
    if (anyBoolean)
    {
        result.SetBool(answer);
        return MStatus::kSuccess;
    }

    const bool numeric = IsNumberAttribute(*a);
    const auto numbers = [&](const double* internal)
    {
        std::vector<double> out;
        for (unsigned c = 0; c < a->ComponentCount(); ++c)
            out.push_back(InternalToScript(ComponentAttribute(*a, c), internal[c]));
        return out;
    };
    const auto lacks = [&](const char* what)
    {
        return ReportCommandError(statement, "The attribute '" + a->name + "' has no " + what + ".",
                                  MStatus::kInvalidParameter);
    };
    if (args.IsFlagSet("minimum") || args.IsFlagSet("maximum") || args.IsFlagSet("range"))
    {
        const bool wantMin = !args.IsFlagSet("maximum"), wantMax = !args.IsFlagSet("minimum");
        if (!numeric || (wantMin && !a->hasMin) || (wantMax && !a->hasMax))
            return lacks(wantMin && wantMax ? "range" : wantMin ? "minimum" : "maximum");
        std::vector<double> out;
        if (wantMin)
            out = numbers(a->min);
        if (wantMax)
            for (const double v : numbers(a->max))
                out.push_back(v);
        result.SetDoubles(std::move(out));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("softMin") || args.IsFlagSet("softMax") || args.IsFlagSet("softRange"))
    {
        const bool wantMin = !args.IsFlagSet("softMax"), wantMax = !args.IsFlagSet("softMin");
        if (!numeric || (wantMin && !a->hasSoftMin) || (wantMax && !a->hasSoftMax))
            return lacks(wantMin && wantMax ? "soft range" : wantMin ? "soft minimum" : "soft maximum");
        std::vector<double> out;
        if (wantMin)
            out.push_back(InternalToScript(*a, a->softMin));
        if (wantMax)
            out.push_back(InternalToScript(*a, a->softMax));
        result.SetDoubles(std::move(out));
        return MStatus::kSuccess;
    }
    if (args.IsFlagSet("listDefault"))
    {
        if (IsNumberCompound(*a))
        {
            // A compound of numbers defaults child by child (scale: 1 1 1).
            std::vector<double> out;
            for (const auto& child : a->children)
                out.push_back(InternalToScript(*child, child->defaults[0]));
            result.SetDoubles(std::move(out));
        }
        else if (numeric)
        {
            result.SetDoubles(numbers(a->defaults));
        }
        else
        {
            return lacks("numeric default");
        }
    }
    else if (args.IsFlagSet("listEnum"))
    {
        if (!isEnum)
            return ReportCommandError(statement, "The attribute '" + a->name + "' is not an enum.",
                                      MStatus::kInvalidParameter);
        result.SetStrings({EnumText(*a)});
    }
    else if (args.IsFlagSet("attributeType"))
    {
        result.SetString(AttributeTypeName(*a));
    }
    else if (args.IsFlagSet("listChildren") || args.IsFlagSet("listSiblings"))
    {
        std::vector<std::string> names;
        const Attribute* parent = args.IsFlagSet("listChildren") ? a : a->parent;
        if (parent)
            for (const auto& child : parent->children)
                if (child.get() != a || args.IsFlagSet("listChildren"))
                    names.push_back(child->name);
        result.SetStrings(std::move(names));
    }
    else if (args.IsFlagSet("listParent"))
    {
        result.SetStrings(a->parent ? std::vector<std::string>{a->parent->name} : std::vector<std::string>{});
    }
    else if (args.IsFlagSet("numberOfChildren"))
    {
        result.SetInt(static_cast<int>(a->children.size()));
    }
    else if (args.IsFlagSet("niceName"))
    {
        result.SetString(NiceName(a->name));
    }
    else if (args.IsFlagSet("longName"))
    {
        result.SetString(a->name);
    }
    else if (args.IsFlagSet("shortName"))
    {
        result.SetString(a->shortName);
    }
    else
    {
        return ReportCommandError(statement, "Say what to query of the attribute, as with -exists or -minimum.",
                                  MStatus::kInvalidParameter);
    }
    return MStatus::kSuccess;
}

const CommandRegistrar kObjExists("objExists", ObjExistsCommand);
const CommandRegistrar kNodeType("nodeType", NodeTypeCommand);
const CommandRegistrar kAttributeQuery("attributeQuery", AttributeQueryCommand);
} // namespace
} // namespace vxhost
