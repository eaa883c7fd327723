#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/ProgramVersion.h"
#include "platform/SystemMemory.h"
#include "window/MainWindow.h"
#include "window/UserDialogs.h"

namespace {

// Without a display Qt would abort with a terse message; say what to do.
bool HasDisplay()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// nivaro.ini lives beside the program when that folder can be written (a
// build tree, a portable copy); an installed program keeps it in the
// user's configuration folder. The system's program folders count as
// installed also for root, who could write them.
QString ConfigurationFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const bool systemFolder = programFolder.endsWith(QStringLiteral("/usr/bin")) ||
                              programFolder.endsWith(QStringLiteral("/usr/local/bin")) || programFolder == "/bin";
    if (!systemFolder && QFileInfo(programFolder).isWritable()) {
        return programFolder;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/nivaro";
    QDir().mkpath(folder);
    return folder;
}

// --help and --version are answered before Qt starts, so without a display
// too; other arguments are Qt's own (-style, -platform, ...).
std::optional<int> AnswerInformationRequest(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "--version") {
            std::printf("nivaro %s\n", nivaro::kProgramVersion);
            return 0;
        }
        if (argument == "--help" || argument == "-h") {
            std::printf("Usage: nivaro [QT-OPTION]...\n"
                        "\n"
                        "The window of Nivaro: near-field (Talbot) diffraction of a particle by N slits, shown as\n"
                        "a 3D surface and a carpet with Bohmian trajectories. It reads and writes nivaro.ini.\n"
                        "\n"
                        "  --help, --version    print this text or the version and stop\n"
                        "\n"
                        "Without a display, run it under a virtual one (xvfb-run), or use nivaro-batch.\n");
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> status = AnswerInformationRequest(argc, argv)) {
        return *status;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "nivaro: no display found. Start it from a desktop session, or without one under a virtual\n"
                     "display: xvfb-run -a -s '-screen 0 1400x900x24' %s\n"
                     "For results without a window, use nivaro-batch.\n",
                     argv[0]);
        return 1;
    }
    QApplication application(argc, argv);
    // Qt switched the numeric locale to the user's; files keep "." whatever it is.
    std::setlocale(LC_NUMERIC, "C");

    nivaro::SimulationState state;
    state.gridMemoryLimit = nivaro::AvailableMemoryBytes();
    nivaro::MessageBoxDialogs dialogs;
    nivaro::MainWindow window(state, dialogs);
    dialogs.SetParent(&window);
    if (!window.Start(ConfigurationFolder())) {
        return 1;
    }
    window.show();
    return QApplication::exec();
}
