// Wildcard matching of node names, shared by the commands that take name
// patterns, so that `ls "goal*"` and `select "goal*"` agree.

#include "NamePattern.h"

#include "PlugLookup.h"
#include "dg/Scene.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/ScriptArgs.h>

namespace vxhost
{
bool GlobMatch(std::string_view pattern, std::string_view text)
{
    // Greedy with one backtrack point: the last '*' seen is the only one
    // that ever needs to take more characters, so this is linear-ish rather
    // than exponential on patterns like "*a*a*a*b".
    std::size_t p = 0, t = 0;
    std::size_t star = std::string_view::npos, resume = 0;
    while (t < text.size())
    {
        // Wildcards stay within one name of a path, as Maya's do.
        if (p < pattern.size() && ((pattern[p] == '?' && text[t] != '|') || pattern[p] == text[t]))
        {
            ++p;
            ++t;
        }
        else if (p < pattern.size() && pattern[p] == '*')
        {
            star = p++;
            resume = t;
        }
        else if (star != std::string_view::npos && text[resume] != '|')
        {
            p = star + 1;
            t = ++resume;
        }
        else
        {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool HasWildcards(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}

std::string FullPathName(const Node& node)
{
    if (!node.cls->dag)
        return node.name;
    std::string path;
    for (const Node* n = &node; n; n = n->parent)
        path.insert(0, "|" + n->name);
    return path;
}

std::vector<std::shared_ptr<Node>> MatchNodes(std::string_view pattern)
{
    std::vector<std::shared_ptr<Node>> out;
    if (!HasWildcards(pattern))
    {
        if (std::shared_ptr<Node> node = Scene::Get().Find(pattern); node && node->alive)
            out.push_back(std::move(node));
        return out;
    }
    const bool byPath = pattern.find('|') != std::string_view::npos;
    const bool fromWorld = !pattern.empty() && pattern.front() == '|';
    for (const auto& node : Scene::Get().Nodes())
    {
        if (!node->alive)
            continue;
        bool match = false;
        if (!byPath)
        {
            match = GlobMatch(pattern, node->name);
        }
        else if (node->cls->dag)
        {
            const std::string full = FullPathName(*node);
            if (fromWorld)
                match = GlobMatch(pattern, full);
            else
                // A relative path may start at any node on the way down.
                for (std::size_t bar = 0; !match && bar != std::string::npos; bar = full.find('|', bar + 1))
                    match = GlobMatch(pattern, std::string_view(full).substr(bar + 1));
        }
        if (match)
            out.push_back(node);
    }
    return out;
}
MStatus MatchObjects(const ScriptStatement& statement, const ScriptValues& names, std::vector<NamedObject>& out)
{
    for (unsigned i = 0; i < names.Count(); ++i)
    {
        std::string name;
        std::string error;
        names.GetString(i, name);
        if (name.find('.') != std::string::npos)
        {
            const MPlug plug = LookUpPlug(name, error);
            if (plug.isNull())
                return ReportCommandError(statement, error, MStatus::kInvalidParameter);
            out.push_back({plug.HostNode(), plug.Steps()});
            continue;
        }
        const std::vector<std::shared_ptr<Node>> matched = MatchNodes(name);
        if (matched.empty())
            return ReportCommandError(statement, "No object matches name: " + name, MStatus::kInvalidParameter);
        for (const auto& node : matched)
            out.push_back({node, {}});
    }
    return MStatus::kSuccess;
}
} // namespace vxhost
