#pragma once

#include <functional>

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

class QLabel;
class QWidget;

namespace nivaro {

class ProgressView;

// Runs the window's computations off its thread, one at a time. While one
// runs, the panel is disabled, the progress strip shows over the foot of the
// views (which keep showing the results so far) and a Cancel, an Esc or a
// close stops it. The results shown are never written by a computation.
class ComputationRunner {
public:
    // What the status line says of a computation.
    enum class Status {
        Clear,      // cleared at the start, the time taken at the end
        Report,     // the time taken at the end
        Untouched,  // quick work of a click: the readout stays
    };

    // The busy state, left also when an exception passes through; nested
    // computations (Q computed for the surface an Apply shows) leave it only at
    // the outermost level.
    class Scope {
    public:
        Scope(ComputationRunner& runner, Status status);
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        ~Scope();
        bool Cancelled() const { return runner_.CancelRequested(); }

    private:
        ComputationRunner& runner_;
        Status status_;
    };

    // shown: the document the window shows, whose stop flag the engine's
    // passes over it (Q, ensembles) poll.
    ComputationRunner(QWidget& window, QWidget& panel, QLabel& statusLine, ProgressView& progress,
                      SimulationState& shown);

    bool Busy() const { return depth_ > 0; }
    // Cancel or Esc was asked (closing stops work too, but is no cancel).
    bool CancelRequested() const { return shown_.stopRequested && !closing_; }
    bool Closing() const { return closing_; }
    // Cancelled or closing: what the last computation built is to be dropped.
    bool Stopped() const { return shown_.stopRequested; }

    // Cancel and Esc: stops the computation under way, if any.
    void Cancel();
    // The window closes: stops what runs and anything started afterwards.
    void Close();

    // Runs work on a worker thread while the window's event loop goes on,
    // reporting to progress; `document`, the one the work builds, is stopped
    // with it. Returns when the work has ended; rethrows its exception.
    void Run(ProgressSink& progress, const std::function<void(ProgressSink&)>& work,
             SimulationState* document = nullptr);

private:
    void Stop();

    QWidget& window_;
    QWidget& panel_;
    QLabel& statusLine_;
    ProgressView& progress_;
    SimulationState& shown_;
    SimulationState* computing_ = nullptr;
    int depth_ = 0;
    bool closing_ = false;
};

}  // namespace nivaro
