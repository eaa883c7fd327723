#include "TrajectoryFile.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "engine/BufferPool.h"
#include "engine/DensityGrid.h"
#include "platform/NumberText.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr const char* kCsvHeader = "start_row,step,row,column,x_m,z_m\n";
constexpr const char* kStandardOutput = "-";
// Six numbers and their separators.
constexpr std::size_t kMostLineChars = 6 * (kMostG17Chars + 1);

// One start's lines; its start_row field, the same on every line, is
// formatted once.
struct StartLines {
    std::string text;
    char startField[kMostG17Chars + 1];
    std::size_t startFieldChars = 0;
};

char* WriteField(char* at, double value, char separator)
{
    at = WriteG17(at, value);
    *at = separator;
    return at + 1;
}

void AppendLine(StartLines& lines, const SimulationState& state, const TracePosition& position)
{
    char line[kMostLineChars];
    char* at = std::copy_n(lines.startField, lines.startFieldChars, line);
    at = std::to_chars(at, at + kMostG17Chars, position.step).ptr;
    *at++ = ',';
    at = WriteField(at, position.row, ',');
    at = WriteField(at, position.column, ',');
    at = WriteField(at, RowPosition(state, position.row), ',');
    at = WriteField(at, ColumnPosition(state, position.column), '\n');
    lines.text.append(line, static_cast<std::size_t>(at - line));
}

}  // namespace

std::optional<ArrayFormat> TrajectoryFormatOf(const std::string& path)
{
    const ArrayFormat format = ArrayFormatOf(path);
    if (format != ArrayFormat::Text) {
        return format;
    }
    if (path == kStandardOutput || EndsWithIgnoringCase(path, ".csv")) {
        return ArrayFormat::Text;
    }
    return std::nullopt;
}

void WriteTrajectoryCsv(std::FILE* stream, const SimulationState& state)
{
    std::fputs(kCsvHeader, stream);
    BufferPool<std::string> buffers;
    TraceRegularStartsInOrder<StartLines>(
        state,
        [&](StartLines& lines, double startRow, const TracePosition& position) {
            if (lines.startFieldChars == 0) {
                lines.text = buffers.Take();
                lines.startFieldChars = static_cast<std::size_t>(WriteField(lines.startField, startRow, ',') - lines.startField);
            }
            AppendLine(lines, state, position);
        },
        [&](double, StartLines&& lines) {
            std::fwrite(lines.text.data(), 1, lines.text.size(), stream);
            buffers.Give(std::move(lines.text));
            return !state.stopRequested.load();
        });
}

TrajectoryOutput::TrajectoryOutput(const std::string& path, const SettingAttributes& settings)
    : file_(path, settings)
{
}

void TrajectoryOutput::Trace(const SimulationState& state)
{
    if (file_.Format() == ArrayFormat::Text) {
        WriteTrajectoryCsv(file_.TextStream(), state);
    } else {
        records_ = CollectTrajectoryRecords(state);
    }
}

void TrajectoryOutput::Commit()
{
    if (file_.Format() == ArrayFormat::Text) {
        file_.CommitText();
    } else {
        file_.WriteRecords("trajectories", kTrajectoryLayout, records_.data(), records_.size());
    }
}

}  // namespace nivaro
