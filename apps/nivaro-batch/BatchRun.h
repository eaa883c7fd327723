#pragma once

#include <QImage>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace nivaro {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsageError = 2;
inline constexpr int kExitSweepRunFailed = 3;

struct BatchOptions;
class InterruptGuard;
struct SimulationState;

// What a sweep keeps of a run besides its files: frames come from the state
// (the carpet's planes) or from here (the chart, a figure).
enum class FrameKind { None, Carpet, Chart, Figure };
struct RunResult {
    double densityMax = std::numeric_limits<double>::quiet_NaN();  // NaN when no density was computed
    QImage frame;
};

// One run with the given options on state (its grids are reused when the
// shape stays): the settings, the work check, the computations and the
// files. Throws UsageError or UnusableSettingsError for settings it cannot
// use, FileError for files it cannot write, Interrupted after a signal.
RunResult RunOnce(const BatchOptions& options, SimulationState& state, std::ostream& err, bool showProgress,
                  const InterruptGuard& interrupts, FrameKind frame);

// The whole batch program behind main: parses the arguments, computes and
// writes the requested files. Messages go to err; a progress bar too when
// showProgress is set and --quiet is not given. SIGINT, SIGTERM and SIGHUP
// stop the run, remove its unfinished files and give 128 + the signal.
int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool showProgress);

}  // namespace nivaro
