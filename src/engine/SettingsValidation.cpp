#include "SettingsValidation.h"

#include "BohmTrajectory.h"

#include <charconv>
#include <cmath>
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

std::vector<SettingProblem> FindUnusableSettings(const SimulationState& state)
{
    const SimulationParameters& p = state.parameters;
    const GridSettings& g = state.grid;
    ProblemList problems;
    problems.Require(p.slits >= 1, "slits", std::to_string(p.slits), "needs at least one slit");
    problems.RequirePositive("mass", p.mass);
    problems.RequirePositive("lambda", p.lambda);
    problems.RequirePositive("d", p.d);
    problems.RequireFinite("slite width", p.slitWidth);
    problems.RequirePositive("sigma0", p.sigma0);
    problems.RequireFinite("z0", p.z0);
    problems.Require(g.nx >= 1, "nx", std::to_string(g.nx), "needs at least one row");
    problems.Require(g.nz >= 1, "nz", std::to_string(g.nz), "needs at least one column");
    if (g.nx >= 1 && g.nz >= 1 && GridBytes(g.nx, g.nz) > state.gridMemoryLimit) {
        problems.Require(false, "nx", std::to_string(g.nx) + " (nz=" + std::to_string(g.nz) + ")",
                         "the grids would need more memory than this machine has");
    }
    problems.RequirePositive("dxb", g.dxb);
    problems.Require(IsTraceableStep(g.step), "step", ShortestText(g.step),
                     "must be a finite number of pixels, at least 0.0001");
    if (IsPositiveFinite(p.mass) && IsPositiveFinite(p.lambda)) {
        SimulationParameters derived = p;
        derived.UpdateMomentumAndVelocity();
        problems.Require(IsPositiveFinite(derived.velocity), "mass", ShortestText(p.mass),
                         "gives a particle velocity that is not finite");
    }
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

std::string ShortestText(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace nivaro
