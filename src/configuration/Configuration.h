#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "configuration/PanelTexts.h"
#include "engine/SimulationState.h"
#include "platform/IniFile.h"

namespace nivaro {

inline constexpr const char* kConfigurationFileName = "nivaro.ini";
inline constexpr const char* kDzbWarning = "Please, delete parameter 'dzb' from INI-file!";

struct LoadedConfiguration {
    PanelTexts panel;
    // One message for each value that the computations cannot use and that
    // was replaced by its default.
    std::vector<std::string> replacedValues;
};

// Reads the settings as start-up does: PARAMETERS into the state and the
// panel texts (reals shown in the FloatToStr style), the AXIS scale texts
// through the p:q rule (a text that does not parse keeps the scale and is
// shown as read), z0, the 2D grid keys, then the decimation. Values are
// converted as the C library does, with "." as decimal point; missing keys
// take their defaults; a missing nxb is half of nx. Grid values the
// computations cannot use (nx or nz below 1 or beyond the state's memory
// limit, nxb outside 0 .. nx, a start spacing or step that is not positive,
// an integrator other than euler or adaptive, a tolerance outside
// 1e-12 .. 1 pixel) are replaced by their defaults.
LoadedConfiguration LoadConfiguration(const IniFile& file, SimulationState& state);

using SettingOverrides = std::vector<std::pair<std::string, std::string>>;

// The settings as the batch program and the Python module take them: the
// configuration file's (as LoadConfiguration reads them), then each
// (key, value) in order with ApplySetting, then the decimation. An nxb at
// half of nx follows a new nx (GridSettings::SetRows); an nxb beyond nx in
// the end is refused as the panel refuses it. refusal holds the first
// override that cannot be taken; the state is then not to be used.
struct OverriddenConfiguration {
    LoadedConfiguration loaded;
    std::optional<std::string> refusal;
};
OverriddenConfiguration LoadConfiguration(const IniFile& file, const SettingOverrides& overrides,
                                          SimulationState& state);

// Writes the panel texts (PARAMETERS, then AXIS) and the grid values (2D: nx,
// nz, nxb as integers, dxb and step in the FloatToStr style) in this order,
// then the integrator and its tolerance where the file has them or they
// differ from euler and 1e-06, the MODEL keys likewise, then z0 as it is in effect (a value the file
// held that could not be used is replaced) where the file has it or it is
// not 0. Every other key keeps
// its place and value.
void WriteBackConfiguration(IniFile& file, const PanelTexts& panel, const SimulationState& state);

// The legend's title lines: the key=value entries of PARAMETERS, then AXIS.
std::vector<std::string> LegendEcho(const IniFile& file);

// Whether the obsolete key dzb of section 2D holds a value.
bool HasObsoleteDzb(const IniFile& file);

}  // namespace nivaro
