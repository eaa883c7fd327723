#include "ProgressView.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace nivaro {

ProgressView::ProgressView(QLabel& statusLine, QWidget* parent) : QWidget(parent), statusLine_(statusLine)
{
    caption_ = new QLabel(QStringLiteral("Loading..."), this);
    caption_->setObjectName(QStringLiteral("progressCaption"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    caption_->setFont(big);
    caption_->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setFixedHeight(20);
    // The caption already says the percent.
    bar_->setTextVisible(false);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setToolTip(QStringLiteral("Stop the computation and keep the results shown before it (Esc)"));
    connect(cancelButton_, &QPushButton::clicked, this, &ProgressView::cancelRequested);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 0, 48, 0);
    layout->addStretch(363);
    layout->addWidget(caption_);
    layout->addSpacing(48);
    layout->addWidget(bar_);
    layout->addSpacing(16);
    layout->addWidget(cancelButton_, 0, Qt::AlignHCenter);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("sweepPreview"));
    preview_->setAlignment(Qt::AlignCenter);
    layout->addWidget(preview_);
    layout->addStretch(300);
}

void ProgressView::Begin()
{
    clock_.start();
    preview_->clear();
    bar_->setValue(0);
    caption_->setText(QStringLiteral("Loading..."));
}

void ProgressView::Finish(bool cancelled)
{
    const double seconds = clock_.elapsed() / 1000.0;
    statusLine_.setText(cancelled ? QStringLiteral("Cancelled after %1 sec; the previous results are shown.")
                                        .arg(seconds, 0, 'f', 2)
                                  : QStringLiteral("time = %1 sec (%2 min)")
                                        .arg(seconds, 0, 'f', 2)
                                        .arg(seconds / 60.0, 0, 'f', 2));
}

void ProgressView::ShowPreview(const QImage& frame)
{
    constexpr int kPreviewHeight = 240;
    preview_->setPixmap(QPixmap::fromImage(frame.scaledToHeight(kPreviewHeight, Qt::SmoothTransformation)));
    QCoreApplication::processEvents();
}

void ProgressView::Show(const ProgressReport& report)
{
    bar_->setValue(report.percent);
    const QString minutes = QString::number(report.elapsedSeconds / 60.0, 'f', 1);
    const QString time = QStringLiteral("time = %1 sec (%2 min)").arg(report.elapsedSeconds).arg(minutes);
    switch (report.kind) {
    case ProgressKind::DensityColumns:
        caption_->setText(QStringLiteral("Loading...  %1%").arg(report.percent));
        statusLine_.setText(time);
        break;
    case ProgressKind::CarpetDataFileStarts:
        caption_->setText(QStringLiteral("Loading... %1%").arg(report.percent));
        statusLine_.setText(time + QLatin1Char('\n'));
        break;
    case ProgressKind::EnsembleTrajectories:
    case ProgressKind::QuantumPotentialColumns:
        caption_->setText(QStringLiteral("Loading... %1%").arg(report.percent));
        statusLine_.setText(time);
        break;
    case ProgressKind::SweepFrames:
        caption_->setText(QStringLiteral("Sweep... %1%").arg(report.percent));
        break;
    case ProgressKind::CarpetRegularStarts:
        caption_->setText(QStringLiteral("Loading... %1%").arg(report.percent));
        break;
    }
    QCoreApplication::processEvents();
}

}  // namespace nivaro
