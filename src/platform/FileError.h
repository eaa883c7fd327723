#pragma once

#include <stdexcept>
#include <string>

namespace nivaro {

// A file that could not be read or written; the message names the file and
// the system's reason.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, int errorNumber);
    FileError(const std::string& path, const std::string& reason);
};

// For writers whose library does not say why a write failed: the system's
// reason when the file system that holds `written` has no room left, else
// the library's own reason.
FileError WriteFailure(const std::string& path, const std::string& written, const std::string& otherwise);

}  // namespace nivaro
