// The expression node type, the `expression` command that makes and edits
// one, and the hook that runs every expression as time steps.
//
// An expression's script is MEL in which `node.attribute` names read and
// write the scene, and `time` (seconds) and `frame` give the moment. Reads
// and writes go through getAttr and setAttr, so they convert and check
// values as a script's own calls do.

#include "ExpressionNode.h"

#include "PlugLookup.h"
#include "dg/Node.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include "dynamics/Dynamics.h"
#include "mel/CommandValues.h"
#include "mel/Interpreter.h"
#include "mel/Parser.h"
#include "UndoQueue.h"

#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPxNode.h>
#include <maya/MTime.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>
#include <vxhost/StdString.h>

#include <map>
#include <memory>
#include <string>

namespace vxhost
{
namespace
{

MObject gExpression;
MObject gObjectName;
MObject gAlwaysEvaluate;

MStatus InitExpression()
{
    MFnTypedAttribute typed;
    MFnNumericAttribute numeric;
    gExpression = typed.create("expression", "exp", MFnData::kString);
    gObjectName = typed.create("objectName", "obn", MFnData::kString);
    gAlwaysEvaluate = numeric.create("alwaysEvaluate", "ae", MFnNumericData::kBoolean, 1.0);
    for (const MObject* attribute : {&gExpression, &gObjectName, &gAlwaysEvaluate})
        if (MStatus status = MPxNode::addAttribute(*attribute); !status)
            return status;
    return MStatus::kSuccess;
}

std::string StringAt(const Node& node, const char* attribute)
{
    std::string error;
    const MPlug plug = LookUpPlug(node.name + "." + attribute, error);
    return plug.isNull() ? std::string() : ToStdString(plug.asString());
}

MStatus SetStringAt(const Node& node, const char* attribute, const std::string& value)
{
    std::string error;
    MPlug plug = LookUpPlug(node.name + "." + attribute, error);
    return plug.isNull() ? MStatus(MStatus::kNotFound) : plug.setString(ToMString(value));
}

// Where an expression's messages are placed: "file: <expression moveGoal> line 2: ...".
std::string SourceName(const Node& node)
{
    return "<expression " + node.name + ">";
}

bool ParseExpression(const std::string& text, const std::string& source, mel::Program& out, std::string& error)
{
    mel::ParseOptions options;
    options.expressionNode = true;
    return mel::Parse(text, source, out, error, options);
}

// The scene as an expression's script sees it at one moment.
class SceneAccess : public mel::AttributeAccess
{
public:
    SceneAccess(double frame, std::string object, std::string source)
        : fFrame(frame), fObject(std::move(object)), fSource(std::move(source))
    {
    }

    bool Read(const std::string& name, int line, mel::Value& out, std::string& error) override
    {
        if (name == "frame")
        {
            out = mel::Value::Float(fFrame);
            return true;
        }
        if (name == "time")
        {
            out = mel::Value::Float(MTime(fFrame, MTime::uiUnit()).as(MTime::kSeconds));
            return true;
        }
        ScriptStatement statement = Statement("getAttr", name, line);
        CommandResult result;
        if (!CommandEngine::Instance().InvokeCommand(statement, result))
            return error.clear(), false;
        out = mel::FromResult(result);
        return true;
    }

    bool Write(const std::string& name, int line, const mel::Value& value, std::string& error) override
    {
        if (name == "frame" || name == "time")
        {
            error = "\"" + name + "\" can be read, not set, in an expression.";
            return false;
        }
        ScriptStatement statement = Statement("setAttr", name, line);
        switch (value.GetType())
        {
        case mel::Type::kInt:
        case mel::Type::kFloat:
        case mel::Type::kVector:
            break;
        case mel::Type::kString:
            statement.arguments.push_back({ScriptArgument::Kind::kFlag, "type"});
            statement.arguments.push_back({ScriptArgument::Kind::kWord, "string"});
            break;
        default:
            error = "An attribute cannot be set to data of type " + std::string(mel::TypeName(value.GetType())) + ".";
            return false;
        }
        mel::AppendArguments(value, false, statement.arguments);
        CommandResult result;
        if (!CommandEngine::Instance().InvokeCommand(statement, result))
            return error.clear(), false;
        return true;
    }

private:
    // A bare attribute name belongs to the expression's object, as in Maya.
    ScriptStatement Statement(const char* command, const std::string& name, int line) const
    {
        ScriptStatement statement;
        statement.command = command;
        statement.file = fSource;
        statement.line = line;
        const bool bare = name.find('.') == std::string::npos && !fObject.empty();
        statement.arguments.push_back({ScriptArgument::Kind::kWord, bare ? fObject + "." + name : name});
        return statement;
    }

