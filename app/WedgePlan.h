#pragma once
/// \file WedgePlan.h
/// A wedge: the variants of one scene that a supervisor chooses between,
/// one `volarix run` each, made from the Cartesian product of attribute
/// values (--vary) and seeds (--seeds).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

/// One attribute and the values it takes, as --set takes them.
struct WedgeVariation
{
    std::string plug; ///< NODE.ATTR
    std::vector<std::string> values;

    bool operator==(const WedgeVariation&) const = default;
};

/// One variant: which value of each variation, and the seed.
struct Wedge
{
    std::size_t index = 0;
    /// w007_maximumSpeed-20_boidSeparation-2_seed-3: the index, then each
    /// varied attribute and its value, then the seed.
    std::string name;
    std::vector<std::string> values;   ///< one per variation, in order
    std::vector<std::string> settings; ///< NODE.ATTR=VALUE for volarix run --set
    std::optional<unsigned> seed;
};

struct WedgePlan
{
    std::string scene; ///< absolute, so that a farm task finds it from anywhere
    std::vector<WedgeVariation> variations;
    std::vector<unsigned> seeds; ///< empty: every wedge keeps the scene's own
    bool frameRange = false;     ///< else the scene's playback range
    double startFrame = 1.0;
    double endFrame = 1.0;
    std::string cacheFormat = "pdc";
    bool playblast = false;

    bool operator==(const WedgePlan&) const = default;

    /// Wedges in the product: every variation's values and every seed.
    std::size_t Count() const;
    /// Wedge `index` (0 <= index < Count()). The last variation changes
    /// fastest, the seed faster still, as nested loops written in order.
    Wedge At(std::size_t index) const;

    /// How wedge names and labels call variation `v`: its attribute's name,
    /// or the whole NODE.ATTR when another variation shares that name.
    std::string ShortName(std::size_t v) const;

    std::string ToJson() const;
    /// Reads what ToJson wrote. Returns an empty string, or what is wrong.
    static std::string FromJson(const std::string& text, WedgePlan& plan);
};

/// Reads "NODE.ATTR=V1,V2,...". Returns an empty string, or what is wrong.
std::string ParseVariation(const std::string& text, WedgeVariation& variation);
/// Reads "A:B" (or "A"), whole seeds 0 <= A <= B < 2^32. Returns an empty
/// string, or what is wrong.
std::string ParseSeeds(const std::string& text, std::vector<unsigned>& seeds);
/// What is wrong with the plan as a whole (two variations of one attribute,
/// a value given twice, more than `maxWedges` wedges), or an empty string.
std::string CheckPlan(const WedgePlan& plan, std::size_t maxWedges);
