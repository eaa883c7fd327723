#include "UserDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
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

bool MessageBoxDialogs::ConfirmLongWork(const QString& estimate)
{
    return QMessageBox::question(parent_, QStringLiteral("Nivaro"),
                                 QStringLiteral("This computation would take %1.\nStart it anyway?").arg(estimate),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> MessageBoxDialogs::AskSaveFileName(const SaveRequest& request)
{
    QFileDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(request.folder);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setNameFilter(request.filter);
    // A name typed without an extension takes the one of the chosen filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("*."));
        const qsizetype close = filter.indexOf(QLatin1Char(')'), star);
        if (star >= 0 && close > star) {
            dialog.setDefaultSuffix(filter.mid(star + 2, close - star - 2));
        }
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

bool MessageBoxDialogs::Confirm(const QString& question)
{
    return QMessageBox::question(parent_, QStringLiteral("Nivaro"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<int> MessageBoxDialogs::AskPictureScale(const QSize& viewSize)
{
    QStringList sizes;
    for (const int scale : {1, 2, 4}) {
        sizes << QStringLiteral("%1x  (%2 by %3 pixels)").arg(scale).arg(viewSize.width() * scale).arg(viewSize.height() * scale);
    }
    bool chosen = false;
    const QString size = QInputDialog::getItem(parent_, QStringLiteral("Picture size"), QStringLiteral("Size of the picture:"),
                                               sizes, 0, false, &chosen);
    if (!chosen) {
        return std::nullopt;
    }
    return size.section(QLatin1Char('x'), 0, 0).toInt();
}

void MessageBoxDialogs::ShowInformation(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Close, parent_);
    box.setObjectName(QStringLiteral("informationBox"));
    box.setTextFormat(Qt::RichText);
    box.exec();
}

std::optional<SweepRequest> MessageBoxDialogs::AskSweep(const QString& folder)
{
    SweepDialog dialog(folder, parent_);
    QString why;
    return dialog.exec() == QDialog::Accepted ? dialog.Request(why) : std::nullopt;
}

}  // namespace nivaro
