#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "configuration/PanelTexts.h"
#include "engine/SimulationState.h"

namespace nivaro {

// "euler" and "adaptive", as files, options and the module spell them.
std::string_view IntegratorName(Integrator integrator);
// Any case; nothing for another name.
std::optional<Integrator> ParseIntegrator(std::string_view name);

// The names of the settings a user may change, in configuration file order.
const std::vector<std::string_view>& SettingKeyNames();

// Sets one setting from a text as the panel's Apply reads it: integers and
// reals strictly ("." as decimal point), scales by the p:q rule. Keys match
// without regard to case. A panel field's text becomes the given text (a
// scale's its display text). Returns "key=value: reason" when the key is
// unknown or the text is not a value of its kind; range checks are left to
// FindUnusableSettings, which sees all settings together.
std::optional<std::string> ApplySetting(SimulationState& state, PanelTexts& panel, std::string_view key,
                                        std::string_view value);

}  // namespace nivaro
