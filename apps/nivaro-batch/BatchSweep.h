#pragma once

#include <ostream>

namespace nivaro {

struct BatchOptions;

// Runs the grid of runs of options.sweeps, each with the base settings and
// its own values, its output names expanded from the patterns. Refuses,
// before anything runs, patterns that would have two runs write one file
// and (without --force) files that exist. A run the computation cannot use
// is reported and the sweep goes on; the summary marks it and the result is
// then kExitSweepRunFailed. Under mpirun or with --shard each process takes
// its share of the runs; the leader writes the animation and the summary.
int RunSweep(const BatchOptions& options, std::ostream& err, bool showProgress);

}  // namespace nivaro
