#include <QGuiApplication>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <unistd.h>

#include "BatchRun.h"

namespace {

// Without XDG_RUNTIME_DIR (root shells, cron, cluster nodes) Qt writes a
// warning to standard error on every run; the run gets a private folder of
// its own instead, removed when it ends.
class PrivateRuntimeFolder {
public:
    PrivateRuntimeFolder()
    {
        if (std::getenv("XDG_RUNTIME_DIR") != nullptr) {
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "nivaro-batch-XXXXXX").string();
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

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const PrivateRuntimeFolder runtimeFolder;
    // The chart is drawn with Qt's painter and fonts, which need no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return nivaro::RunBatch(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
