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
    std::optional<std::string> configFile;
    std::optional<std::string> writeConfigFile;
    std::optional<std::string> carpetFile;
    std::optional<std::string> dataFile;
    int contrast = 1;
    bool carpetTrajectories = true;
    std::string valueFormat = "% .4f";
    bool quiet = false;
    bool help = false;
    bool version = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PictureFormat { Bmp, Png, Jpeg };

// The picture format of a file name's extension (case-insensitive .bmp,
// .png, .jpg, .jpeg); throws UsageError for any other.
PictureFormat PictureFormatOf(const std::string& path);

// Throws UsageError for an unknown option, a missing argument, a --set
// without "=", an unsafe --format, a contrast outside 0 to 5, a carpet file
// of unknown type, or a run with nothing to write.
BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments);

std::string BatchUsage();

}  // namespace nivaro
