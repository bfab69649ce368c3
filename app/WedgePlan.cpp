#include "WedgePlan.h"

#include "SceneRun.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

namespace
{
// A value as a folder name may hold it: letters, digits, '.', '+' and '-';
// anything else (the spaces of a vector) becomes '_'.
std::string NamePart(const std::string& value)
{
    std::string part;
    for (const char c : value)
        part += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' ? c : '_';
    return part;
}

std::string AttributeName(const std::string& plug)
{
    return plug.substr(plug.rfind('.') + 1);
}

bool ReadSeed(std::string_view text, unsigned& seed)
{
    const auto read = std::from_chars(text.data(), text.data() + text.size(), seed);
    return !text.empty() && read.ec == std::errc() && read.ptr == text.data() + text.size();
}
} // namespace

std::size_t WedgePlan::Count() const
{
    std::size_t count = std::max<std::size_t>(seeds.size(), 1);
    for (const WedgeVariation& variation : variations)
        count *= variation.values.size();
    return count;
}

Wedge WedgePlan::At(std::size_t index) const
{
    Wedge wedge;
    wedge.index = index;
    std::size_t rest = index;
    if (!seeds.empty())
    {
        wedge.seed = seeds[rest % seeds.size()];
        rest /= seeds.size();
    }
    wedge.values.resize(variations.size());
    for (std::size_t v = variations.size(); v-- > 0;)
    {
        wedge.values[v] = variations[v].values[rest % variations[v].values.size()];
        rest /= variations[v].values.size();
    }

    // At least three digits, more when the wedge has more.
    const std::string last = std::to_string(Count() - 1);
    const std::string number = std::to_string(index);
    wedge.name = "w";
    wedge.name.append(std::max<std::size_t>(3, last.size()) - number.size(), '0');
    wedge.name += number;
    for (std::size_t v = 0; v < variations.size(); ++v)
    {
        wedge.name += '_';
        wedge.name += NamePart(ShortName(v));
        wedge.name += '-';
        wedge.name += NamePart(wedge.values[v]);
        wedge.settings.push_back(variations[v].plug + "=" + wedge.values[v]);
    }
    if (wedge.seed)
        wedge.name += "_seed-" + std::to_string(*wedge.seed);
    return wedge;
}

std::string WedgePlan::ShortName(std::size_t v) const
{
    const std::string& plug = variations[v].plug;
    const bool shared = std::count_if(variations.begin(), variations.end(),
                                      [&](const WedgeVariation& other)
                                      { return AttributeName(other.plug) == AttributeName(plug); }) > 1;
    return shared ? plug : AttributeName(plug);
}

std::string WedgePlan::ToJson() const
{
    nlohmann::ordered_json vary = nlohmann::ordered_json::array();
    for (const WedgeVariation& variation : variations)
        vary.push_back({{"plug", variation.plug}, {"values", variation.values}});
    nlohmann::ordered_json j = {{"scene", scene},
                                {"vary", vary},
                                {"seeds", seeds},
                                {"frames", frameRange ? nlohmann::ordered_json({startFrame, endFrame})
                                                      : nlohmann::ordered_json()},
                                {"cacheFormat", cacheFormat},
                                {"playblast", playblast}};
    return j.dump(2) + "\n";
}

std::string WedgePlan::FromJson(const std::string& text, WedgePlan& plan)
{
    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return "not a wedge plan (JSON object expected)";
    WedgePlan read;
    try
    {
        read.scene = j.at("scene").get<std::string>();
        for (const nlohmann::json& vary : j.at("vary"))
            read.variations.push_back({vary.at("plug").get<std::string>(),
                                       vary.at("values").get<std::vector<std::string>>()});
        read.seeds = j.at("seeds").get<std::vector<unsigned>>();
        if (const nlohmann::json& frames = j.at("frames"); !frames.is_null())
        {
            read.frameRange = true;
            read.startFrame = frames.at(0).get<double>();
            read.endFrame = frames.at(1).get<double>();
        }
        read.cacheFormat = j.at("cacheFormat").get<std::string>();
        read.playblast = j.at("playblast").get<bool>();
    }
    catch (const nlohmann::json::exception& error)
    {
        return std::string("not a wedge plan: ") + error.what();
    }
    plan = std::move(read);
    return std::string();
}

std::string ParseVariation(const std::string& text, WedgeVariation& variation)
{
    std::string values;
    if (!ParseSetting(text, variation.plug, values).empty())
        return "expected NODE.ATTR=V1,V2,..., got \"" + text + "\"";
    variation.values.clear();
    std::size_t start = 0;
    while (true)
    {
        const std::size_t comma = values.find(',', start);
        variation.values.push_back(values.substr(start, comma - start));
        if (variation.values.back().find_first_not_of(' ') == std::string::npos)
            return "an empty value in \"" + text + "\"";
        if (comma == std::string::npos)
            return std::string();
        start = comma + 1;
    }
}

std::string ParseSeeds(const std::string& text, std::vector<unsigned>& seeds)
{
    const std::size_t colon = text.find(':');
    unsigned first = 0;
    unsigned last = 0;
    if (!ReadSeed(std::string_view(text).substr(0, colon), first) ||
        !ReadSeed(colon == std::string::npos ? std::string_view(text) : std::string_view(text).substr(colon + 1),
                  last))
        return "expected A:B, two whole seeds from 0 to 4294967295, got \"" + text + "\"";
    if (last < first)
        return "the last seed comes before the first in \"" + text + "\"";
    // Bounded by the wedge limit later; this only keeps the list finite.
    if (last - first >= 1'000'000)
        return "more than a million seeds in \"" + text + "\"";
    seeds.clear();
    for (unsigned seed = first;; ++seed)
    {
        seeds.push_back(seed);
        if (seed == last)
            return std::string();
    }
}

std::string CheckPlan(const WedgePlan& plan, std::size_t maxWedges)
{
    std::set<std::string> plugs;
    for (const WedgeVariation& variation : plan.variations)
    {
        if (!plugs.insert(variation.plug).second)
            return "--vary " + variation.plug + " is given twice; list all its values in one --vary";
        const std::set<std::string> distinct(variation.values.begin(), variation.values.end());
        if (distinct.size() != variation.values.size())
            return "--vary " + variation.plug + " lists a value twice";
    }
    // The product, checked as it grows so that it cannot overflow.
    std::size_t count = std::max<std::size_t>(plan.seeds.size(), 1);
    for (const WedgeVariation& variation : plan.variations)
    {
        count *= variation.values.size();
        if (count > maxWedges)
            break;
    }
    if (count > maxWedges)
        return "the wedge has more than " + std::to_string(maxWedges) +
               " variants; narrow it, or allow more with --max-wedges";
    return std::string();
}
