#pragma once

#include <atomic>
#include <csignal>
#include <stdexcept>

namespace nivaro {

// Thrown between the stages of a run that a signal interrupted; unwinding
// removes the unfinished output files.
class Interrupted : public std::runtime_error {
public:
    explicit Interrupted(int signal);
    int Signal() const { return signal_; }

private:
    int signal_;
};

// While it lives, SIGINT, SIGTERM and SIGHUP do not end the process at once:
// they set the computation's stop flag, so that the running stage ends at
// its next poll, and ThrowIfInterrupted then ends the run. One guard at a
// time; the previous handlers come back when it goes.
class InterruptGuard {
public:
    explicit InterruptGuard(std::atomic<bool>& stopFlag);
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    ~InterruptGuard();

    void ThrowIfInterrupted() const;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[3] = {};
};

}  // namespace nivaro
