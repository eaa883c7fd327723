#include "PathTracer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <type_traits>

#include "SettingsValidation.h"

namespace nivaro {
namespace {

// The Dormand-Prince 5(4) pair: the nodes, the stage weights, the fifth
// order solution's weights (equal to the last stage's, so that the last
// stage's slope starts the next step), the error weights (fifth order minus
// fourth) and the dense output's weights.
constexpr std::array<double, 7> kNode{0.0, 1.0 / 5, 3.0 / 10, 4.0 / 5, 8.0 / 9, 1.0, 1.0};
constexpr std::array<std::array<double, 6>, 7> kStage{{
    {},
    {1.0 / 5},
    {3.0 / 40, 9.0 / 40},
    {44.0 / 45, -56.0 / 15, 32.0 / 9},
    {19372.0 / 6561, -25360.0 / 2187, 64448.0 / 6561, -212.0 / 729},
    {9017.0 / 3168, -355.0 / 33, 46732.0 / 5247, 49.0 / 176, -5103.0 / 18656},
    {35.0 / 384, 0.0, 500.0 / 1113, 125.0 / 192, -2187.0 / 6784, 11.0 / 84},
}};
constexpr std::array<double, 7> kError{71.0 / 57600,      0.0, -71.0 / 16695, 71.0 / 1920, -17253.0 / 339200,
                                       22.0 / 525, -1.0 / 40};
constexpr std::array<double, 7> kDense{-12715105075.0 / 11282082432, 0.0, 87487479700.0 / 32700410799,
                                       -10690763975.0 / 1880347072, 701980252875.0 / 199316789632,
                                       -1453857185.0 / 822651844, 69997945.0 / 29380423};
constexpr int kStages = 7;

// Step control: the next step grows or shrinks with (tolerance / error)^(1/5),
// a little less than that says, within these bounds.
constexpr double kSafety = 0.9;
constexpr double kLeastChange = 0.2;
constexpr double kMostGrowth = 5.0;
// A path whose step must shrink below this many columns has met a velocity
// that cannot be followed (|psi| underflows there).
constexpr double kSmallestStep = 1e-9;

double StepChange(double error, double tolerance, double most)
{
    if (std::isnan(error)) {
        return kLeastChange;  // a velocity that could not be formed: shrink until the path stalls
    }
    if (error == 0.0) {
        return most;
    }
    return std::clamp(kSafety * std::pow(tolerance / error, 0.2), kLeastChange, most);
}

}  // namespace

int RoundToGridIndex(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<int>::min()))) {
        return std::isnan(rounded) ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    }
    if (rounded > static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(rounded);
}

namespace {

const SimulationState& TraceableState(const SimulationState& state, const TraceMethod& method)
{
    const double scaleX = state.scaleX.Factor();
    const double scaleZ = state.scaleZ.Factor();
    if (!IsPositiveFinite(scaleX) || !IsPositiveFinite(scaleZ) || !IsPositiveFinite(state.parameters.velocity)) {
        throw std::invalid_argument("trajectories need positive finite scales and particle velocity");
    }
    RequireCoherentBeam(state, "Bohmian trajectories");
    if (method.integrator == Integrator::Euler && !IsTraceableStep(method.step)) {
        throw std::invalid_argument("the trajectory step must be a positive finite number of pixels");
    }
    if (method.integrator == Integrator::Adaptive && !IsPositiveFinite(method.tolerance)) {
        throw std::invalid_argument("the trajectory tolerance must be a positive finite number of pixels");
    }
    return state;
}

std::variant<VelocityKernelInput, WaveVelocityTable> VelocityFieldOf(const SimulationState& state,
                                                                     const std::atomic<bool>* stopFlag)
{
    if (state.parameters.wave.model == FieldModel::Wave) {
        return WaveVelocityTable(state, stopFlag != nullptr ? *stopFlag : state.stopRequested);
    }
    return VelocityKernelInput(state);
}

}  // namespace

