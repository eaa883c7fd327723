#include "SettingKeys.h"

#include <algorithm>
#include <cctype>

#include "TransmissionFile.h"
#include "platform/FileError.h"
#include "platform/NumberText.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr std::string_view kSlitWidthKey = "slite width";

struct Target {
    SimulationState& state;
    PanelTexts& panel;
};

using Apply = void (*)(Target, std::string_view);  // throws ConversionError

struct SettingKey {
    std::string_view name;
    std::string_view unit;
    std::string_view meaning;
    Apply apply;
};

void SetScale(AxisScale& scale, std::string& text, std::string_view value)
{
    if (!scale.Parse(value)) {
        throw ConversionError("'" + std::string(value) + "' is not a positive ratio p:q");
    }
    text = scale.Text();
}

void SetTransmissionFile(WaveSettings& wave, std::string_view path)
{
    try {
        UseTransmissionFile(wave, std::string(path));
    } catch (const FileError& error) {
        throw ConversionError(error.what());
    }
}

template <typename Choice, std::size_t N>
Choice ChoiceOf(std::string_view value, const NamedChoice<Choice> (&choices)[N])
{
    if (const std::optional<Choice> choice = ParseChoice(value, choices)) {
        return *choice;
    }
    throw ConversionError("'" + std::string(value) + "' is not one of " + ChoiceList(choices));
}

const std::vector<SettingKey>& SettingKeys()
{
    using V = std::string_view;
    static const std::vector<SettingKey> keys = {
        {"slits", "1", "number of slits N of the grating",
         [](Target t, V v) { t.state.parameters.slits = StrToInt(v); t.panel.slits = v; }},
        {"mass", "kg", "particle mass", [](Target t, V v) { t.state.parameters.mass = StrToFloat(v); t.panel.mass = v; }},
        {"lambda", "m", "de Broglie wavelength",
         [](Target t, V v) { t.state.parameters.lambda = StrToFloat(v); t.panel.lambda = v; }},
        {"d", "m", "grating period", [](Target t, V v) { t.state.parameters.d = StrToFloat(v); t.panel.d = v; }},
        {kSlitWidthKey, "m", "width of each slit",
         [](Target t, V v) { t.state.parameters.slitWidth = StrToFloat(v); t.panel.slitWidth = v; }},
        {"sigma0", "m", "initial width of each slit's Gaussian packet",
         [](Target t, V v) { t.state.parameters.sigma0 = StrToFloat(v); t.panel.sigma0 = v; }},
        {"X-scale", "", "magnification across the beam, p:q", [](Target t, V v) { SetScale(t.state.scaleX, t.panel.scaleX, v); }},
        {"Z-scale", "", "magnification along the beam, p:q", [](Target t, V v) { SetScale(t.state.scaleZ, t.panel.scaleZ, v); }},
        {"P-scale", "", "height scale of the density, p:q", [](Target t, V v) { SetScale(t.state.scaleP, t.panel.scaleP, v); }},
        {"z0", "zt", "distance of the grid's first column from the grating, in Talbot lengths",
         [](Target t, V v) { t.state.parameters.z0 = StrToFloat(v); }},
        {"nx", "rows", "grid rows across the beam", [](Target t, V v) { t.state.grid.SetRows(StrToInt(v)); }},
        {"nz", "columns", "grid columns along the beam", [](Target t, V v) { t.state.grid.nz = StrToInt(v); }},
        {"nxb", "rows", "trajectories start at rows below nxb", [](Target t, V v) { t.state.grid.nxb = StrToInt(v); }},
        {"dxb", "rows", "rows between neighbouring trajectory starts", [](Target t, V v) { t.state.grid.dxb = StrToFloat(v); }},
        {"step", "pixels", "step length of the trajectory integration", [](Target t, V v) { t.state.grid.step = StrToFloat(v); }},
        {"integrator", "", "how trajectories are integrated: euler or adaptive",
         [](Target t, V v) { t.state.grid.integrator = ChoiceOf(v, kIntegrators); }},
        {"tolerance", "pixels", "largest error of an adaptive step",
         [](Target t, V v) { t.state.grid.tolerance = StrToFloat(v); }},
        {"model", "", "where psi comes from: slits or wave",
         [](Target t, V v) { t.state.parameters.wave.model = ChoiceOf(v, kFieldModels); }},
        {"grating", "", "the wave model's grating", [](Target t, V v) { t.state.parameters.wave.grating = ChoiceOf(v, kGratings); }},
        {"propagator", "", "the wave model's propagation: paraxial or exact",
         [](Target t, V v) { t.state.parameters.wave.propagator = ChoiceOf(v, kPropagators); }},
        {"edge width", "m", "soft edge of a rectangular opening (0: d/50)",
         [](Target t, V v) { t.state.parameters.wave.edgeWidth = StrToFloat(v); }},
        {"phase depth", "rad", "phase depth of the phase grating",
         [](Target t, V v) { t.state.parameters.wave.phaseDepth = StrToFloat(v); }},
        {"grating file", "", "the file grating's measured transmission",
         [](Target t, V v) { SetTransmissionFile(t.state.parameters.wave, v); }},
        {"lambda spread", "1", "relative rms spread of the wavelength",
         [](Target t, V v) { t.state.parameters.wave.lambdaSpread = StrToFloat(v); }},
        {"source width", "rad", "rms angle of incidence of a finite source",
         [](Target t, V v) { t.state.parameters.wave.sourceWidth = StrToFloat(v); }},
        {"coherence samples", "1", "quadrature points per spread (0: as many as needed)",
         [](Target t, V v) { t.state.parameters.wave.coherenceSamples = StrToInt(v); }},
    };
    return keys;
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

std::string_view SettingCaption(std::string_view key)
{
    return key == kSlitWidthKey ? std::string_view("slit width") : key;
}

std::optional<SettingDescription> DescribeSetting(std::string_view key)
{
    const auto& keys = SettingKeys();
    const auto found = std::find_if(keys.begin(), keys.end(), [key](const SettingKey& k) { return k.name == key; });
    if (found == keys.end()) {
        return std::nullopt;
    }
    return SettingDescription{found->unit, found->meaning};
}

std::optional<std::string_view> SettingKeyOf(std::string_view typed)
{
    const std::string_view name = Trimmed(typed);
    for (const std::string_view key : SettingKeyNames()) {
        if (EqualsIgnoringCase(key, name) || EqualsIgnoringCase(SettingCaption(key), name)) {
            return key;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ApplySetting(SimulationState& state, PanelTexts& panel, std::string_view key,
                                        std::string_view value)
{
    const std::optional<std::string_view> name = SettingKeyOf(key);
    if (!name) {
        return "unknown setting '" + std::string(key) + "'";
    }
    const auto& keys = SettingKeys();
    const auto found = std::find_if(keys.begin(), keys.end(), [name](const SettingKey& k) { return k.name == *name; });
    try {
        found->apply({state, panel}, value);
        return std::nullopt;
    } catch (const ConversionError& error) {
        return std::string(found->name) + "=" + std::string(value) + ": " + error.what();
    }
}

}  // namespace nivaro
