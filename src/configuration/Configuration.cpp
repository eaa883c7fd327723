#include "Configuration.h"

#include <algorithm>
#include <cmath>

#include "engine/PartialCoherence.h"
#include "engine/PathTracer.h"
#include "engine/SettingsValidation.h"
#include "configuration/SettingKeys.h"
#include "configuration/TransmissionFile.h"
#include "platform/FileError.h"
#include "platform/NumberText.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr const char* kParameters = "PARAMETERS";
constexpr const char* kAxis = "AXIS";
constexpr const char* kGrid = "2D";
constexpr const char* kModel = "MODEL";

// The grid as start-up has it when the file says nothing.
GridSettings ConfiguredGridDefaults()
{
    GridSettings defaults;
    defaults.step = GridSettings::kConfiguredStep;
    return defaults;
}

const GridSettings kGridDefaults = ConfiguredGridDefaults();

// Reads the values and collects a message for every value in the file that
// cannot be used, quoting the file's own text; a key the file does not hold
// takes its default without a word.
class ConfigurationReader {
public:
    ConfigurationReader(const IniFile& file, std::vector<std::string>& messages) : file_(file), messages_(messages) {}

    std::string Text(const char* section, const char* key, const char* defaultText) const
    {
        return file_.GetString(section, key, defaultText);
    }
    // Lenient, as the C library reads numbers: the grid keys.
    int Integer(const char* section, const char* key, const char* defaultText) const
    {
        return LeadingInteger(Text(section, key, defaultText));
    }
    double Real(const char* section, const char* key, const char* defaultText) const
    {
        return LeadingReal(Text(section, key, defaultText));
    }
    // Strict, as the panel reads its fields: "1,5E-30" is refused, not 1.
    template <typename Number>
    Number Strict(const char* section, const char* key, const char* defaultText,
                  Number (*convert)(std::string_view)) const
    {
        const std::string text = Text(section, key, defaultText);
        try {
            return convert(text);
        } catch (const ConversionError& error) {
            Refuse(section, key, defaultText, error.what());
            return convert(defaultText);
        }
    }
    // Replaces value by its default unless usable, with a message when the
    // value came from the file.
    template <typename Value>
    void ReplaceUnless(bool usable, const char* section, const char* key, Value& value, Value defaultValue) const
    {
        if (!usable) {
            value = defaultValue;
            if (file_.HasKey(section, key)) {
                messages_.push_back("The configuration value " + std::string(key) + "=" + Text(section, key, "") +
                                    " cannot be used; " + ShortestText(static_cast<double>(defaultValue)) +
                                    " is used instead.");
            }
        }
    }
    void Refuse(const char* section, const char* key, const std::string& defaultText, const std::string& reason) const
    {
        messages_.push_back("The configuration value " + std::string(key) + "=" + Text(section, key, "") +
                            " cannot be used (" + reason + "); " + defaultText + " is used instead.");
    }
    bool Has(const char* section, const char* key) const { return file_.HasKey(section, key); }

private:
    const IniFile& file_;
    std::vector<std::string>& messages_;
};

void ReadParameters(const ConfigurationReader& reader, SimulationParameters& parameters, PanelTexts& panel)
{
    parameters.slits = reader.Strict(kParameters, "slits", "2", StrToInt);
    parameters.mass = reader.Strict(kParameters, "mass", "9.1095E-31", StrToFloat);
    parameters.lambda = reader.Strict(kParameters, "lambda", "1E-8", StrToFloat);
    parameters.d = reader.Strict(kParameters, "d", "1E-8", StrToFloat);
    parameters.slitWidth = reader.Strict(kParameters, "slite width", "1E-8", StrToFloat);
    parameters.sigma0 = reader.Strict(kParameters, "sigma0", "2E-9", StrToFloat);
    panel.slits = std::to_string(parameters.slits);
    panel.mass = FloatToStr(parameters.mass);
    panel.lambda = FloatToStr(parameters.lambda);
    panel.d = FloatToStr(parameters.d);
    panel.slitWidth = FloatToStr(parameters.slitWidth);
    panel.sigma0 = FloatToStr(parameters.sigma0);
}