    double fFrame;
    std::string fObject;
    std::string fSource;
};

// Parsed scripts by node, parsed again when the text changes.
struct Compiled
{
    std::string text;
    std::shared_ptr<mel::Program> program;
};

std::map<const Node*, Compiled>& CompiledExpressions()
{
    static std::map<const Node*, Compiled> compiled;
    return compiled;
}

MStatus RunExpressions(double frame)
{
    for (const std::shared_ptr<Node>& node : Scene::Get().Nodes())
    {
        if (node->cls->typeName != "expression")
            continue;
        const std::string text = StringAt(*node, "expression");
        if (text.empty())
            continue;
        Compiled& compiled = CompiledExpressions()[node.get()];
        if (!compiled.program || compiled.text != text)
        {
            auto program = std::make_shared<mel::Program>();
            std::string error;
            if (!ParseExpression(text, SourceName(*node), *program, error))
            {
                MGlobal::displayError(ToMString(error));
                return MStatus::kFailure;
            }
            compiled = Compiled{text, std::move(program)};
        }
        // Held while it runs: the script may edit its own node.
        const std::shared_ptr<mel::Program> program = compiled.program;
        SceneAccess access(frame, StringAt(*node, "objectName"), SourceName(*node));
        if (MStatus status = CommandEngine::Instance().Interpreter().RunExpression(*program, access); !status)
            return status;
    }
    return MStatus::kSuccess;
}

// Installed with the host, so a scene that is opened (not made by the
// command) runs its expressions too; a scene without any pays one look at
// its node list per step.
bool InstallHooks()
{
    Scene::Get().OnDelete([](Node& node) { CompiledExpressions().erase(&node); });
    Scene::Get().OnReset([] { CompiledExpressions().clear(); });
    Dynamics::Get().AddParticleHook(
        [](ParticlePhase phase, double frame, const std::vector<std::shared_ptr<Node>>&)
        {
            if (phase == ParticlePhase::kStartOfRun || phase == ParticlePhase::kBeforeDynamics)
                return RunExpressions(frame);
            return MStatus(MStatus::kSuccess);
        });
    return true;
}

// expression -s SCRIPT [-o OBJECT] [-n NAME] [-ae BOOL]: makes an expression
// node and returns its name. -e NAME changes those, -q NAME -s/-o/-ae tells.
MStatus ExpressionCommand(const ScriptStatement& statement, CommandResult& result)
{
    static const ScriptSyntax syntax = ScriptSyntax()
                                           .AddFlag("s", "string", 1)
                                           .AddFlag("o", "object", 1)
                                           .AddFlag("n", "name", 1)
                                           .AddFlag("ae", "alwaysEvaluate", 1)
                                           .EnableQuery()
                                           .EnableEdit()
                                           .SetPositionalCount(0, 1);
    ScriptArgs args;
    MStatus status = args.Parse(statement, syntax);
    if (!status)
        return status;
    Scene& scene = Scene::Get();
    std::shared_ptr<Node> node;
    if (args.IsQuery() || args.IsEdit())
    {
        std::string name;
        if (args.Positionals().Count() == 0 && !args.IsFlagSet("n"))
            return ReportCommandError(statement, "Name the expression.", MStatus::kInvalidParameter);
        if (args.Positionals().Count() > 0)
            args.Positionals().GetString(0, name);
        else
            args.ReadFlagValue("name", name);
        node = scene.Find(name);
        if (!node || node->cls->typeName != "expression")
            return ReportCommandError(statement, "No expression matches name: " + name, MStatus::kNotFound);
    }
    if (args.IsQuery())
    {
        if (args.IsFlagSet("o"))
            result.SetString(StringAt(*node, "objectName"));
        else if (args.IsFlagSet("ae"))
        {
            std::string error;
            result.SetInt(LookUpPlug(node->name + ".alwaysEvaluate", error).asBool() ? 1 : 0);
        }
        else
            result.SetString(StringAt(*node, "expression"));
        return MStatus::kSuccess;
    }

    std::string text;
    std::string object;
    bool always = true;
    if (!args.IsEdit() && !args.IsFlagSet("s"))
        return ReportCommandError(statement, "Give the expression's script with -string.", MStatus::kInvalidParameter);
    if (!(status = args.ReadFlagValue("string", text)) || !(status = args.ReadFlagValue("object", object)) ||
        !(status = args.ReadFlagValue("alwaysEvaluate", always)))
        return status;
    if (args.IsFlagSet("o") && !object.empty() && !scene.Find(object))
        return ReportCommandError(statement, "No object matches name: " + object, MStatus::kNotFound);
    if (args.IsFlagSet("s"))
    {
        // A script that does not read is refused before anything changes.
        mel::Program program;
        std::string error;
        if (!ParseExpression(text, std::string(), program, error))
            return ReportCommandError(statement, "the script's " + error, MStatus::kInvalidParameter);
    }
    if (!args.IsEdit())
    {
        std::string name = "expression1";
        args.ReadFlagValue("name", name);
        if (!IsNodeName(name))
            return ReportCommandError(statement, "'" + name + "' is not a valid name.", MStatus::kInvalidParameter);
        node = scene.CreateNode("expression", name, nullptr, status);
        if (!node)
            return ReportCommandError(statement, StatusText(status), status.statusCode());
    }
    if (args.IsFlagSet("s") && !(status = SetStringAt(*node, "expression", text)))
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    if (args.IsFlagSet("o") && !(status = SetStringAt(*node, "objectName", object)))
        return ReportCommandError(statement, StatusText(status), status.statusCode());
    if (args.IsFlagSet("ae"))
    {
        std::string error;
        if (!(status = LookUpPlug(node->name + ".alwaysEvaluate", error).setBool(always)))
            return ReportCommandError(statement, StatusText(status), status.statusCode());
    }
    result.SetString(node->name);
    return MStatus::kSuccess;
}

const CommandRegistrar kExpression("expression", Undoable(ExpressionCommand));
const bool kHooksInstalled = InstallHooks();
} // namespace

void RegisterExpressionNode(NodeRegistry& registry)
{
    auto cls = std::make_unique<NodeClass>();
    cls->typeName = "expression";
    cls->parent = registry.Find("dependNode");
    cls->apiType = MFn::kExpression;
    registry.Register(std::move(cls), InitExpression);
}
} // namespace vxhost
