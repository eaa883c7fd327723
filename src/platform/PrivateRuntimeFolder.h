#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace nivaro {

// Without XDG_RUNTIME_DIR (root shells, cron, cluster nodes, test runs) Qt
// writes a warning to standard error on every start; the process gets a
// private folder of its own instead, removed when it ends.
class PrivateRuntimeFolder {
public:
    PrivateRuntimeFolder()
    {
        if (std::getenv("XDG_RUNTIME_DIR") != nullptr) {
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "nivaro-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
        }
    }
    ~PrivateRuntimeFolder()
    {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
    PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;

private:
    std::string path_;
};

}  // namespace nivaro
