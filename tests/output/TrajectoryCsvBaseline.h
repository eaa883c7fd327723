#pragma once

// The trajectory CSV writer as it was before the lines were formatted by
// WriteG17 into pooled buffers: the reference the tests hold the writer's
// bytes to, and the baseline the benchmark measures it against.

#include <charconv>
#include <cstdio>
#include <string>
#include <type_traits>

#include "engine/DensityGrid.h"
#include "engine/RegularTraces.h"

namespace nivaro {
namespace baseline {

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

inline void WriteTrajectoryCsv(std::FILE* stream, const SimulationState& state)
{
    std::fputs("start_row,step,row,column,x_m,z_m\n", stream);
    TraceRegularStartsInOrder<std::string>(
        state,
        [&state](std::string& text, double startRow, const TracePosition& position) {
            AppendField(text, startRow, ',');
            AppendField(text, position.step, ',');
            AppendField(text, position.row, ',');
            AppendField(text, position.column, ',');
            AppendField(text, RowPosition(state, position.row), ',');
            AppendField(text, ColumnPosition(state, position.column), '\n');
        },
        [&](double, std::string&& text) {
            std::fwrite(text.data(), 1, text.size(), stream);
            return !state.stopRequested.load();
        });
}

}  // namespace baseline
}  // namespace nivaro
