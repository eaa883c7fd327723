#include "BatchSweep.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <vector>

#include "BatchOptions.h"
#include "BatchRun.h"
#include "InterruptGuard.h"
#include "RunDealer.h"
#include "carpet/CarpetPixels.h"
#include "engine/SettingsValidation.h"
#include "engine/SimulationState.h"
#include "output/AnimationFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"

namespace nivaro {
namespace {

// A file the sweep is about to write: refused when it exists (unless
// forced), its folder made.
void PrepareOutput(const std::string& path, bool force)
{
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    if (error) {
        throw FileError(path, error.value());
    }
    if (!force && exists) {
        throw UsageError("'" + path + "' exists; give --force to overwrite the files of a sweep");
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty() && (std::filesystem::create_directories(folder, error), error)) {
        throw FileError(path, error.value());
    }
}

FrameKind FrameOf(const BatchOptions& options)
{
    if (!options.animationFile) {
        return FrameKind::None;
    }
    switch (options.animationOf) {
    case BatchOptions::AnimationFrames::Chart:
        return FrameKind::Chart;
    case BatchOptions::AnimationFrames::Figure:
        return FrameKind::Figure;
    case BatchOptions::AnimationFrames::Carpet:
        break;
    }
    return FrameKind::Carpet;
}

BatchOptions OptionsOfRun(const BatchOptions& options, const SweepRun& run, int runCount)
{
    BatchOptions one = options;
    one.sweeps.clear();
    one.settings.insert(one.settings.end(), run.settings.begin(), run.settings.end());
    for (const auto& [key, value] : run.settings) {
        one.sweptValues += (one.sweptValues.empty() ? "" : ", ") + key + " = " + value;
    }
    for (const OutputName name : kRunOutputs) {
        if (one.*name) {
            one.*name = ExpandPattern(*(one.*name), run, runCount);
        }
    }
    return one;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c == '\n' ? ' ' : c);
    }
    return quoted + "\"";
}

std::string SummaryLine(const SweepRun& run, double densityMax, double seconds, const std::string& status)
{
    std::string line = std::to_string(run.index);
    for (const auto& setting : run.settings) {
        line += "," + setting.second;
    }
    line += "," + ShortestText(densityMax);
    char number[32];
    std::snprintf(number, sizeof number, "%.3f", seconds);
    return line + "," + number + "," + Quoted(status);
}

std::string SummaryHeader(const BatchOptions& options)
{
    std::string header = "index";
    for (const SweepAxis& axis : options.sweeps) {
        header += "," + axis.key;
    }
    return header + ",density_max,wall_s,status\n";
}

QImage CarpetFrame(const SimulationState& state)
{
    QImage frame(state.grid.nz, state.grid.nx, QImage::Format_RGB888);
    for (int row = 0; row < state.grid.nx; ++row) {
        InterleaveRgbRow(state.carpetRed, state.carpetGreen, state.carpetBlue, row, frame.scanLine(row));
    }
    return frame;
}

void AddFrame(AnimationFile& animation, const QImage& frame)
{
    const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
    animation.AddFrame(rgb.width(), rgb.height(), [&rgb](int row, std::uint8_t* pixels) {
        std::copy_n(rgb.constScanLine(row), rgb.width() * 3, pixels);
    });
}

// One run of the sweep as the summary and the animation see it.
struct SweptRun {
    std::string line;
    QImage frame;
    bool failed = false;
};

// A run whose settings the computation cannot use is reported and marked;
// any other failure ends the sweep.
SweptRun RunOneOfSweep(const BatchOptions& options, const SweepRun& run, int runCount, SimulationState& state,
                       std::ostream& err, bool showProgress, const InterruptGuard& interrupts, FrameKind frameKind)
{
    const auto started = std::chrono::steady_clock::now();
    SweptRun swept;
    RunResult result;
    std::string status = "ok";
    try {
        result = RunOnce(OptionsOfRun(options, run, runCount), state, err, showProgress, interrupts, frameKind);
        swept.frame = frameKind == FrameKind::Carpet ? CarpetFrame(state) : result.frame;
    } catch (const UsageError& error) {
        status = std::string("failed: ") + error.what();
    } catch (const UnusableSettingsError& error) {
        status = std::string("failed: ") + error.what();
    }
    if (status != "ok") {
        swept.failed = true;
        std::string settings;
        for (const auto& [key, value] : run.settings) {
            settings += (settings.empty() ? "" : ", ") + key + "=" + value;
        }
        err << "nivaro-batch: run " << run.index << " (" << settings << ") " << status << '\n';
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    swept.line = SummaryLine(run, result.densityMax, seconds, status);
    return swept;
}

}  // namespace

