#include "CarpetPass.h"

#include <vector>

#include "PathTracer.h"
#include "SettingsValidation.h"
#include "RegularTraces.h"
#include "TrajectoryStarts.h"
#include "carpet/CarpetPixels.h"
#include "carpet/DataFile.h"

namespace nivaro {
namespace {

CarpetPlanesRef Planes(SimulationState& state)
{
    return {state.carpetRed, state.carpetGreen, state.carpetBlue};
}


// Each crossed pixel remembers the start row and loses the given channels.
auto MarkCells(SimulationState& state, double startRow, std::uint8_t channels)
{
    return OnGridCells(state.grid.nx, [&state, startRow, channels](int row, int column) {
        state.trajectoryStartGrid[row][column] = startRow;
        ClearChannels(Planes(state), row, column, channels);
    });
}

void DrawDataFileTrajectories(SimulationState& state, const std::vector<DataFileRecord>& records, ProgressSink& progress,
                              const ElapsedSeconds& elapsed)
{
    const PathTracer tracer(state, ConfiguredTraceMethod(state.grid));
    const long long total = static_cast<long long>(records.size()) * state.grid.nz;
    long long done = 0;
    for (const DataFileRecord& record : records) {
        const double startRow = StartRowOfPosition(state, record.position);
        auto mark = MarkCells(state, startRow, ChannelsClearedBy(record.letter));
        TraceOnePath(
            tracer, startRow,
            [&](const TracePosition& position) {
                mark(position);
                progress.Advance({ProgressKind::CarpetDataFileStarts,
                                  static_cast<int>((done + position.roundedColumn) * 100 / total), elapsed()});
            },
            &state.stopRequested);
        done += state.grid.nz;
    }
}

// The regular starts are traced in parallel, each into its own list of
// cells (those of the tolerated rows outside the grid too, so that the rows
// between are joined as for a path traced alone), and painted on the
// calling thread in start order, so the picture is the one a trace one after
// the other paints: where two trajectories cross a pixel, the later start
// wins.
void DrawRegularTrajectories(SimulationState& state, ProgressSink& progress, const ElapsedSeconds& elapsed)
{
    struct Cell {
        int row;
        int column;
    };
    TraceRegularStartsInOrder<std::vector<Cell>>(
        state,
        [](std::vector<Cell>& cells, double, const TracePosition& position) {
            if (cells.empty() || cells.back().row != position.roundedRow ||
                cells.back().column != position.roundedColumn) {
                cells.push_back({position.roundedRow, position.roundedColumn});
            }
        },
        [&](double startRow, std::vector<Cell>&& cells) {
            auto mark = MarkCells(state, startRow, kRegularTrajectoryChannels);
            for (const Cell& cell : cells) {
                mark(TracePosition{0, 0.0, 0.0, cell.row, cell.column, false});
            }
            progress.Advance(
                {ProgressKind::CarpetRegularStarts, static_cast<int>(100 * startRow / state.grid.nxb), elapsed()});
            return !state.stopRequested.load();  // nothing after the trajectory that saw the stop is painted
        });
}

}  // namespace

StaleDensityError::StaleDensityError()
    : std::runtime_error("The density grid does not match the settings; apply them again before drawing the carpet.")
{
}

void RenderCarpet(SimulationState& state, const CarpetOptions& options, ProgressSink& progress)
{
    RenderCarpet(state, state.densityField, options, progress);
}

void RenderCarpet(SimulationState& state, const RealMatrixT& density, const CarpetOptions& options,
                  ProgressSink& progress)
{
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    if (density.Rows() != nx || density.Cols() != nz) {
        throw StaleDensityError();
    }
    for (UcharMatrix* plane : {&state.carpetRed, &state.carpetGreen, &state.carpetBlue}) {
        plane->Reshape(nx, nz);
    }
    FillGreyCarpet(density, options.contrast, state.scaleP.Factor(), Planes(state), nx, nz);
    // Only drawn trajectories have starts to remember; a partially coherent
    // beam has none.
    const bool paths = options.showTrajectories && HasCoherentBeam(state);
    state.trajectoryStartGrid.Reshape(paths ? nx : 0, paths ? nz : 0);
    if (!paths) {
        return;
    }
    const ElapsedSeconds elapsed;
    state.trajectoryStartGrid.Clear();
    const std::optional<std::vector<DataFileRecord>> records =
        options.dataFile ? ReadDataFile(*options.dataFile) : std::nullopt;
    if (records) {
        DrawDataFileTrajectories(state, *records, progress, elapsed);
    } else {
        DrawRegularTrajectories(state, progress, elapsed);
    }
}

PathCellList TracePathCells(const SimulationState& state, std::span<const RecolouredPath> paths)
{
    PathCellList cells(paths.size());
    if (paths.empty()) {
        return cells;
    }
    const PathTracer tracer(state, ConfiguredTraceMethod(state.grid));
    for (std::size_t k = 0; k < paths.size(); ++k) {
        TraceOnePath(tracer, paths[k].startRow,
                     OnGridCells(state.grid.nx, [&crossed = cells[k]](int row, int column) {
                         crossed.emplace_back(row, column);
                     }),
                     &state.stopRequested);
    }
    return cells;
}

void PaintPathCells(SimulationState& state, std::span<const RecolouredPath> paths, const PathCellList& cells)
{
    for (std::size_t k = 0; k < paths.size() && k < cells.size(); ++k) {
        for (const auto& [row, column] : cells[k]) {
            PaintColour(Planes(state), row, column, paths[k].colour);
        }
    }
}

void RepaintTrajectories(SimulationState& state, std::span<const RecolouredPath> paths)
{
    PaintPathCells(state, paths, TracePathCells(state, paths));
}

}  // namespace nivaro
