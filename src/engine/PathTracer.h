#pragma once

#include <atomic>
#include <cstdint>
#include <cmath>
#include <span>
#include <utility>
#include <variant>
#include <vector>

#include "engine/SimulationState.h"
#include "engine/VelocityKernel.h"
#include "engine/WaveVelocity.h"

namespace nivaro {

// Any positive finite step can be traced; the work it causes is estimated
// and bounded before a run starts.
inline bool IsTraceableStep(double stepLength)
{
    return stepLength > 0.0 && std::isfinite(stepLength);
}

// Rounds to nearest, ties to even; values beyond the int range (and NaN)
// saturate, so a non-finite position fails the bounds test.
int RoundToGridIndex(double value);

// One position of a path that passed the stop rules.
struct TracePosition {
    int step;       // 0 at the start; with the adaptive integrator, the column
    double row;     // fractional X
    double column;  // fractional Z
    int roundedRow;
    int roundedColumn;
    bool inGrid;  // the rounded row lies in 0 .. nx - 1 (the column always does)
};

struct TraceMethod {
    Integrator integrator = Integrator::Euler;
    double step = 1.0;                     // pixels of arc per Euler step
    double tolerance = kDefaultTolerance;  // pixels an adaptive step may be off
};

// The regular paths' method: the configured integrator, step and tolerance.
inline TraceMethod ConfiguredTraceMethod(const GridSettings& grid)
{
    return {grid.integrator, grid.step, grid.tolerance};
}

enum class PathEnd : std::uint8_t {
    ReachedEnd,  // its rounded column reached nz (Euler) or it arrived at column nz - 1 (adaptive)
    LeftGrid,    // its rounded row left -1 .. nx + 1
    Stalled,     // it stopped advancing along z: the velocity could not be formed
    Stopped,     // a stop was requested while it was under way
};

struct PathPosition {
    int path;
    TracePosition position;
};

class PathBatch;

// Bohmian paths through the velocity field in grid pixels, from (X0, 0),
// many at once: the velocity of every path under way is computed in one
// vector pass per step. Every path's positions are those it would have if
// traced alone.
//
// Euler: each step moves `step` pixels along (-W Xs, v Zs); a path ends when
// its rounded row leaves -1 .. nx + 1, its rounded column reaches nz, or it
// stops advancing along z.
// Adaptive: Dormand-Prince 5(4) on drow / dcolumn = -W Xs / (v Zs) with step
// control, the positions given at every whole column by its dense output; a
// path ends at column nz - 1, or where its rounded row leaves -1 .. nx + 1.
class PathTracer {
public:
    // Throws std::invalid_argument when the scales or the particle velocity
    // are not positive and finite, or the step or tolerance is not: such a
    // path could never end. With the wave model, builds its velocity table
    // (and throws what that throws).
    // The wave model's velocity table, filled first, stops with stopFlag
    // (the state's own when none is given).
    PathTracer(const SimulationState& state, const TraceMethod& method, const std::atomic<bool>* stopFlag = nullptr);

    const TraceMethod& Method() const { return method_; }

    // Calls visit(path, const TracePosition&) at every position of every
    // path (path indexes startRows) that passes the stop rules, inside the
    // grid or in the tolerated rows -1, nx, nx + 1; one path's positions
    // come in order. Returns how each path ended.
    template <typename Visitor>
    std::vector<PathEnd> Trace(std::span<const double> startRows, Visitor&& visit,
                               const std::atomic<bool>* stopFlag = nullptr) const;

private:
    friend class PathBatch;
    std::variant<VelocityKernelInput, WaveVelocityTable> field_;
    TraceMethod method_;
    int nx_;
    int nz_;
    double slopePerVelocity_;  // drow / dcolumn per unit of W: -Xs / (v Zs)
    double velocity_;
    double scaleX_;
    double scaleZ_;
};

// The paths of one Trace call under way. Each Advance takes every path one
// step on; the arrays hold only the paths under way, in start order.
class PathBatch {
public:
    PathBatch(const PathTracer& tracer, std::span<const double> startRows);

