#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/SimulationState.h"

namespace nivaro {

inline bool IsPositiveFinite(double value)
{
    return value > 0.0 && value <= std::numeric_limits<double>::max();
}

// Bytes per grid point that every run holds: the density. What a run needs
// beyond it (psi, the carpet, Q) is in its work estimate.
inline constexpr std::uint64_t kGridBytesPerPoint = 8;

// The widest spreads of a partially coherent beam: relative, and rad.
inline constexpr double kLargestLambdaSpread = 0.1;
inline constexpr double kLargestSourceWidth = 0.1;

// Memory of the density grid at nx by nz; saturates instead of overflowing.
std::uint64_t GridBytes(int nx, int nz);

struct SettingProblem {
    std::string key;
    std::string value;
    std::string reason;

    std::string Message() const;  // "key=value: reason"
};

// Every setting the computations cannot use: fewer than one slit, a mass,
// wavelength, period, slit width or packet width that is not positive and
// finite, a z0 that is not finite, a grid smaller than 1 by 1 or larger
// than the state's grid memory limit, a negative nxb, a start spacing
// that is not a positive number of rows up to nx, a trajectory step that is
// not positive and finite, a tolerance outside 1e-12 .. 1 pixel, an edge
// width that is negative or not finite, a phase depth that is not finite,
// a lambda spread or source width outside 0 .. 0.1, coherence samples
// outside 0 .. 64,
// and settings whose derived quantities (momentum,
// velocity, Talbot length, z offset, packet widths and column factors along
// the window) leave the range of a double. (Scales cannot be unusable:
// AxisScale refuses them.)
std::vector<SettingProblem> FindUnusableSettings(const SimulationState& state);

// An nxb beyond nx. The computations take it for "every row", but where
// the user gives nxb (the panel, the configuration file, --set) it is taken
// for a typing error, the same one everywhere; nothing when nxb <= nx.
std::optional<SettingProblem> NxbBeyondRows(const GridSettings& grid);

// Thrown by the computations when FindUnusableSettings is not empty; the
// message lists every problem on its own line.
class UnusableSettingsError : public std::runtime_error {
public:
    explicit UnusableSettingsError(const std::vector<SettingProblem>& problems);
};

void RequireUsableSettings(const SimulationState& state);

// psi, its Bohmian paths, ensembles and Q belong to one wave function; a
// partially coherent beam is a mixture of them, so they are refused, naming
// `what`.
void RequireCoherentBeam(const SimulationState& state, const std::string& what);
inline bool HasCoherentBeam(const SimulationState& state)
{
    return !state.parameters.wave.PartiallyCoherent();
}

// Shortest text that reads back as the same double ("1e-08", "0.5").
std::string ShortestText(double value);

}  // namespace nivaro
