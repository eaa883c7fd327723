#pragma once

#include <cstdio>
#include <string>

namespace nivaro {

// A file written under a temporary name beside its target and renamed into
// place on Commit, so a failed or interrupted write never leaves a partial
// file under the target's name. Without Commit the temporary is removed.
class AtomicFile {
public:
    // Throws FileError when the temporary file cannot be created.
    explicit AtomicFile(std::string target, bool binary = false);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    std::FILE* Stream() const { return stream_; }
    // Flushes, closes and renames; throws FileError naming the target and the
    // system's reason when any write failed.
    void Commit();

private:
    void Discard() noexcept;

    std::string target_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
};

}  // namespace nivaro