    // Appends the positions the step reached; false when no path is left.
    bool Advance(std::vector<PathPosition>& positions);
    // Ends every path still under way as stopped.
    void StopAll();
    const std::vector<PathEnd>& Ends() const { return ends_; }

private:
    struct Live {
        int path;
        double row;
        double column;
        int step;
        double stepSize;  // adaptive: columns the next attempt spans
        double slope;     // adaptive: drow / dcolumn at (row, column)
    };

    bool Start(std::vector<PathPosition>& positions);
    void AdvanceEuler(std::vector<PathPosition>& positions);
    void AdvanceAdaptive(std::vector<PathPosition>& positions);
    // Appends the position, or ends the path when the position breaks a stop
    // rule; false when it ended.
    bool Reach(Live& path, int step, double row, double column, std::vector<PathPosition>& positions);
    void End(Live& path, PathEnd end);
    // W at each (column, row) of the arrays, into velocities_.
    void ComputeVelocities(const std::vector<double>& columns, const std::vector<double>& rows);
    void ComputeVelocitiesWhereThePathsAre();
    void DropEnded();

    const PathTracer& tracer_;
    std::vector<Live> live_;
    std::vector<PathEnd> ends_;
    bool started_ = false;
    // Scratch reused from step to step.
    std::vector<double> columns_;
    std::vector<double> rows_;
    std::vector<double> velocities_;
    std::vector<std::vector<double>> stages_;
};

template <typename Visitor>
std::vector<PathEnd> PathTracer::Trace(std::span<const double> startRows, Visitor&& visit,
                                       const std::atomic<bool>* stopFlag) const
{
    PathBatch batch(*this, startRows);
    std::vector<PathPosition> positions;
    for (bool underWay = true; underWay;) {
        underWay = batch.Advance(positions);
        for (const PathPosition& reached : positions) {
            visit(reached.path, reached.position);
        }
        positions.clear();
        if (underWay && stopFlag != nullptr && stopFlag->load()) {
            batch.StopAll();
            break;
        }
    }
    return batch.Ends();
}

// One path alone: visit(const TracePosition&) at each of its positions.
template <typename Visitor>
PathEnd TraceOnePath(const PathTracer& tracer, double startRow, Visitor&& visit,
                     const std::atomic<bool>* stopFlag = nullptr)
{
    const double starts[] = {startRow};
    return tracer.Trace(starts, [&visit](int, const TracePosition& position) { visit(position); }, stopFlag).front();
}

// The grid cells a path crosses, in order: the cell of each position and,
// where the path moved more than one row from one position to the next (the
// steep stretches of adaptive steps, which give a position a column), the
// rows between, so that its line has no gaps. Cells outside the grid's rows
// are left out.
class PathCells {
public:
    explicit PathCells(int nx) : nx_(nx) {}

    // Calls action(R, C) for each new cell the position brings.
    template <typename CellAction>
    void Add(const TracePosition& position, CellAction&& action)
    {
        const int row = position.roundedRow;
        const int column = position.roundedColumn;
        if (hasLast_) {
            const int rise = row - lastRow_;
            const int rows = rise < 0 ? -rise : rise;
            for (int k = 1; k < rows; ++k) {
                Visit(lastRow_ + (rise > 0 ? k : -k), lastColumn_ + ((column - lastColumn_) * k + rows / 2) / rows,
                      action);
            }
        }
        Visit(row, column, action);
        hasLast_ = true;
        lastRow_ = row;
        lastColumn_ = column;
    }

private:
    template <typename CellAction>
    void Visit(int row, int column, CellAction& action) const
    {
        if (row >= 0 && row < nx_) {
            action(row, column);
        }
    }

    int nx_;
    bool hasLast_ = false;
    int lastRow_ = 0;
    int lastColumn_ = 0;
};

// Adapts a cell action f(R, C) to a trace visitor over the path's cells.
template <typename CellAction>
auto OnGridCells(int nx, CellAction&& action)
{
    return [cells = PathCells(nx), action = std::forward<CellAction>(action)](const TracePosition& position) mutable {
        cells.Add(position, action);
    };
}

}  // namespace nivaro
