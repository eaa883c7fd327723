#include "SettingsValidation.h"

#include "PathTracer.h"
#include "PhysicalConstants.h"
#include "PartialCoherence.h"
#include "WaveFunction.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace nivaro {
namespace {

class ProblemList {
public:
    void Require(bool usable, const char* key, const std::string& value, const char* reason)
    {
        if (!usable) {
            problems_.push_back({key, value, reason});
        }
    }
    void RequirePositive(const char* key, double value)
    {
        Require(IsPositiveFinite(value), key, ShortestText(value), "must be a positive finite number");
    }
    void RequireFinite(const char* key, double value)
    {
        Require(std::isfinite(value), key, ShortestText(value), "must be a finite number");
    }
    std::vector<SettingProblem> Take() { return std::move(problems_); }

private:
    std::vector<SettingProblem> problems_;
};

}  // namespace

std::uint64_t GridBytes(int nx, int nz)
{
    if (nx <= 0 || nz <= 0) {
        return 0;
    }
    const std::uint64_t points = static_cast<std::uint64_t>(nx) * static_cast<std::uint64_t>(nz);
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    return points > most / kGridBytesPerPoint ? most : points * kGridBytesPerPoint;
}

std::string SettingProblem::Message() const
{
    return key + "=" + value + ": " + reason;
}

namespace {

// Quantities derived from usable inputs can still leave the range of a
// double (d = 1e300 makes the z offset infinity times 0); each is refused
// naming the setting that pushed it out.
void CheckDerivedQuantities(const SimulationState& state, ProblemList& problems)
{
    const SimulationParameters& p = state.parameters;
    if (!IsPositiveFinite(p.mass) || !IsPositiveFinite(p.lambda) || !IsPositiveFinite(p.d) ||
        !IsPositiveFinite(p.sigma0) || !std::isfinite(p.z0)) {
        return;
    }
    SimulationParameters derived = p;
    derived.UpdateDerived();
    if (!IsPositiveFinite(derived.momentum)) {
        problems.Require(false, "lambda", ShortestText(p.lambda), "gives a particle momentum that is zero or not finite");
        return;
    }
    problems.Require(IsPositiveFinite(derived.velocity), "mass", ShortestText(p.mass),
                     "gives a particle velocity that is zero or not finite");
    if (!IsPositiveFinite(derived.TalbotLength())) {
        problems.Require(false, "d", ShortestText(p.d), "gives a Talbot length 2 d^2 / lambda that is not finite");
        return;
    }
    problems.Require(std::isfinite(derived.zOffset), "z0", ShortestText(p.z0),
                     "puts the window at a distance that is not finite");
    const GridSettings& g = state.grid;
    if (!std::isfinite(derived.zOffset) || g.nz < 1 || !IsPositiveFinite(state.scaleZ.Factor())) {
        return;
    }
    // The packet width and the column factor change monotonically along z,
    // so the window's first and last columns bound them. A phase that
    // overflows comes from the distance; anything else from the packet width.
    for (const double column : {0.0, static_cast<double>(g.nz - 1)}) {
        const double z = column * g.dz / state.scaleZ.Factor() + derived.zOffset;
        if (!std::isfinite(1.5 * derived.momentum * z / kHbar)) {
            problems.Require(false, "z0", ShortestText(p.z0), "puts the window so far that the phase of psi is not finite");
            return;
        }
        const ColumnCoefficients coefficients = ComputeColumnCoefficients(derived, z);
        const bool finite = std::isfinite(coefficients.gaussExponent.real()) &&
                            std::isfinite(coefficients.gaussExponent.imag()) &&
                            std::isfinite(coefficients.columnFactor.real()) &&
                            std::isfinite(coefficients.columnFactor.imag()) && coefficients.gaussExponent != Complex{};
        if (!finite) {
            problems.Require(false, "sigma0", ShortestText(p.sigma0),
                             "gives packet widths that are not finite in the window");
            return;
        }
    }
}

}  // namespace

std::optional<SettingProblem> NxbBeyondRows(const GridSettings& grid)
{
    if (grid.nxb <= grid.nx) {
        return std::nullopt;
    }
    return SettingProblem{"nxb", std::to_string(grid.nxb), "must lie between 0 and nx (" + std::to_string(grid.nx) + ")"};
}

