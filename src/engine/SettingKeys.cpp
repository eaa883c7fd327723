#include "SettingKeys.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace nivaro {
namespace {

template <typename Value>
bool Assign(const std::optional<Value>& parsed, Value& field)
{
    if (parsed) {
        field = *parsed;
    }
    return parsed.has_value();
}

struct SettingKey {
    std::string_view name;
    const char* expected;  // what the text must be, for the message
    bool (*apply)(SimulationState&, std::string_view);
};

constexpr const char* kWholeNumber = "not a whole number";
constexpr const char* kNumber = "not a number";
constexpr const char* kRatio = "not a positive ratio p:q";

const std::vector<SettingKey>& SettingKeys()
{
    using S = SimulationState;
    using V = std::string_view;
    static const std::vector<SettingKey> keys = {
        {"slits", kWholeNumber, [](S& s, V v) { return Assign(ParseWholeInteger(v), s.parameters.slits); }},
        {"mass", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.parameters.mass); }},
        {"lambda", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.parameters.lambda); }},
        {"d", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.parameters.d); }},
        {"slite width", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.parameters.slitWidth); }},
        {"sigma0", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.parameters.sigma0); }},
        {"X-scale", kRatio, [](S& s, V v) { return s.scaleX.Parse(v); }},
        {"Z-scale", kRatio, [](S& s, V v) { return s.scaleZ.Parse(v); }},
        {"P-scale", kRatio, [](S& s, V v) { return s.scaleP.Parse(v); }},
        {"z0", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.parameters.z0); }},
        {"nx", kWholeNumber, [](S& s, V v) { return Assign(ParseWholeInteger(v), s.grid.nx); }},
        {"nz", kWholeNumber, [](S& s, V v) { return Assign(ParseWholeInteger(v), s.grid.nz); }},
        {"nxb", kWholeNumber, [](S& s, V v) { return Assign(ParseWholeInteger(v), s.grid.nxb); }},
        {"dxb", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.grid.dxb); }},
        {"step", kNumber, [](S& s, V v) { return Assign(ParseWholeReal(v), s.grid.step); }},
    };
    return keys;
}

bool SameKey(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view WithoutPlus(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

const std::vector<std::string_view>& SettingKeyNames()
{
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> result;
        for (const SettingKey& key : SettingKeys()) {
            result.push_back(key.name);
        }
        return result;
    }();
    return names;
}

namespace {

template <typename Number>
std::optional<Number> ParseWhole(std::string_view text)
{
    text = WithoutPlus(text);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<int> ParseWholeInteger(std::string_view text)
{
    return ParseWhole<int>(text);
}

std::optional<double> ParseWholeReal(std::string_view text)
{
    return ParseWhole<double>(text);
}

std::optional<std::string> ApplySetting(SimulationState& state, std::string_view key, std::string_view value)
{
    const auto& keys = SettingKeys();
    const auto found = std::find_if(keys.begin(), keys.end(), [key](const SettingKey& k) { return SameKey(k.name, key); });
    if (found == keys.end()) {
        return "unknown setting '" + std::string(key) + "'";
    }
    if (found->apply(state, value)) {
        return std::nullopt;
    }
    return std::string(found->name) + "=" + std::string(value) + ": " + found->expected;
}

}  // namespace nivaro
