#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace nivaro {

struct BatchOptions {
    std::vector<std::pair<std::string, std::string>> settings;  // --set KEY=VALUE, in order
    std::optional<std::string> densityFile;
    std::optional<std::string> spectrumFile;
    std::optional<std::string> trajectoriesFile;
    std::string valueFormat = "% .4f";
    bool quiet = false;
    bool help = false;
    bool version = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws UsageError for an unknown option, a missing argument, a --set
// without "=", an unsafe --format, or a run with nothing to write.
BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments);

std::string BatchUsage();

}  // namespace nivaro
