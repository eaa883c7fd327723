#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "configuration/PanelTexts.h"
#include "engine/SimulationState.h"
#include "platform/TextMatching.h"

namespace nivaro {

// The names of a setting's choices, as files, options and the module spell them.
template <typename Choice>
struct NamedChoice {
    Choice value;
    std::string_view name;
};

inline constexpr NamedChoice<Integrator> kIntegrators[] = {{Integrator::Euler, "euler"},
                                                           {Integrator::Adaptive, "adaptive"}};
inline constexpr NamedChoice<FieldModel> kFieldModels[] = {{FieldModel::Slits, "slits"}, {FieldModel::Wave, "wave"}};
inline constexpr NamedChoice<GratingKind> kGratings[] = {
    {GratingKind::Gaussian, "gaussian"}, {GratingKind::Rectangular, "rectangular"}, {GratingKind::Phase, "phase"},
    {GratingKind::File, "file"}};
inline constexpr NamedChoice<Propagator> kPropagators[] = {{Propagator::Paraxial, "paraxial"},
                                                           {Propagator::Exact, "exact"}};

// The choice named (any case, blanks around); nothing for another name.
template <typename Choice, std::size_t N>
std::optional<Choice> ParseChoice(std::string_view text, const NamedChoice<Choice> (&choices)[N])
{
    for (const NamedChoice<Choice>& choice : choices) {
        if (EqualsIgnoringCase(Trimmed(text), choice.name)) {
            return choice.value;
        }
    }
    return std::nullopt;
}

template <typename Choice, std::size_t N>
std::string_view ChoiceName(Choice value, const NamedChoice<Choice> (&choices)[N])
{
    for (const NamedChoice<Choice>& choice : choices) {
        if (choice.value == value) {
            return choice.name;
        }
    }
    return choices[0].name;
}

// "euler or adaptive", "gaussian, rectangular or phase".
template <typename Choice, std::size_t N>
std::string ChoiceList(const NamedChoice<Choice> (&choices)[N])
{
    std::string list;
    for (std::size_t i = 0; i < N; ++i) {
        list += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(choices[i].name);
    }
    return list;
}

// The names of the settings a user may change, in configuration file order.
const std::vector<std::string_view>& SettingKeyNames();

// A setting's name as the user reads it: its key, except "slit width" for
// the key "slite width", which stored files keep.
std::string_view SettingCaption(std::string_view key);

// What a setting means and its unit ("m", "zt", "rows"; "1" for a pure
// number, empty for a text or a choice); nothing for an unknown key.
struct SettingDescription {
    std::string_view unit;
    std::string_view meaning;
};
std::optional<SettingDescription> DescribeSetting(std::string_view key);

// The key a typed name stands for (the key or its caption, any case, blanks
// around); nothing for an unknown name.
std::optional<std::string_view> SettingKeyOf(std::string_view typed);

// Sets one setting from a text as the panel's Apply reads it: integers and
// reals strictly ("." as decimal point), scales by the p:q rule. Keys match
// without regard to case. A panel field's text becomes the given text (a
// scale's its display text). Returns "key=value: reason" when the key is
// unknown or the text is not a value of its kind; range checks are left to
// FindUnusableSettings, which sees all settings together. The key may be
// given as its caption.
std::optional<std::string> ApplySetting(SimulationState& state, PanelTexts& panel, std::string_view key,
                                        std::string_view value);

}  // namespace nivaro
