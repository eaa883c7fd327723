#include "AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "FileError.h"

namespace nivaro {

AtomicFile::AtomicFile(std::string target, bool binary) : target_(std::move(target))
{
    std::vector<char> pattern(target_.begin(), target_.end());
    const std::string suffix = ".tmp-XXXXXX";
    pattern.insert(pattern.end(), suffix.begin(), suffix.end());
    pattern.push_back('\0');
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        throw FileError(target_, errno);
    }
    temporary_ = pattern.data();
    // mkstemp creates the file for the owner only; give it the usual rights.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);
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

void AtomicFile::Commit()
{
    std::FILE* stream = stream_;
    stream_ = nullptr;
    const bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    const int writeError = errno;
    if (std::fclose(stream) != 0 || !written) {
        const int error = written ? errno : writeError;
        std::remove(temporary_.c_str());
        throw FileError(target_, error != 0 ? error : EIO);
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary_.c_str());
        throw FileError(target_, error);
    }
}

void AtomicFile::Discard() noexcept
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
        std::remove(temporary_.c_str());
    }
}

}  // namespace nivaro
