#include <QGuiApplication>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

#include "BatchRun.h"
#include "platform/PrivateRuntimeFolder.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const nivaro::PrivateRuntimeFolder runtimeFolder;
    // The chart is drawn with Qt's painter and fonts, which need no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return nivaro::RunBatch(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