int RunSweep(const BatchOptions& options, std::ostream& err, bool showProgress)
{
    const std::vector<SweepRun> runs = PlanSweep(options.sweeps);
    const int runCount = static_cast<int>(runs.size());
    const std::vector<std::string> patterns = GivenFiles(options, kRunOutputs);
    RequireDistinctFiles(patterns, runs, GivenFiles(options, kSweepOutputs));
    const RunDealer dealer(options.shardIndex, options.shardCount);
    std::unique_ptr<AnimationFile> animation;
    std::unique_ptr<AtomicFile> summary;
    // Every rank makes its files ready, and the leader opens the sweep's own,
    // before any run: when one cannot (a file in the way), every rank ends
    // there, each leaving no temporary.
    std::exception_ptr unprepared;
    try {
        for (const SweepRun& run : runs) {
            if (dealer.Mine(run.index)) {
                for (const std::string& pattern : patterns) {
                    PrepareOutput(ExpandPattern(pattern, run, runCount), options.force);
                }
            }
        }
        if (dealer.Leads()) {
            if (options.animationFile) {
                PrepareOutput(*options.animationFile, options.force);
                animation = AnimationFile::Open(*options.animationFile, options.framesPerSecond);
            }
            if (options.sweepSummaryFile) {
                PrepareOutput(*options.sweepSummaryFile, options.force);
                summary = std::make_unique<AtomicFile>(*options.sweepSummaryFile);
            }
        }
    } catch (...) {
        unprepared = std::current_exception();
    }
    if (dealer.AnyFailed(unprepared != nullptr)) {
        if (unprepared) {
            std::rethrow_exception(unprepared);
        }
        throw std::runtime_error("rank " + std::to_string(dealer.Rank()) + " stops: another rank could not make its files ready");
    }
    bool failedHere = false;
    // A rank that cannot go on ends the job: the others would wait for it.
    try {
        const FrameKind frameKind = FrameOf(options);
        std::string lines = SummaryHeader(options);
        const auto take = [&](const std::string& line, const QImage& frame) {
            lines += line + "\n";
            if (animation && !frame.isNull()) {
                AddFrame(*animation, frame);
            }
        };
        SimulationState state;
        const InterruptGuard interrupts(state.stopRequested);
        for (const SweepRun& run : runs) {
            if (!dealer.Mine(run.index)) {
                if (dealer.InCluster() && dealer.Leads()) {
                    const RunDealer::Delivery delivery = dealer.Receive(run.index);
                    take(delivery.line, delivery.frame);
                }
                continue;
            }
            const SweptRun swept = RunOneOfSweep(options, run, runCount, state, err, showProgress, interrupts, frameKind);
            failedHere = failedHere || swept.failed;
            const std::string& line = swept.line;
            const QImage& frame = swept.frame;
            if (dealer.Leads()) {
                take(line, frame);
            } else {
                dealer.Send(run.index, line, frame);
            }
        }
        if (animation) {
            animation->Finish();
        }
        if (summary) {
            std::fwrite(lines.data(), 1, lines.size(), summary->Stream());
            summary->Commit();
        }
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& error) {
        if (dealer.InCluster()) {
            err << "nivaro-batch: rank " << dealer.Rank() << ": " << error.what() << std::endl;
            dealer.AbortJob(kExitFileError);
        }
        throw;
    }
    const bool failed = dealer.AnyFailed(failedHere);
    return failed ? kExitSweepRunFailed : kExitSuccess;
}

}  // namespace nivaro