// The field shows the scale in effect: a text that does not parse keeps 1:1
// and is reported.
void ReadScale(const ConfigurationReader& reader, const char* key, AxisScale& scale, std::string& shown)
{
    scale = AxisScale{};
    if (!scale.Parse(reader.Text(kAxis, key, "1:1"))) {
        reader.Refuse(kAxis, key, "1:1", "not a ratio such as 3:1 or 1:2");
    }
    shown = scale.Text();
}

void ReadAxis(const ConfigurationReader& reader, SimulationState& state, PanelTexts& panel)
{
    state.parameters.z0 = reader.Strict(kAxis, "z0", "0", StrToFloat);
    ReadScale(reader, "X-scale", state.scaleX, panel.scaleX);
    ReadScale(reader, "Z-scale", state.scaleZ, panel.scaleZ);
    ReadScale(reader, "P-scale", state.scaleP, panel.scaleP);
}

// A named choice; another name is reported and the first choice, the
// default, is used.
template <typename Choice, std::size_t N>
Choice ReadChoice(const ConfigurationReader& reader, const char* section, const char* key,
                  const NamedChoice<Choice> (&choices)[N])
{
    const std::string fallback(choices[0].name);
    const std::optional<Choice> choice = ParseChoice(reader.Text(section, key, fallback.c_str()), choices);
    if (!choice) {
        reader.Refuse(section, key, fallback.c_str(), "not one of " + ChoiceList(choices));
    }
    return choice.value_or(choices[0].value);
}

void ReadModel(const ConfigurationReader& reader, WaveSettings& wave)
{
    const WaveSettings defaults;
    wave.model = ReadChoice(reader, kModel, "model", kFieldModels);
    wave.grating = ReadChoice(reader, kModel, "grating", kGratings);
    wave.propagator = ReadChoice(reader, kModel, "propagator", kPropagators);
    wave.edgeWidth = reader.Real(kModel, "edge width", "0");
    wave.phaseDepth = reader.Real(kModel, "phase depth", "1");
    reader.ReplaceUnless(std::isfinite(wave.edgeWidth) && wave.edgeWidth >= 0.0, kModel, "edge width",
                         wave.edgeWidth, defaults.edgeWidth);
    reader.ReplaceUnless(std::isfinite(wave.phaseDepth), kModel, "phase depth", wave.phaseDepth, defaults.phaseDepth);
    try {
        UseTransmissionFile(wave, reader.Text(kModel, "grating file", ""));
    } catch (const FileError& error) {
        reader.Refuse(kModel, "grating file", "none", error.what());
    }
    wave.lambdaSpread = reader.Real(kModel, "lambda spread", "0");
    wave.sourceWidth = reader.Real(kModel, "source width", "0");
    wave.coherenceSamples = reader.Integer(kModel, "coherence samples", "0");
    reader.ReplaceUnless(wave.lambdaSpread >= 0.0 && wave.lambdaSpread <= kLargestLambdaSpread, kModel,
                         "lambda spread", wave.lambdaSpread, defaults.lambdaSpread);
    reader.ReplaceUnless(wave.sourceWidth >= 0.0 && wave.sourceWidth <= kLargestSourceWidth, kModel, "source width",
                         wave.sourceWidth, defaults.sourceWidth);
    reader.ReplaceUnless(wave.coherenceSamples >= 0 && wave.coherenceSamples <= kMostCoherenceSamples, kModel,
                         "coherence samples", wave.coherenceSamples, defaults.coherenceSamples);
}

