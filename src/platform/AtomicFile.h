#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace nivaro {

// An output file. A regular file (or a new one) is written under a
// temporary name beside it ("NAME.nivaro-unfinished-XXXXXX") and renamed
// into place on Commit, so a failed or interrupted write never leaves a
// partial file under its name; without Commit the temporary is removed. The
// replacement keeps the file's mode and owner, and a symbolic link is
// written through to the file it points to. A device or FIFO is written
// directly, and "-" is standard output.
class AtomicFile {
public:
    // Throws FileError when the target is a folder, a regular file that may
    // not be written, or when the file cannot be created.
    explicit AtomicFile(std::string target, bool binary = false);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    std::FILE* Stream() const { return stream_; }
    // The temporary's name, for writers that open files by name; empty when
    // the target is written directly.
    const std::string& TemporaryPath() const { return temporary_; }
    // Flushes, closes and renames; throws FileError naming the target and the
    // system's reason when any write failed.
    void Commit();
    // Writes the whole text, then commits.
    void CommitText(std::string_view text);

private:
    void OpenTemporary(const std::string& destination, bool binary, unsigned mode, int owner, int group);
    void Discard() noexcept;

    std::string target_;       // as given, for messages
    std::string destination_;  // where the file ends up, links resolved
    std::string temporary_;    // empty when writing directly
    std::FILE* stream_ = nullptr;
};

}  // namespace nivaro
