#include "Configuration.h"

#include <cmath>

#include "engine/BohmTrajectory.h"
#include "engine/SettingsValidation.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

constexpr const char* kParameters = "PARAMETERS";
constexpr const char* kAxis = "AXIS";
constexpr const char* kGrid = "2D";

// The grid as start-up has it when the file says nothing.
GridSettings ConfiguredGridDefaults()
{
    GridSettings defaults;
    defaults.step = GridSettings::kConfiguredStep;
    return defaults;
}

const GridSettings kGridDefaults = ConfiguredGridDefaults();

class ConfigurationReader {
public:
    explicit ConfigurationReader(const IniFile& file) : file_(file) {}

    std::string Text(const char* section, const char* key, const char* defaultText) const
    {
        return file_.GetString(section, key, defaultText);
    }
    int Integer(const char* section, const char* key, const char* defaultText) const
    {
        return LeadingInteger(Text(section, key, defaultText));
    }
    double Real(const char* section, const char* key, const char* defaultText) const
    {
        return LeadingReal(Text(section, key, defaultText));
    }

private:
    const IniFile& file_;
};

void ReadParameters(const ConfigurationReader& reader, SimulationParameters& parameters, PanelTexts& panel)
{
    parameters.slits = reader.Integer(kParameters, "slits", "2");
    parameters.mass = reader.Real(kParameters, "mass", "9.1095E-31");
    parameters.lambda = reader.Real(kParameters, "lambda", "1E-8");
    parameters.d = reader.Real(kParameters, "d", "1E-8");
    parameters.slitWidth = reader.Real(kParameters, "slite width", "1E-8");
    parameters.sigma0 = reader.Real(kParameters, "sigma0", "2E-9");
    panel.slits = std::to_string(parameters.slits);
    panel.mass = FloatToStr(parameters.mass);
    panel.lambda = FloatToStr(parameters.lambda);
    panel.d = FloatToStr(parameters.d);
    panel.slitWidth = FloatToStr(parameters.slitWidth);
    panel.sigma0 = FloatToStr(parameters.sigma0);
}

// A text that does not parse stays in the field as read; the scale keeps 1.
void ReadScale(const std::string& text, AxisScale& scale, std::string& shown)
{
    scale = AxisScale{};
    shown = scale.Parse(text) ? scale.Text() : text;
}

void ReadAxis(const ConfigurationReader& reader, SimulationState& state, PanelTexts& panel)
{
    const std::string x = reader.Text(kAxis, "X-scale", "1:1");
    const std::string z = reader.Text(kAxis, "Z-scale", "1:1");
    const std::string p = reader.Text(kAxis, "P-scale", "1:1");
    state.parameters.z0 = reader.Real(kAxis, "z0", "0");
    ReadScale(x, state.scaleX, panel.scaleX);
    ReadScale(z, state.scaleZ, panel.scaleZ);
    ReadScale(p, state.scaleP, panel.scaleP);
}

template <typename Value>
void ReplaceUnless(bool usable, const char* key, Value& value, Value defaultValue, std::vector<std::string>& messages)
{
    if (!usable) {
        messages.push_back(std::string("The configuration value ") + key + "=" +
                           ShortestText(static_cast<double>(value)) + " cannot be used; " +
                           ShortestText(static_cast<double>(defaultValue)) + " is used instead.");
        value = defaultValue;
    }
}

void ReadGrid(const ConfigurationReader& reader, SimulationState& state, std::vector<std::string>& messages)
{
    GridSettings& grid = state.grid;
    grid.nx = reader.Integer(kGrid, "nx", "300");
    grid.nz = reader.Integer(kGrid, "nz", "300");
    grid.nxb = reader.Integer(kGrid, "nxb", "150");
    grid.dxb = reader.Real(kGrid, "dxb", "0.5");
    grid.step = reader.Real(kGrid, "step", "1");

    ReplaceUnless(grid.nx >= 1, "nx", grid.nx, kGridDefaults.nx, messages);
    ReplaceUnless(grid.nz >= 1, "nz", grid.nz, kGridDefaults.nz, messages);
    const bool fits = GridBytes(grid.nx, grid.nz) <= state.gridMemoryLimit;
    ReplaceUnless(fits, "nx", grid.nx, kGridDefaults.nx, messages);
    ReplaceUnless(fits, "nz", grid.nz, kGridDefaults.nz, messages);
    ReplaceUnless(grid.nxb <= grid.nx, "nxb", grid.nxb, std::min(kGridDefaults.nxb, grid.nx / 2), messages);
    ReplaceUnless(IsPositiveFinite(grid.dxb), "dxb", grid.dxb, kGridDefaults.dxb, messages);
    ReplaceUnless(IsTraceableStep(grid.step), "step", grid.step, kGridDefaults.step, messages);
    grid.DeriveDecimation();
}

}  // namespace

LoadedConfiguration LoadConfiguration(const IniFile& file, SimulationState& state)
{
    const ConfigurationReader reader(file);
    LoadedConfiguration loaded;
    ReadParameters(reader, state.parameters, loaded.panel);
    ReadAxis(reader, state, loaded.panel);
    ReadGrid(reader, state, loaded.replacedValues);
    return loaded;
}

void WriteBackConfiguration(IniFile& file, const PanelTexts& panel, const GridSettings& grid)
{
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
}

std::vector<std::string> LegendEcho(const IniFile& file)
{
    std::vector<std::string> lines = file.SectionEntries(kParameters);
    const std::vector<std::string> axis = file.SectionEntries(kAxis);
    lines.insert(lines.end(), axis.begin(), axis.end());
    return lines;
}

bool HasObsoleteDzb(const IniFile& file)
{
    return !file.GetString(kGrid, "dzb", "").empty();
}

}  // namespace nivaro