std::vector<SettingProblem> FindUnusableSettings(const SimulationState& state)
{
    const SimulationParameters& p = state.parameters;
    const GridSettings& g = state.grid;
    ProblemList problems;
    problems.Require(p.slits >= 1, "slits", std::to_string(p.slits), "needs at least one slit");
    problems.RequirePositive("mass", p.mass);
    problems.RequirePositive("lambda", p.lambda);
    problems.RequirePositive("d", p.d);
    problems.Require(IsPositiveFinite(p.slitWidth), "slite width", ShortestText(p.slitWidth),
                     "must be a positive finite number (no trajectory could start)");
    problems.RequirePositive("sigma0", p.sigma0);
    problems.RequireFinite("z0", p.z0);
    problems.Require(g.nx >= 1, "nx", std::to_string(g.nx), "needs at least one row");
    problems.Require(g.nz >= 1, "nz", std::to_string(g.nz), "needs at least one column");
    if (g.nx >= 1 && g.nz >= 1 && GridBytes(g.nx, g.nz) > state.gridMemoryLimit) {
        char figures[160];
        std::snprintf(figures, sizeof figures,
                      "the grids would need at least %.3g GB of memory, but %.3g GB is available now",
                      static_cast<double>(GridBytes(g.nx, g.nz)) / 1e9, static_cast<double>(state.gridMemoryLimit) / 1e9);
        problems.Require(false, "nx", std::to_string(g.nx) + " (nz=" + std::to_string(g.nz) + ")", figures);
    }
    problems.Require(g.nxb >= 0, "nxb", std::to_string(g.nxb), "must not be negative");
    problems.Require(IsPositiveFinite(g.dxb) && g.dxb <= std::max(g.nx, 1), "dxb", ShortestText(g.dxb),
                     "must be a positive number of rows, at most nx");
    problems.Require(IsTraceableStep(g.step), "step", ShortestText(g.step), "must be a positive finite number of pixels");
    const WaveSettings& wave = p.wave;
    problems.Require(std::isfinite(wave.edgeWidth) && wave.edgeWidth >= 0.0, "edge width", ShortestText(wave.edgeWidth),
                     "must be a width in metres, or 0 for d / 50");
    problems.RequireFinite("phase depth", wave.phaseDepth);
    problems.Require(wave.model != FieldModel::Wave || wave.grating != GratingKind::File || wave.transmission,
                     "grating file", wave.transmissionFile,
                     "the file grating needs a transmission file (.npy or a text table of x in m and t)");
    // Wider spreads would give wavelengths below zero real weight.
    problems.Require(wave.lambdaSpread >= 0.0 && wave.lambdaSpread <= kLargestLambdaSpread, "lambda spread",
                     ShortestText(wave.lambdaSpread), "must be a relative rms spread from 0 to 0.1");
    problems.Require(wave.sourceWidth >= 0.0 && wave.sourceWidth <= kLargestSourceWidth, "source width",
                     ShortestText(wave.sourceWidth), "must be an rms angle from 0 to 0.1 rad");
    problems.Require(wave.coherenceSamples >= 0 && wave.coherenceSamples <= kMostCoherenceSamples,
                     "coherence samples", std::to_string(wave.coherenceSamples),
                     "must be 1 to 64 points per spread, or 0 to choose them");
    problems.Require(IsUsableTolerance(g.tolerance), "tolerance", ShortestText(g.tolerance),
                     "must be a number of pixels from 1e-12 to 1");
    CheckDerivedQuantities(state, problems);
    return problems.Take();
}

namespace {

std::string JoinMessages(const std::vector<SettingProblem>& problems)
{
    std::string text;
    for (const SettingProblem& problem : problems) {
        if (!text.empty()) {
            text += '\n';
        }
        text += problem.Message();
    }
    return text;
}

}  // namespace

UnusableSettingsError::UnusableSettingsError(const std::vector<SettingProblem>& problems)
    : std::runtime_error(JoinMessages(problems))
{
}

void RequireUsableSettings(const SimulationState& state)
{
    const std::vector<SettingProblem> problems = FindUnusableSettings(state);
    if (!problems.empty()) {
        throw UnusableSettingsError(problems);
    }
}

void RequireCoherentBeam(const SimulationState& state, const std::string& what)
{
    if (HasCoherentBeam(state)) {
        return;
    }
    const WaveSettings& wave = state.parameters.wave;
    const bool spread = wave.lambdaSpread > 0.0;
    throw UnusableSettingsError({{spread ? "lambda spread" : "source width",
                                  ShortestText(spread ? wave.lambdaSpread : wave.sourceWidth),
                                  "a partially coherent beam has no single psi, so " + what +
                                      " are not defined for it: only its density"}});
}

std::string ShortestText(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace nivaro
