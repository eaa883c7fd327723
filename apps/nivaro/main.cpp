#include <QApplication>
#include <clocale>

#include "platform/SystemMemory.h"
#include "window/Unit5.h"
#include "window/UserDialogs.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Qt switched the numeric locale to the user's; files keep "." whatever it is.
    std::setlocale(LC_NUMERIC, "C");

    nivaro::SimulationState state;
    state.gridMemoryLimit = nivaro::PhysicalMemoryBytes();
    nivaro::MessageBoxDialogs dialogs;
    nivaro::TForm5 form(state, dialogs);
    dialogs.SetParent(&form);
    if (!form.FormCreate(QCoreApplication::applicationDirPath())) {
        return 1;
    }
    form.show();
    return QApplication::exec();
}
