#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nivaro {

// One swept setting: count values from `from` to `to`, evenly spaced.
struct SweepAxis {
    std::string key;  // the setting's own spelling, as the configuration has it
    double from = 0.0;
    double to = 0.0;
    int count = 1;
    bool whole = false;  // slits, nx, nz, nxb: values rounded, repeats dropped
};

class SweepError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// "KEY=FROM:TO:COUNT" for any numeric setting (not the scales); COUNT from
// 1 to 100000. Throws SweepError saying what is wrong.
SweepAxis ParseSweepAxis(std::string_view text);

// One run of a sweep: its place in the grid of runs and the settings it
// changes, each value as the configuration would store it.
struct SweepRun {
    int index = 0;
    std::vector<std::pair<std::string, std::string>> settings;
};

// The grid of runs, the last axis varying fastest; throws SweepError when
// two axes sweep one setting.
std::vector<SweepRun> PlanSweep(const std::vector<SweepAxis>& axes);

// A file name for one run: {index} becomes the run's index zero-padded to
// the width of the number of runs, {KEY} the value of a swept key (keys
// match without regard to case). Throws SweepError for any other {...}.
std::string ExpandPattern(const std::string& pattern, const SweepRun& run, int runCount);

// The first file that two of the names refer to, if any ("-", standard
// output, aside); names are compared as the paths they resolve to.
std::optional<std::string> FileNamedTwice(const std::vector<std::string>& names);

// Throws SweepError naming the file when two outputs of the sweep would
// write it: the runs' files from their patterns, and the files written once
// for the whole sweep (its summary and animation).
void RequireDistinctFiles(const std::vector<std::string>& patterns, const std::vector<SweepRun>& runs,
                          const std::vector<std::string>& once);

}  // namespace nivaro