PathTracer::PathTracer(const SimulationState& state, const TraceMethod& method, const std::atomic<bool>* stopFlag)
    : field_(VelocityFieldOf(TraceableState(state, method), stopFlag)),
      method_(method),
      nx_(state.grid.nx),
      nz_(state.grid.nz),
      slopePerVelocity_(-state.scaleX.Factor() / (state.parameters.velocity * state.scaleZ.Factor())),
      velocity_(state.parameters.velocity),
      scaleX_(state.scaleX.Factor()),
      scaleZ_(state.scaleZ.Factor())
{
}

PathBatch::PathBatch(const PathTracer& tracer, std::span<const double> startRows)
    : tracer_(tracer), ends_(startRows.size(), PathEnd::ReachedEnd)
{
    live_.reserve(startRows.size());
    for (std::size_t k = 0; k < startRows.size(); ++k) {
        live_.push_back({static_cast<int>(k), startRows[k], 0.0, 0, 1.0, 0.0});
    }
}

bool PathBatch::Advance(std::vector<PathPosition>& positions)
{
    if (!started_) {
        return Start(positions);
    }
    if (tracer_.method_.integrator == Integrator::Euler) {
        AdvanceEuler(positions);
    } else {
        AdvanceAdaptive(positions);
    }
    DropEnded();
    return !live_.empty();
}

void PathBatch::StopAll()
{
    for (Live& path : live_) {
        End(path, PathEnd::Stopped);
    }
    DropEnded();
}

bool PathBatch::Start(std::vector<PathPosition>& positions)
{
    started_ = true;
    const bool adaptive = tracer_.method_.integrator == Integrator::Adaptive;
    for (Live& path : live_) {
        if (Reach(path, 0, path.row, 0.0, positions) && adaptive && tracer_.nz_ == 1) {
            End(path, PathEnd::ReachedEnd);
        }
    }
    DropEnded();
    if (adaptive && !live_.empty()) {
        ComputeVelocitiesWhereThePathsAre();
        for (std::size_t k = 0; k < live_.size(); ++k) {
            live_[k].slope = velocities_[k] * tracer_.slopePerVelocity_;
        }
    }
    return !live_.empty();
}

bool PathBatch::Reach(Live& path, int step, double row, double column, std::vector<PathPosition>& positions)
{
    const int roundedRow = RoundToGridIndex(row);
    const int roundedColumn = RoundToGridIndex(column);
    if (roundedRow < -1 || roundedRow > tracer_.nx_ + 1) {
        End(path, PathEnd::LeftGrid);
        return false;
    }
    if (roundedColumn >= tracer_.nz_) {
        End(path, PathEnd::ReachedEnd);
        return false;
    }
    positions.push_back(
        {path.path, {step, row, column, roundedRow, roundedColumn, roundedRow >= 0 && roundedRow < tracer_.nx_}});
    return true;
}

// A path that ended keeps its place until the step is over, marked by a
// negative index.
void PathBatch::End(Live& path, PathEnd end)
{
    ends_[static_cast<std::size_t>(path.path)] = end;
    path.path = -1 - path.path;
}

void PathBatch::DropEnded()
{
    std::erase_if(live_, [](const Live& path) { return path.path < 0; });
}

void PathBatch::ComputeVelocities(const std::vector<double>& columns, const std::vector<double>& rows)
{
    velocities_.resize(columns.size());
    std::visit(
        [&](const auto& field) {
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, VelocityKernelInput>) {
                ComputeBohmVelocities(field, columns.data(), rows.data(), columns.size(), velocities_.data());
            } else {
                field.Compute(columns.data(), rows.data(), columns.size(), velocities_.data());
            }
        },
        tracer_.field_);
}

void PathBatch::ComputeVelocitiesWhereThePathsAre()
{
    columns_.clear();
    rows_.clear();
    for (const Live& path : live_) {
        columns_.push_back(path.column);
        rows_.push_back(path.row);
    }
    ComputeVelocities(columns_, rows_);
}

