#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>

#include "platform/PrivateRuntimeFolder.h"

// Tests that draw or open windows need an application object; they run
// without a display.
int main(int argc, char** argv)
{
    const nivaro::PrivateRuntimeFolder runtimeFolder;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
