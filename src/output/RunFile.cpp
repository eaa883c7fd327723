#include "RunFile.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "configuration/Configuration.h"
#include "configuration/SettingKeys.h"
#include "engine/DensityGrid.h"
#include "engine/PhysicalConstants.h"
#include "engine/QuantumPotential.h"
#include "engine/RegularTraces.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "output/TrajectoryFile.h"
#include "platform/Hdf5Writer.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

// Now as ISO 8601 in UTC: "2026-12-11T09:30:00Z".
std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text.data();
}

void WriteProvenance(Hdf5Writer& run, const RunRecord& record)
{
    run.SetAttribute("created", UtcNow());
    if (!record.commandLine.empty()) {
        run.SetAttribute("command_line", record.commandLine);
    }
    if (record.seed) {
        run.SetAttribute("seed", std::to_string(*record.seed));  // every digit of a 64-bit seed
    }
    run.SetAttribute("hbar_J_s", kHbar);
    run.SetAttribute("electron_volt_J", kElectronVolt);
    run.SetAttribute("spectrum_display_cap", kSpectrumCap);
}

template <typename From>
std::vector<double> AsDoubles(const std::vector<From>& values)
{
    std::vector<double> doubles(values.size());
    std::transform(values.begin(), values.end(), doubles.begin(), [](From value) { return static_cast<double>(value); });
    return doubles;
}

void WriteEnsemble(Hdf5Writer& run, const Ensemble& ensemble)
{
    run.WriteVector("ensemble/start_row", ensemble.startRows, "row");
    const std::vector<double> rows = AsDoubles(ensemble.rows);
    run.WriteReal("ensemble/row", rows.data(), ensemble.count, ensemble.columns, "row, nan after the path ended");
    run.WriteVector("ensemble/end", AsDoubles(ensemble.ends),
                    "0 reached the last column, 1 left the grid, 2 stopped");
}

void WriteHistogram(Hdf5Writer& run, const EnsembleHistogram& histogram)
{
    run.SetAttribute("histogram_column", histogram.column);
    run.WriteVector("histogram/x_m", histogram.centres, "m");
    run.WriteVector("histogram/ensemble", AsDoubles(histogram.counts), "paths");
    run.WriteVector("histogram/density", histogram.density, "1/m");
}

}  // namespace

SettingAttributes AttributesOf(const PanelTexts& panel, const SimulationState& state)
{
    IniFile settings;
    // The integrator's and the model's keys are written whatever their
    // values: the file's numbers depend on them.
    settings.SetString("2D", "integrator", "");
    settings.SetString("2D", "tolerance", "");
    for (const char* key : {"model", "grating", "propagator", "edge width", "phase depth", "grating file",
                            "lambda spread", "source width", "coherence samples"}) {
        settings.SetString("MODEL", key, "");
    }
    WriteBackConfiguration(settings, panel, state);
    SettingAttributes attributes;
    for (const char* section : {"PARAMETERS", "AXIS", "2D", "MODEL"}) {
        for (const std::string& entry : settings.SectionEntries(section)) {
            const std::size_t equals = entry.find('=');
            if (entry.substr(0, equals) != "z0") {  // below, with every digit
                attributes.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
            }
        }
    }
    attributes.emplace_back("z0", ShortestText(state.parameters.z0));
    attributes.emplace_back("program_version", kProgramVersion);
    return attributes;
}

namespace {

// Beside the settings' text attributes (kept for the readers of earlier
// files), each numeric setting as a float64 under /settings with its unit.
void WriteNumericSettings(Hdf5Writer& run, const SettingAttributes& attributes)
{
    for (const auto& [key, text] : attributes) {
        // Scales, choices and file names have no unit and stay text attributes alone.
        const std::optional<SettingDescription> setting = DescribeSetting(key);
        const std::optional<double> value = ParseWholeReal(text);
        if (setting && !setting->unit.empty() && value) {
            run.WriteVector("settings/" + key, {*value}, std::string(setting->unit));
        }
    }
}

void WritePsiAndPaths(Hdf5Writer& run, const SimulationState& state)
{
    if (state.psiField.Rows() == state.grid.nx && state.psiField.Cols() == state.grid.nz) {
        WriteComplexDataset(run, "psi", state.psiField, kPsiUnit);
    } else {
        ComplexGrid psi(0, 0);  // the run kept no psi: computed for the file alone
        ComputePsiBlock(state, state.grid.nx, state.grid.nz, psi);
        WriteComplexDataset(run, "psi", psi, kPsiUnit);
    }
    const TrajectoryColumns trajectories = CollectTrajectories(state);
    const std::vector<double>* columns[] = {&trajectories.startRow, &trajectories.step, &trajectories.row,
                                            &trajectories.column,   &trajectories.x,    &trajectories.z};
    static_assert(std::size(columns) == std::size(kTrajectoryFields));
    for (std::size_t k = 0; k < std::size(columns); ++k) {
        run.WriteVector(std::string("trajectories/") + kTrajectoryFields[k].name, *columns[k],
                        kTrajectoryFields[k].unit);
    }
}

}  // namespace

void WriteRunFile(const std::string& path, const SimulationState& state, const SettingAttributes& attributes,
                  const RunRecord& record)
{
    Hdf5Writer run(path);
    WriteSettingAttributes(run, attributes);
    WriteNumericSettings(run, attributes);
    WriteProvenance(run, record);
    if (record.ensemble != nullptr) {
        WriteEnsemble(run, *record.ensemble);
    }
    if (record.histogram != nullptr) {
        WriteHistogram(run, *record.histogram);
    }
    WriteRealDataset(run, "density", state.densityField, kDensityUnit);
    run.WriteVector("x_m", RowPositions(state), "m");
    run.WriteVector("z_m", ColumnPositions(state), "m");
    std::vector<std::string> grids = {"density"};
    // A partially coherent beam has a density but no single psi or paths.
    if (HasCoherentBeam(state)) {
        WritePsiAndPaths(run, state);
        grids.emplace_back("psi");
    }
    if (record.quantumPotential != nullptr) {
        WriteRealDataset(run, "quantum_potential", *record.quantumPotential, "eV");
        grids.emplace_back("quantum_potential");
    }
    for (const std::string& grid : grids) {
        run.AttachScales(grid, {"x_m", "z_m"});
    }
    RealMatrixT spectrum(1, 1);
    SpectrumOfPsi(state, spectrum, SpectrumValues::Whole);
    WriteRealDataset(run, "spectrum", spectrum, kWholeSpectrumUnit);
    run.Commit();
}

}  // namespace nivaro
