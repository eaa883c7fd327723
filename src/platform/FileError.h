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

}  // namespace nivaro
