#include "RunFile.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <vector>

#include "configuration/Configuration.h"
#include "engine/DensityGrid.h"
#include "engine/PhysicalConstants.h"
#include "engine/QuantumPotential.h"
#include "engine/RegularTraces.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "output/TrajectoryFile.h"
#include "platform/Hdf5Writer.h"

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

void WriteProvenance(Hdf5Writer& run, const RunProvenance& provenance)
{
    run.SetAttribute("created", UtcNow());
    if (!provenance.commandLine.empty()) {
        run.SetAttribute("command_line", provenance.commandLine);
    }
    if (provenance.seed) {
        run.SetAttribute("seed", std::to_string(*provenance.seed));  // every digit of a 64-bit seed
    }
    run.SetAttribute("hbar_J_s", kHbar);
    run.SetAttribute("electron_volt_J", kElectronVolt);
    run.SetAttribute("spectrum_display_cap", kSpectrumCap);
}

}  // namespace

SettingAttributes AttributesOf(const PanelTexts& panel, const SimulationState& state)
{
    IniFile settings;
    // The integrator's and the model's keys are written whatever their
    // values: the file's numbers depend on them.
    settings.SetString("2D", "integrator", "");
    settings.SetString("2D", "tolerance", "");
    for (const char* key : {"model", "grating", "propagator", "edge width", "phase depth", "lambda spread",
                            "source width", "coherence samples"}) {
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

void WriteRunFile(const std::string& path, const SimulationState& state, const SettingAttributes& attributes,
                  const RunProvenance& provenance)
{
    Hdf5Writer run(path);
    WriteSettingAttributes(run, attributes);
    WriteProvenance(run, provenance);
    WriteRealDataset(run, "density", state.densityField, kDensityUnit);
    if (state.psiField.Rows() == state.grid.nx && state.psiField.Cols() == state.grid.nz) {
        WriteComplexDataset(run, "psi", state.psiField, kPsiUnit);
    } else {
        ComplexGrid psi(0, 0);  // the run kept no psi: computed for the file alone
        ComputePsiBlock(state, state.grid.nx, state.grid.nz, psi);
        WriteComplexDataset(run, "psi", psi, kPsiUnit);
    }
    run.WriteVector("x_m", RowPositions(state), "m");
    run.WriteVector("z_m", ColumnPositions(state), "m");
    if (HasSlitModel(state)) {  // the wave model has no Bohmian paths
        const TrajectoryColumns trajectories = CollectTrajectories(state);
        const std::vector<double>* columns[] = {&trajectories.startRow, &trajectories.step, &trajectories.row,
                                                &trajectories.column,   &trajectories.x,    &trajectories.z};
        static_assert(std::size(columns) == std::size(kTrajectoryFields));
        for (std::size_t k = 0; k < std::size(columns); ++k) {
            run.WriteVector(std::string("trajectories/") + kTrajectoryFields[k].name, *columns[k],
                            kTrajectoryFields[k].unit);
        }
    }
    RealMatrixT spectrum(1, 1);
    SpectrumOfPsi(state, spectrum, SpectrumValues::Whole);
    WriteRealDataset(run, "spectrum", spectrum, kWholeSpectrumUnit);
    run.Commit();
}

}  // namespace nivaro
