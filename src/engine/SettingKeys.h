#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SimulationState.h"

namespace nivaro {

// The names of the configuration keys, in the order the configuration file
// lists them.
const std::vector<std::string_view>& SettingKeyNames();

// Sets one setting from its text: integers and reals are read strictly
// (the whole text, "." as decimal point whatever the locale), scales by the
// p:q rule. Keys match without regard to case. Returns what is wrong when the
// key is unknown or the text is not a value of its kind; range checks are
// left to FindUnusableSettings, which sees all settings together.
std::optional<std::string> ApplySetting(SimulationState& state, std::string_view key, std::string_view value);

// Strict locale-free conversions: the whole text must be the number.
std::optional<int> ParseWholeInteger(std::string_view text);
std::optional<double> ParseWholeReal(std::string_view text);

}  // namespace nivaro
