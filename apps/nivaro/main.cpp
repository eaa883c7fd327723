#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <clocale>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

int main(int argc, char** argv)
{
    if (!HasDisplay()) {
        std::fputs("nivaro: no display found. Start it from a desktop session, or without one under a virtual\n"
                   "display: xvfb-run -a -s '-screen 0 1400x900x24' build/release/apps/nivaro/nivaro\n"
                   "For results without a window, use nivaro-batch.\n",
                   stderr);
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
