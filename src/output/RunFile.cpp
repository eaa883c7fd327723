#include "RunFile.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "configuration/Configuration.h"
#include "engine/DensityGrid.h"
#include "engine/RegularTraces.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "output/TrajectoryFile.h"
#include "platform/Hdf5Writer.h"

namespace nivaro {
namespace {

std::vector<double> Positions(int count, const std::function<double(int)>& position)
{
    std::vector<double> values(static_cast<std::size_t>(std::max(count, 0)));
    for (int k = 0; k < count; ++k) {
        values[static_cast<std::size_t>(k)] = position(k);
    }
    return values;
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

void WriteRunFile(const std::string& path, const SimulationState& state, const SettingAttributes& attributes)
{
    Hdf5Writer run(path);
    WriteSettingAttributes(run, attributes);
    WriteRealDataset(run, "density", state.densityField, kDensityUnit);
    run.WriteVector("x_m", Positions(state.grid.nx, [&state](int row) { return RowPosition(state, row); }), "m");
    run.WriteVector("z_m", Positions(state.grid.nz, [&state](int column) { return ColumnPosition(state, column); }),
                    "m");
    // A partially coherent beam has a density but no single psi or paths.
    if (HasCoherentBeam(state)) {
        WritePsiAndPaths(run, state);
    }
    RealMatrixT spectrum(1, 1);
    SpectrumOfPsi(state, spectrum, SpectrumValues::Whole);
    WriteRealDataset(run, "spectrum", spectrum, kWholeSpectrumUnit);
    run.Commit();
}

}  // namespace nivaro
