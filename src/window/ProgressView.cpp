#include "ProgressView.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace nivaro {

void ProgressView::Show(const ProgressReport& report)
{
    bar_.setValue(report.percent);
    const QString minutes = QString::number(report.elapsedSeconds / 60.0, 'f', 1);
    const QString time = QStringLiteral("time = %1 sec (%2 min)").arg(report.elapsedSeconds).arg(minutes);
    switch (report.kind) {
    case ProgressKind::DensityColumns:
        percentLabel_.setText(QStringLiteral("Loading...  %1%").arg(report.percent));
        statusLabel_.setText(time);
        break;
    case ProgressKind::CarpetDataFileStarts:
        percentLabel_.setText(QStringLiteral("Loading... %1%").arg(report.percent));
        statusLabel_.setText(time + QLatin1Char('\n'));
        break;
    case ProgressKind::CarpetRegularStarts:
        percentLabel_.setText(QStringLiteral("Loading... %1%").arg(report.percent));
        break;
    }
    QCoreApplication::processEvents();
}

}  // namespace nivaro
