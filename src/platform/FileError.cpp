#include "FileError.h"

#include <cstring>

namespace nivaro {

FileError::FileError(const std::string& path, int errorNumber)
    : std::runtime_error(path + ": " + std::strerror(errorNumber))
{
}

FileError::FileError(const std::string& path, const std::string& reason) : std::runtime_error(path + ": " + reason) {}

}  // namespace nivaro
