#pragma once

#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>

namespace nivaro {

// Times the stages of a run; with --timings each stage that ran is reported
// on standard error as "stage: 0.0123 s".
class StageTimings {
public:
    StageTimings(bool enabled, std::ostream& err) : enabled_(enabled), err_(err) {}

    template <typename Work>
    decltype(auto) Time(const std::string& stage, Work&& work)
    {
        const auto start = std::chrono::steady_clock::now();
        const Report report{*this, stage, start};
        return std::forward<Work>(work)();
    }

private:
    // Reports from its destructor, so that a stage returning a value is
    // timed as well; a stage that throws is not reported.
    struct Report {
        StageTimings& timings;
        const std::string& stage;
        std::chrono::steady_clock::time_point start;
        ~Report()
        {
            if (timings.enabled_ && std::uncaught_exceptions() == 0) {
                const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
                char seconds[32];
                std::snprintf(seconds, sizeof seconds, "%.4f", elapsed.count());
                timings.err_ << stage << ": " << seconds << " s\n";
            }
        }
    };

    bool enabled_;
    std::ostream& err_;
};

}  // namespace nivaro
