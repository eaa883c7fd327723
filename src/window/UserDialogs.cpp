#include "UserDialogs.h"

#include <QMessageBox>

#include "configuration/Configuration.h"

namespace nivaro {

void MessageBoxDialogs::ShowError(const QString& text)
{
    QMessageBox::critical(parent_, QStringLiteral("Nivaro"), text);
}

UserDialogs::DzbAnswer MessageBoxDialogs::AskAboutDzb()
{
    const QMessageBox::StandardButton answer =
        QMessageBox::warning(parent_, QStringLiteral("Warning:"), QString::fromUtf8(kDzbWarning),
                             QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    switch (answer) {
    case QMessageBox::Abort:
        return DzbAnswer::Abort;
    case QMessageBox::Ignore:
        return DzbAnswer::Ignore;
    default:
        return DzbAnswer::Retry;
    }
}

}  // namespace nivaro
