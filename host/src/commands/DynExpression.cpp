#include "DynExpression.h"

#include "ParticleArrays.h"

#include "dg/DataObjects.h"
#include "dg/Scene.h"
#include "dg/SceneChanges.h"
#include "dynamics/Dynamics.h"
#include "dynamics/ParticleNode.h"

#include <maya/MTime.h>

#include <muParser.h>

#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <string_view>
#include <vector>

namespace vxhost
{
namespace
{
// The expressions by shape, in the order of ExpressionKind.
std::map<const Node*, std::array<std::string, kExpressionKinds>>& Expressions()
{
    static std::map<const Node*, std::array<std::string, kExpressionKinds>> expressions;
    return expressions;
}

std::uint64_t Mix(std::uint64_t x)
{
    // SplitMix64's finaliser: every input bit reaches every output bit.
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// What rand() draws from while one particle's expression runs: a counter
// hashed with the particle and the moment, so that draws depend on nothing
// that happened before (no generator state to save or rewind).
struct RandomSource
{
    std::uint64_t key = 0;
    std::uint64_t draw = 0;

    double Next()
    {
        const std::uint64_t bits = Mix(key ^ Mix(draw++));
        return static_cast<double>(bits >> 11) * 0x1.0p-53;
    }
};

double Rand(void* data, const double* args, int count)
{
    const double u = static_cast<RandomSource*>(data)->Next();
    if (count == 1)
        return u * args[0];
    if (count == 2)
        return args[0] + u * (args[1] - args[0]);
    throw mu::ParserError("rand takes one or two arguments: rand(max) or rand(min, max).");
}

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// muparser has no compound assignment: "a += b" is "a = a + (b)".
std::string ExpandCompoundAssignment(const std::string& statement)
{
    std::size_t at = 0;
    if (statement.empty() || !IsNameStart(statement[0]))
        return statement;
    while (at < statement.size() && IsNameChar(statement[at]))
        ++at;
    const std::string name = statement.substr(0, at);
    while (at < statement.size() && statement[at] == ' ')
        ++at;
    if (at + 2 >= statement.size() ||
        std::string_view("+-*/").find(statement[at]) == std::string_view::npos || statement[at + 1] != '=' ||
        statement[at + 2] == '=')
        return statement;
    return name + " = " + name + " " + statement[at] + " (" + statement.substr(at + 2) + ")";
}

// Maya's statements end with ';'; muparser separates expressions with ','.
// Without a ';' each line is a statement. Comments go first.
std::string ToMuParser(const std::string& text)
{
    std::string code;
    for (std::size_t at = 0; at < text.size();)
    {
        const std::size_t comment = text.find("//", at);
        const std::size_t line = text.find('\n', at);
        if (comment < line)
        {
            code.append(text, at, comment - at);
            at = line == std::string::npos ? text.size() : line;
            continue;
        }
        const std::size_t end = line == std::string::npos ? text.size() : line + 1;
        code.append(text, at, end - at);
        at = end;
    }
    const char separator = code.find(';') != std::string::npos ? ';' : '\n';
    std::string joined;
    std::size_t start = 0;
    while (start <= code.size())
    {
        std::size_t end = code.find(separator, start);
        if (end == std::string::npos)
            end = code.size();
        std::string statement = code.substr(start, end - start);
        for (char& c : statement)
            if (c == '\n' || c == '\r' || c == '\t')
                c = ' ';
        const std::size_t first = statement.find_first_not_of(' ');
        if (first != std::string::npos)
        {
            statement = statement.substr(first, statement.find_last_not_of(' ') - first + 1);
            statement = ExpandCompoundAssignment(statement);
            joined += (joined.empty() ? "" : ", ") + statement;
        }
        start = end + 1;
    }
    return joined;
}

// The names an expression assigns to: a name followed by '=' (not '==').
std::set<std::string> AssignedNames(const std::string& code)
{
    std::set<std::string> names;
    for (std::size_t at = 0; at < code.size();)
    {
        if (!IsNameStart(code[at]) || (at > 0 && (IsNameChar(code[at - 1]) || code[at - 1] == '.')))
        {
            ++at;
            continue;
        }
        const std::size_t start = at;
        while (at < code.size() && IsNameChar(code[at]))
            ++at;
        std::size_t next = at;
        while (next < code.size() && code[next] == ' ')
            ++next;
        if (next < code.size() && code[next] == '=' && (next + 1 == code.size() || code[next + 1] != '='))
            names.insert(code.substr(start, at - start));
    }
    return names;
}

// One variable slot: a component of a per-particle array.
struct Binding
{
    ParticleArray array;
    int component = -1; // -1 for a double array, 0 to 2 for x, y, z
    bool assigned = false;
};

// An expression made ready for one shape: the parser with its variables
// bound to slots. Built afresh for each run, as arrays come and go.
class CompiledExpression
{
public:
    // Throws mu::ParserError for a bad expression.
    CompiledExpression(const Node& shape, const std::string& text) : fCode(ToMuParser(text))
    {
        const std::vector<ParticleArray> arrays = ParticleArraysOf(shape);
        for (const ParticleArray& array : arrays)
            for (int c = array.vector ? 0 : -1; c < (array.vector ? 3 : 0); ++c)
                fBindings.push_back({array, c, false});
        // The slots must not move once muparser holds their addresses.
        fSlots.assign(fBindings.size() + 2, 0.0);
        std::set<std::string> defined;
        const auto define = [&](const std::string& name, double* slot, int binding)
        {
            if (!defined.insert(name).second)
                return;
            try
            {
                fParser.DefineVar(name, slot);
                fNames.emplace(name, binding);
            }
            catch (const mu::ParserError&)
            {
                // A name muparser keeps for itself (a function's): the
                // other name of the array still reaches it.
            }
        };
        define("time", &fSlots[fBindings.size()], -1);
        define("frame", &fSlots[fBindings.size() + 1], -1);
        static const char* const kAxes[3] = {"X", "Y", "Z"};
        for (std::size_t b = 0; b < fBindings.size(); ++b)
        {
            const Binding& binding = fBindings[b];
            const std::string suffix = binding.component < 0 ? "" : kAxes[binding.component];
            define(binding.array.attribute->name + suffix, &fSlots[b], static_cast<int>(b));
            define(binding.array.attribute->shortName + suffix, &fSlots[b], static_cast<int>(b));
        }
        fParser.DefineFunUserData("rand", Rand, &fRandom, false);
        fParser.SetExpr(fCode);
        for (const std::string& name : AssignedNames(fCode))
            if (const auto it = fNames.find(name); it != fNames.end() && it->second >= 0)
                fBindings[static_cast<std::size_t>(it->second)].assigned = true;
        // Reading happens on the first evaluation: do it now, with every
        // variable zero, so a bad expression is refused when it is set.
        fParser.Eval();
    }

    const std::string& Code() const { return fCode; }

    // Runs for particles first .. first + count - 1. Throws
    // mu::ParserError.
    void Run(Node& shape, unsigned first, unsigned count, double frame, ExpressionKind kind)
    {
        const unsigned total = ParticleCount(shape);
        const unsigned end = std::min(total, first + count);
        fSlots[fBindings.size()] = MTime(frame, MTime::uiUnit()).as(MTime::kSeconds);
        fSlots[fBindings.size() + 1] = frame;
        // Each binding's array; assigned ones grown to one entry per
        // particle.
        std::vector<MDoubleArray*> doubles(fBindings.size(), nullptr);
        std::vector<MVectorArray*> vectors(fBindings.size(), nullptr);
        for (std::size_t b = 0; b < fBindings.size(); ++b)
        {
            const ParticleArray& array = fBindings[b].array;
            if (array.vector)
            {
                vectors[b] = &VectorArrayAt(shape, array.attribute);
                while (fBindings[b].assigned && vectors[b]->length() < total)
                    vectors[b]->append(MVector(array.fallback, array.fallback, array.fallback));
            }
            else
            {
                doubles[b] = &DoubleArrayAt(shape, array.attribute);
                while (fBindings[b].assigned && doubles[b]->length() < total)
                    doubles[b]->append(array.fallback);
            }
        }
        const MDoubleArray& ids = DoubleArrayAt(shape, Attribute::From(Particle().particleId));
        const std::uint64_t moment =
            Mix(std::bit_cast<std::uint64_t>(frame) ^ (static_cast<std::uint64_t>(kind) << 60));
        for (unsigned i = first; i < end; ++i)
        {
            for (std::size_t b = 0; b < fBindings.size(); ++b)
            {
                const Binding& binding = fBindings[b];
                if (vectors[b])
                    fSlots[b] = i < vectors[b]->length()
                                    ? (*vectors[b])[i][static_cast<unsigned>(binding.component)]
                                    : binding.array.fallback;
                else
                    fSlots[b] = i < doubles[b]->length() ? (*doubles[b])[i] : binding.array.fallback;
            }
            const double id = i < ids.length() ? ids[i] : static_cast<double>(i);
            fRandom.key = Mix(moment ^ std::bit_cast<std::uint64_t>(id));
            fRandom.draw = 0;
            fParser.Eval();
            for (std::size_t b = 0; b < fBindings.size(); ++b)
            {
                if (!fBindings[b].assigned)
                    continue;
                if (vectors[b])
                    (*vectors[b])[i][static_cast<unsigned>(fBindings[b].component)] = fSlots[b];
                else
                    (*doubles[b])[i] = fSlots[b];
            }
        }
        Scene::Get().Touch();
    }

private:
    std::string fCode;
    mu::Parser fParser;
    std::vector<Binding> fBindings;
    std::vector<double> fSlots;
    std::map<std::string, int> fNames; // variable name -> binding, -1 for time and frame
    RandomSource fRandom;
};

const char* KindName(ExpressionKind kind)
{
    switch (kind)
    {
    case ExpressionKind::kCreation:
        return "creation";
    case ExpressionKind::kBeforeDynamics:
        return "runtime before dynamics";
    default:
        return "runtime after dynamics";
    }
}

// What the hooks in time and the scene do for expressions; made with the
// first expression, so a scene without any pays nothing as it steps.
void InstallHooks()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    Scene::Get().OnDelete(
        [](Node& node)
        {
            const auto it = Expressions().find(&node);
            if (it == Expressions().end())
                return;
            if (SceneChanges* record = SceneChanges::Recording())
                record->Toggle([keep = node.Self(), other = it->second]() mutable
                               { std::swap(Expressions()[keep.get()], other); });
            Expressions().erase(it);
        });
    Scene::Get().OnReset([] { Expressions().clear(); });
    Dynamics::Get().AddParticleHook(
        [](ParticlePhase phase, double frame, const std::vector<std::shared_ptr<Node>>& systems)
        {
            const ExpressionKind kind = phase == ParticlePhase::kStartOfRun ? ExpressionKind::kCreation
                                        : phase == ParticlePhase::kBeforeDynamics
                                            ? ExpressionKind::kBeforeDynamics
                                            : ExpressionKind::kAfterDynamics;
            for (const auto& system : systems)
                if (MStatus status = RunParticleExpression(*system, kind, 0, ParticleCount(*system), frame);
                    !status)
                    return status;
            return MStatus(MStatus::kSuccess);
        });
}
} // namespace

const char* ExpressionKindFlag(ExpressionKind kind)
{
    switch (kind)
    {
    case ExpressionKind::kCreation:
        return "c";
    case ExpressionKind::kBeforeDynamics:
        return "rbd";
    default:
        return "rad";
    }
}

std::string ParticleExpression(const Node& shape, ExpressionKind kind)
{
    const auto it = Expressions().find(&shape);
    return it == Expressions().end() ? std::string() : it->second[static_cast<std::size_t>(kind)];
}

MStatus SetParticleExpression(Node& shape, ExpressionKind kind, const std::string& text, std::string& error)
{
    if (text.find_first_not_of(" \t\r\n;") != std::string::npos)
    {
        try
        {
            CompiledExpression check(shape, text);
        }
        catch (const mu::ParserError& e)
        {
            error = e.GetMsg() + " in \"" + ToMuParser(text) + "\"";
            return MStatus(MStatus::kInvalidParameter, error.c_str());
        }
    }
    InstallHooks();
    std::string& slot = Expressions()[&shape][static_cast<std::size_t>(kind)];
    if (SceneChanges* record = SceneChanges::Recording(); record && slot != text)
        record->Toggle([keep = shape.Self(), kind, other = slot]() mutable
                       { std::swap(Expressions()[keep.get()][static_cast<std::size_t>(kind)], other); });
    slot = text;
    return MStatus::kSuccess;
}

MStatus RunParticleExpression(Node& shape, ExpressionKind kind, unsigned first, unsigned count, double frame)
{
    const std::string text = ParticleExpression(shape, kind);
    if (text.find_first_not_of(" \t\r\n;") == std::string::npos || count == 0)
        return MStatus::kSuccess;
    try
    {
        CompiledExpression expression(shape, text);
        expression.Run(shape, first, count, frame, kind);
    }
    catch (const mu::ParserError& e)
    {
        const std::string message = "The " + std::string(KindName(kind)) + " expression of " + shape.name +
                                    " failed: " + e.GetMsg() + " in \"" + ToMuParser(text) + "\"";
        return MStatus(MStatus::kFailure, message.c_str());
    }
    return MStatus::kSuccess;
}
} // namespace vxhost
