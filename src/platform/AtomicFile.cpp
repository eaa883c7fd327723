#include "AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "FileError.h"

namespace nivaro {
namespace {

constexpr const char* kStandardOutput = "-";
constexpr const char* kUnfinishedSuffix = ".nivaro-unfinished-XXXXXX";

// A new file gets the usual rights.
unsigned DefaultMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool Writable(const std::string& path, const struct stat& status)
{
    // access() lets root write anything; a file nobody may write is refused
    // for root too.
    return ::access(path.c_str(), W_OK) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// A link to a file that does not exist yet leads to the path that file will
// have; links to links are followed a few times.
std::string LinkedPath(const std::string& target)
{
    constexpr int kMostLinks = 40;
    std::filesystem::path path = target;
    std::error_code error;
    for (int hop = 0; hop < kMostLinks && std::filesystem::is_symlink(path, error); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path.string();
}

}  // namespace

AtomicFile::AtomicFile(std::string target, bool binary) : target_(std::move(target)), destination_(target_)
{
    const char* mode = binary ? "wb" : "w";
    if (target_ == kStandardOutput) {
        stream_ = stdout;
        return;
    }
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            throw FileError(target_, EISDIR);
        }
        if (!S_ISREG(status.st_mode)) {
            stream_ = std::fopen(target_.c_str(), mode);
            if (stream_ == nullptr) {
                throw FileError(target_, errno);
            }
            return;
        }
        if (!Writable(target_, status)) {
            throw FileError(target_, EACCES);
        }
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(target_, error);
        OpenTemporary(error ? target_ : resolved.string(), binary, status.st_mode & 07777, static_cast<int>(status.st_uid),
                      static_cast<int>(status.st_gid));
        return;
    }
    OpenTemporary(LinkedPath(target_), binary, DefaultMode(), -1, -1);
}

void AtomicFile::OpenTemporary(const std::string& destination, bool binary, unsigned mode, int owner, int group)
{
    destination_ = destination;
    std::vector<char> pattern(destination_.begin(), destination_.end());
    const std::string suffix = kUnfinishedSuffix;
    pattern.insert(pattern.end(), suffix.begin(), suffix.end());
    pattern.push_back('\0');
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        throw FileError(target_, errno);
    }
    temporary_ = pattern.data();
    ::fchmod(descriptor, static_cast<mode_t>(mode));
    if (owner >= 0) {
        // Only root may give a file away; anyone else replaces their own files.
        [[maybe_unused]] const int kept = ::fchown(descriptor, static_cast<uid_t>(owner), static_cast<gid_t>(group));
    }
    stream_ = ::fdopen(descriptor, binary ? "wb" : "w");
    if (stream_ == nullptr) {
        const int error = errno;
        ::close(descriptor);
        std::remove(temporary_.c_str());
        throw FileError(target_, error);
    }
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::CommitText(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream_);
    Commit();
}

void AtomicFile::Commit()
{
    std::FILE* stream = stream_;
    stream_ = nullptr;
    const bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    const int writeError = errno;
    const bool closed = stream == stdout || std::fclose(stream) == 0;
    if (!closed || !written) {
        const int error = written ? errno : writeError;
        if (!temporary_.empty()) {
            std::remove(temporary_.c_str());
        }
        throw FileError(target_, error != 0 ? error : EIO);
    }
    if (!temporary_.empty() && std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary_.c_str());
        throw FileError(target_, error);
    }
}

void AtomicFile::Discard() noexcept
{
    if (stream_ == nullptr) {
        return;
    }
    if (stream_ != stdout) {
        std::fclose(stream_);
    }
    stream_ = nullptr;
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
    }
}

}  // namespace nivaro
