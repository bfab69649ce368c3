#pragma once
/// \file OptionVars.h
/// Option variables: named preferences kept for the whole process, as
/// Maya keeps them between sessions (the host keeps them for one run).

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vxhost
{
using OptionValue = std::variant<int, double, std::string>;

/// The process-wide store behind `optionVar` and MGlobal's option variable
/// functions. Safe to use from several threads.
class OptionVars
{
public:
    static OptionVars& Get();

    /// Replaces any value of that name, whatever its type.
    void Set(const std::string& name, OptionValue value);
    std::optional<OptionValue> Find(const std::string& name) const;
    bool Exists(const std::string& name) const { return Find(name).has_value(); }
    /// False when there was nothing of that name.
    bool Remove(const std::string& name);
    /// The names in alphabetical order.
    std::vector<std::string> Names() const;
    void Clear();

private:
    mutable std::mutex fMutex;
    std::map<std::string, OptionValue> fValues;
};
} // namespace vxhost
