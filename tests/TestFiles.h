#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace nivaro {

// A fresh folder below the system's temporary folder, removed with its
// contents when the test ends.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "nivaro-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { std::filesystem::remove_all(path_); }

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Whether a program (ffmpeg, ffprobe) answers on this machine; tests of what
// needs it are skipped with a note without it.
inline bool ProgramInstalled(const std::string& name)
{
    return std::system((name + " -version > /dev/null 2>&1").c_str()) == 0;
}

// What a writer of C streams writes, as bytes.
inline std::string WrittenBytes(const std::function<void(std::FILE*)>& write)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* stream = ::open_memstream(&buffer, &size);
    write(stream);
    std::fclose(stream);
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

inline std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

}  // namespace nivaro
