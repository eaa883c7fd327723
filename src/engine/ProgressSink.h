#pragma once

#include <chrono>

namespace nivaro {

enum class ProgressKind {
    DensityColumns,        // density grid, with elapsed time
    CarpetDataFileStarts,  // carpet trajectories read from the data file, with elapsed time
    CarpetRegularStarts,   // carpet trajectories on the regular comb, percent only
    EnsembleTrajectories,  // trajectories of a sampled ensemble, with elapsed time
    QuantumPotentialColumns,  // the quantum potential on the grid, with elapsed time
    SweepFrames,           // the frames of a sweep; its front end tells the time itself
};

struct ProgressReport {
    ProgressKind kind;
    int percent;
    long elapsedSeconds;
};

// Where long computations report progress. Like a progress bar it remembers
// its position, and a report reaches Show only when the percentage differs
// from that position; Show is also the front end's chance to process
// pending events.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    void Advance(const ProgressReport& report)
    {
        if (report.percent == position_) {
            return;
        }
        position_ = report.percent;
        Show(report);
    }
    int Position() const { return position_; }

protected:
    virtual void Show(const ProgressReport& report) = 0;

private:
    int position_ = 0;
};

// Whole seconds since a computation began, for its progress reports.
class ElapsedSeconds {
public:
    long operator()() const
    {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_).count());
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now();
};

class SilentProgress final : public ProgressSink {
protected:
    void Show(const ProgressReport&) override {}
};

}  // namespace nivaro
