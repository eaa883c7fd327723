#include "FileError.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace nivaro {

FileError::FileError(const std::string& path, int errorNumber)
    : std::runtime_error(path + ": " + std::strerror(errorNumber))
{
}

FileError::FileError(const std::string& path, const std::string& reason) : std::runtime_error(path + ": " + reason) {}

FileError WriteFailure(const std::string& path, const std::string& written, const std::string& otherwise)
{
    struct statvfs space = {};
    const std::string folder = std::filesystem::path(written).parent_path().string();
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &space) == 0 && space.f_bavail == 0) {
        return FileError(path, ENOSPC);
    }
    return FileError(path, otherwise);
}

}  // namespace nivaro