void ReadGrid(const ConfigurationReader& reader, SimulationState& state)
{
    GridSettings& grid = state.grid;
    grid.nx = reader.Integer(kGrid, "nx", "300");
    grid.nz = reader.Integer(kGrid, "nz", "300");
    grid.nxb = reader.Integer(kGrid, "nxb", "-1");  // absent: follows nx below
    grid.dxb = reader.Real(kGrid, "dxb", "0.5");
    grid.step = reader.Real(kGrid, "step", "1");
    grid.tolerance = reader.Real(kGrid, "tolerance", "1e-06");
    grid.integrator = ReadChoice(reader, kGrid, "integrator", kIntegrators);

    reader.ReplaceUnless(grid.nx >= 1, kGrid, "nx", grid.nx, kGridDefaults.nx);
    reader.ReplaceUnless(grid.nz >= 1, kGrid, "nz", grid.nz, kGridDefaults.nz);
    const bool fits = GridBytes(grid.nx, grid.nz) <= state.gridMemoryLimit;
    reader.ReplaceUnless(fits, kGrid, "nx", grid.nx, kGridDefaults.nx);
    reader.ReplaceUnless(fits, kGrid, "nz", grid.nz, kGridDefaults.nz);
    const int defaultNxb = GridSettings::DefaultNxb(grid.nx);
    if (!reader.Has(kGrid, "nxb")) {
        grid.nxb = defaultNxb;
    } else if (const std::optional<SettingProblem> beyond = NxbBeyondRows(grid)) {
        grid.nxb = defaultNxb;
        reader.Refuse(kGrid, "nxb", std::to_string(defaultNxb), beyond->reason);
    }
    reader.ReplaceUnless(grid.nxb >= 0, kGrid, "nxb", grid.nxb, defaultNxb);
    reader.ReplaceUnless(IsPositiveFinite(grid.dxb) && grid.dxb <= grid.nx, kGrid, "dxb", grid.dxb, kGridDefaults.dxb);
    reader.ReplaceUnless(IsTraceableStep(grid.step), kGrid, "step", grid.step, kGridDefaults.step);
    reader.ReplaceUnless(IsUsableTolerance(grid.tolerance), kGrid, "tolerance", grid.tolerance, kGridDefaults.tolerance);
    grid.DeriveDecimation();
}

// z0 is no panel field, so a value the computation cannot use (one that puts
// the window out of range) could never be corrected in the window.
void ReplaceUnusableDistance(const ConfigurationReader& reader, SimulationState& state)
{
    const std::vector<SettingProblem> problems = FindUnusableSettings(state);
    const bool unusable = std::any_of(problems.begin(), problems.end(),
                                      [](const SettingProblem& problem) { return problem.key == "z0"; });
    reader.ReplaceUnless(!unusable, kAxis, "z0", state.parameters.z0, 0.0);
}

}  // namespace

LoadedConfiguration LoadConfiguration(const IniFile& file, SimulationState& state)
{
    LoadedConfiguration loaded;
    if (file.UnwritableEncoding()) {
        loaded.replacedValues.push_back("The configuration file is " + *file.UnwritableEncoding() +
                                        ": it is read as far as possible and will not be rewritten.");
    }
    const ConfigurationReader reader(file, loaded.replacedValues);
    ReadParameters(reader, state.parameters, loaded.panel);
    ReadAxis(reader, state, loaded.panel);
    ReadGrid(reader, state);
    ReadModel(reader, state.parameters.wave);
    ReplaceUnusableDistance(reader, state);
    return loaded;
}

OverriddenConfiguration LoadConfiguration(const IniFile& file, const SettingOverrides& overrides,
                                          SimulationState& state)
{
    OverriddenConfiguration result{LoadConfiguration(file, state), std::nullopt};
    for (const auto& [key, value] : overrides) {
        if ((result.refusal = ApplySetting(state, result.loaded.panel, key, value))) {
            return result;
        }
    }
    if (const std::optional<SettingProblem> beyond = NxbBeyondRows(state.grid)) {
        result.refusal = beyond->Message();
        return result;
    }
    state.grid.DeriveDecimation();
    return result;
}

