#include "TrajectoryCsv.h"

#include <charconv>
#include <string>
#include <vector>

#include "engine/BohmTrajectory.h"
#include "engine/DensityGrid.h"
#include "engine/OrderedBlocks.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

// Appends the value as printf's "%.17g" writes it, and a separator.
template <typename Number>
void AppendField(std::string& line, Number value, char separator)
{
    char text[40];
    const std::to_chars_result result = [&] {
        if constexpr (std::is_floating_point_v<Number>) {
            return std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
        } else {
            return std::to_chars(text, text + sizeof text, value);
        }
    }();
    line.append(text, static_cast<std::size_t>(result.ptr - text));
    line.push_back(separator);
}

}  // namespace

// The starts are traced in parallel, each into its own block of lines, and
// written in start order.
void WriteTrajectoryCsv(std::FILE* stream, const SimulationState& state)
{
    std::fputs("start_row,step,row,column,x_m,z_m\n", stream);
    const TrajectoryTracer tracer(state);
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    std::vector<std::string> lines(starts.size());
    std::size_t written = 0;
    RunBlocksInOrder(
        static_cast<int>(starts.size()), ThreadCount(state.threads),
        [&](int index, int) {
            const double startRow = starts[static_cast<std::size_t>(index)];
            std::string& text = lines[static_cast<std::size_t>(index)];
            tracer.Trace(startRow, state.grid.step, [&](const TracePosition& position) {
                AppendField(text, startRow, ',');
                AppendField(text, position.step, ',');
                AppendField(text, position.row, ',');
                AppendField(text, position.column, ',');
                AppendField(text, RowPosition(state, position.row), ',');
                AppendField(text, ColumnPosition(state, position.column), '\n');
            });
        },
        [&](int finished) {
            for (; written < static_cast<std::size_t>(finished); ++written) {
                std::fwrite(lines[written].data(), 1, lines[written].size(), stream);
                std::string().swap(lines[written]);
            }
            return !state.stopRequested.load();
        });
}

}  // namespace nivaro
