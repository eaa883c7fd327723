#include "InterruptGuard.h"

#include <string>

namespace nivaro {
namespace {

volatile std::sig_atomic_t receivedSignal = 0;
std::atomic<bool>* stopFlagOfRun = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free, "the handler may only touch lock-free atomics");

extern "C" void RequestStop(int signal)
{
    receivedSignal = signal;
    if (stopFlagOfRun != nullptr) {
        stopFlagOfRun->store(true);
    }
}

}  // namespace

Interrupted::Interrupted(int signal)
    : std::runtime_error("interrupted by signal " + std::to_string(signal) + "; unfinished files were removed"),
      signal_(signal)
{
}

InterruptGuard::InterruptGuard(std::atomic<bool>& stopFlag)
{
    receivedSignal = 0;
    stopFlagOfRun = &stopFlag;
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    for (int k = 0; k < 3; ++k) {
        sigaction(kSignals[k], &action, &previous_[k]);
    }
}

InterruptGuard::~InterruptGuard()
{
    for (int k = 0; k < 3; ++k) {
        sigaction(kSignals[k], &previous_[k], nullptr);
    }
    stopFlagOfRun = nullptr;
}

void InterruptGuard::ThrowIfInterrupted() const
{
    if (receivedSignal != 0) {
        throw Interrupted(receivedSignal);
    }
}

}  // namespace nivaro