// The fixed arc-length step: h pixels along (-W Xs, v Zs).
void PathBatch::AdvanceEuler(std::vector<PathPosition>& positions)
{
    ComputeVelocitiesWhereThePathsAre();
    const double h = tracer_.method_.step;
    const double along = tracer_.velocity_ * tracer_.scaleZ_;
    for (std::size_t k = 0; k < live_.size(); ++k) {
        Live& path = live_[k];
        const double across = velocities_[k] * tracer_.scaleX_;
        const double length = std::hypot(across, along);
        const double nextColumn = path.column + h * along / length;
        path.row -= h * across / length;
        if (!(nextColumn > path.column)) {
            End(path, PathEnd::Stalled);  // a step too small to advance would never reach nz
            continue;
        }
        path.column = nextColumn;
        ++path.step;
        Reach(path, path.step, path.row, path.column, positions);
    }
}

// One attempted Dormand-Prince step for every path under way; an accepted
// step gives the positions at the whole columns it passed.
void PathBatch::AdvanceAdaptive(std::vector<PathPosition>& positions)
{
    const std::size_t count = live_.size();
    const double lastColumn = tracer_.nz_ - 1;
    stages_.resize(kStages);
    for (Live& path : live_) {
        path.stepSize = std::min(path.stepSize, lastColumn - path.column);
    }
    stages_[0].resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        stages_[0][k] = live_[k].slope;
    }
    for (int stage = 1; stage < kStages; ++stage) {
        columns_.resize(count);
        rows_.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
            const Live& path = live_[k];
            double change = 0.0;
            for (int j = 0; j < stage; ++j) {
                change += kStage[static_cast<std::size_t>(stage)][static_cast<std::size_t>(j)] *
                          stages_[static_cast<std::size_t>(j)][k];
            }
            columns_[k] = path.column + kNode[static_cast<std::size_t>(stage)] * path.stepSize;
            rows_[k] = path.row + path.stepSize * change;
        }
        ComputeVelocities(columns_, rows_);
        std::vector<double>& slopes = stages_[static_cast<std::size_t>(stage)];
        slopes.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
            slopes[k] = velocities_[k] * tracer_.slopePerVelocity_;
        }
    }
    const double tolerance = tracer_.method_.tolerance;
    for (std::size_t k = 0; k < count; ++k) {
        Live& path = live_[k];
        const double h = path.stepSize;
        double errorSlope = 0.0;
        double denseSlope = 0.0;
        for (std::size_t stage = 0; stage < kStages; ++stage) {
            errorSlope += kError[stage] * stages_[stage][k];
            denseSlope += kDense[stage] * stages_[stage][k];
        }
        const double error = std::abs(h * errorSlope);
        const double nextRow = rows_[k];  // the last stage is taken at the fifth order solution
        if (!(error <= tolerance) || !std::isfinite(nextRow)) {
            path.stepSize = h * StepChange(error, tolerance, 1.0);
            if (!(path.stepSize >= kSmallestStep)) {
                End(path, PathEnd::Stalled);
            }
            continue;
        }
        // y(theta) = y0 + theta (dy + (1 - theta) (b + theta (c + (1 - theta) e))).
        const double rise = nextRow - path.row;
        const double bend = h * path.slope - rise;
        const double curve = rise - h * stages_[kStages - 1][k] - bend;
        const double wiggle = h * denseSlope;
        const double nextColumn = h < lastColumn - path.column ? path.column + h : lastColumn;
        bool inside = true;
        for (int column = static_cast<int>(std::floor(path.column)) + 1; inside && column <= nextColumn; ++column) {
            const double theta = (column - path.column) / h;
            const double row =
                path.row + theta * (rise + (1.0 - theta) * (bend + theta * (curve + (1.0 - theta) * wiggle)));
            inside = Reach(path, column, row, column, positions);
        }
        const int roundedRow = RoundToGridIndex(nextRow);
        if (inside && (roundedRow < -1 || roundedRow > tracer_.nx_ + 1)) {
            End(path, PathEnd::LeftGrid);  // it left between two columns
            inside = false;
        }
        if (!inside) {
            continue;
        }
        path.row = nextRow;
        path.column = nextColumn;
        path.slope = stages_[kStages - 1][k];
        if (path.column >= lastColumn) {
            End(path, PathEnd::ReachedEnd);
            continue;
        }
        path.stepSize = h * StepChange(error, tolerance, kMostGrowth);
    }
}

}  // namespace nivaro
