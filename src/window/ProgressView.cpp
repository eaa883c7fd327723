#include "ProgressView.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace nivaro {
namespace {

constexpr int kTickMilliseconds = 250;
const QString kComputing = QStringLiteral("Computing...");

}  // namespace

QString TimeLeftText(double elapsedSeconds, int percent)
{
    const QString elapsed = QStringLiteral("elapsed %1 s").arg(std::lround(elapsedSeconds));
    if (percent <= 0) {
        return elapsed;
    }
    const double left = elapsedSeconds * (100 - percent) / percent;
    return elapsed + QStringLiteral(", about %1 s left").arg(std::lround(left));
}

ProgressView::ProgressView(QLabel& statusLine, QWidget* parent) : QWidget(parent), statusLine_(statusLine)
{
    caption_ = new QLabel(kComputing, this);
    caption_->setObjectName(QStringLiteral("progressCaption"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(16);
    caption_->setFont(big);
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
    timeLeft_ = new QLabel(this);
    timeLeft_->setObjectName(QStringLiteral("progressTimeLeft"));
    // In a small window the times are cut short rather than pushed over Cancel.
    timeLeft_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* strip = new QHBoxLayout;
    strip->addWidget(caption_);
    strip->addWidget(bar_, 2);
    strip->addWidget(timeLeft_, 1);
    strip->addWidget(cancelButton_);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("sweepPreview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->hide();
    ticker_ = new QTimer(this);
    ticker_->setInterval(kTickMilliseconds);
    connect(ticker_, &QTimer::timeout, this,
            [this] { timeLeft_->setText(TimeLeftText(clock_.elapsed() / 1000.0, percent_)); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addLayout(strip);
    layout->addWidget(preview_);
}

void ProgressView::Begin()
{
    clock_.start();
    preview_->clear();
    preview_->hide();
    bar_->setValue(0);
    caption_->setText(kComputing);
    percent_ = 0;
    timeLeft_->setText(TimeLeftText(0.0, 0));
    ticker_->start();
}

void ProgressView::Finish(bool cancelled, bool reportTime)
{
    ticker_->stop();
    if (!reportTime) {
        return;
    }
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
    preview_->show();
}

void ProgressView::Show(const ProgressReport& report)
{
    bar_->setValue(report.percent);
    percent_ = report.percent;
    timeLeft_->setText(TimeLeftText(clock_.elapsed() / 1000.0, percent_));
    const QString minutes = QString::number(report.elapsedSeconds / 60.0, 'f', 1);
    const QString time = QStringLiteral("time = %1 sec (%2 min)").arg(report.elapsedSeconds).arg(minutes);
    const QString percent = QStringLiteral("%1%").arg(report.percent);
    const QString gap = report.kind == ProgressKind::DensityColumns ? QStringLiteral("  ") : QStringLiteral(" ");
    caption_->setText(report.kind == ProgressKind::SweepFrames ? QStringLiteral("Sweep... ") + percent
                                                               : kComputing + gap + percent);
    switch (report.kind) {
    case ProgressKind::DensityColumns:
    case ProgressKind::EnsembleTrajectories:
    case ProgressKind::QuantumPotentialColumns:
        statusLine_.setText(time);
        break;
    case ProgressKind::CarpetDataFileStarts:
        statusLine_.setText(time + QLatin1Char('\n'));
        break;
    case ProgressKind::SweepFrames:
    case ProgressKind::CarpetRegularStarts:
        break;
    }
}

}  // namespace nivaro
