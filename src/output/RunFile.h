#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "configuration/PanelTexts.h"
#include "engine/SimulationState.h"
#include "engine/TrajectoryEnsemble.h"
#include "output/ArrayOutput.h"
#include "platform/ProgramVersion.h"

namespace nivaro {

inline constexpr const char* kDensityUnit = "norm(PSI) = |psi|^2 sigma0 sqrt(2 pi) / N, dimensionless";
inline constexpr const char* kPsiUnit = "m^-1/2";
inline constexpr const char* kSpectrumUnit = "|FFT2 of psi|, top-left 256 by 256, m^-1/2";
// The run file keeps the spectrum whole, and says so.
inline constexpr const char* kWholeSpectrumUnit =
    "|FFT2 of psi|, top-left 256 by 256, m^-1/2; not capped (tables and pictures cap it at 1e6)";

// The settings as the configuration stores them, z0 and the program's
// version: the attributes of every HDF5 file.
SettingAttributes AttributesOf(const PanelTexts& panel, const SimulationState& state);

// Where a run file came from, beyond its settings, and what the run
// computed beyond the grids (each where it did).
struct RunRecord {
    std::string commandLine;            // empty: not known, not written
    std::optional<std::uint64_t> seed;  // the ensembles' seed, where the run has one
    const RealMatrixT* quantumPotential = nullptr;  // eV
    const Ensemble* ensemble = nullptr;
    const EnsembleHistogram* histogram = nullptr;
};

// Everything a computed state holds, in one HDF5 file: density, psi, the x
// and z coordinates, the regular trajectories and the spectrum (from a copy
// of psi: the state is left as it is), with units and the settings; and what
// it came from: the time it was written (created, UTC), the command line and
// seed, the constants the engine used (hbar_J_s, electron_volt_J) and the cap
// that tables and pictures put on the spectrum (spectrum_display_cap); and
// the record's Q (/quantum_potential), ensemble (/ensemble/start_row, row,
// end) and histogram (/histogram/x_m, ensemble, density; histogram_column).
void WriteRunFile(const std::string& path, const SimulationState& state, const SettingAttributes& attributes,
                  const RunRecord& record = {});

}  // namespace nivaro