void WriteBackConfiguration(IniFile& file, const PanelTexts& panel, const SimulationState& state)
{
    const GridSettings& grid = state.grid;
    file.SetString(kParameters, "slits", panel.slits);
    file.SetString(kParameters, "mass", panel.mass);
    file.SetString(kParameters, "lambda", panel.lambda);
    file.SetString(kParameters, "d", panel.d);
    file.SetString(kParameters, "slite width", panel.slitWidth);
    file.SetString(kParameters, "sigma0", panel.sigma0);
    file.SetString(kAxis, "X-scale", panel.scaleX);
    file.SetString(kAxis, "Z-scale", panel.scaleZ);
    file.SetString(kAxis, "P-scale", panel.scaleP);
    file.SetString(kGrid, "nx", std::to_string(grid.nx));
    file.SetString(kGrid, "nz", std::to_string(grid.nz));
    file.SetString(kGrid, "nxb", std::to_string(grid.nxb));
    file.SetString(kGrid, "dxb", FloatToStr(grid.dxb));
    file.SetString(kGrid, "step", FloatToStr(grid.step));
    // Keys a file did not have are added only once they differ from their
    // defaults, so that files stay as they were written.
    const auto setIfUsed = [&file](const char* section, const char* key, std::string_view text, bool isDefault) {
        if (file.HasKey(section, key) || !isDefault) {
            file.SetString(section, key, std::string(text));
        }
    };
    setIfUsed(kGrid, "integrator", ChoiceName(grid.integrator, kIntegrators),
              grid.integrator == kGridDefaults.integrator);
    setIfUsed(kGrid, "tolerance", FloatToStr(grid.tolerance), grid.tolerance == kGridDefaults.tolerance);
    const WaveSettings& wave = state.parameters.wave;
    const WaveSettings defaults;
    setIfUsed(kModel, "model", ChoiceName(wave.model, kFieldModels), wave.model == defaults.model);
    setIfUsed(kModel, "grating", ChoiceName(wave.grating, kGratings), wave.grating == defaults.grating);
    setIfUsed(kModel, "propagator", ChoiceName(wave.propagator, kPropagators), wave.propagator == defaults.propagator);
    setIfUsed(kModel, "edge width", FloatToStr(wave.edgeWidth), wave.edgeWidth == defaults.edgeWidth);
    setIfUsed(kModel, "phase depth", FloatToStr(wave.phaseDepth), wave.phaseDepth == defaults.phaseDepth);
    setIfUsed(kModel, "grating file", wave.transmissionFile, wave.transmissionFile.empty());
    setIfUsed(kModel, "lambda spread", FloatToStr(wave.lambdaSpread), wave.lambdaSpread == defaults.lambdaSpread);
    setIfUsed(kModel, "source width", FloatToStr(wave.sourceWidth), wave.sourceWidth == defaults.sourceWidth);
    setIfUsed(kModel, "coherence samples", std::to_string(wave.coherenceSamples),
              wave.coherenceSamples == defaults.coherenceSamples);
    if (file.HasKey(kAxis, "z0") || state.parameters.z0 != 0.0) {
        file.SetString(kAxis, "z0", FloatToStr(state.parameters.z0));
    }
}

std::vector<std::string> LegendEcho(const IniFile& file)
{
    std::vector<std::string> lines = file.SectionEntries(kParameters);
    const std::vector<std::string> axis = file.SectionEntries(kAxis);
    lines.insert(lines.end(), axis.begin(), axis.end());
    for (std::string& line : lines) {
        const std::size_t equals = line.find('=');
        const std::string_view key = std::string_view(line).substr(0, equals);
        line = std::string(SettingCaption(key)) + line.substr(std::min(equals, line.size()));
    }
    return lines;
}

bool HasObsoleteDzb(const IniFile& file)
{
    return !file.GetString(kGrid, "dzb", "").empty();
}

}  // namespace nivaro
