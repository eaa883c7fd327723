#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nivaro {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsageError = 2;

// The whole batch program behind main: parses the arguments, computes and
// writes the requested files. Messages go to err; a progress bar too when
// showProgress is set and --quiet is not given. SIGINT, SIGTERM and SIGHUP
// stop the run, remove its unfinished files and give 128 + the signal.
int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool showProgress);

}  // namespace nivaro
