#include "ColourBar.h"

#include <QPainter>
#include <cmath>

#include "platform/RoundStep.h"

namespace nivaro {
namespace {

constexpr int kBarWidth = 18;
constexpr int kMargin = 8;

}  // namespace

ColourBar::ColourBar(QWidget* parent) : QWidget(parent)
{
    setFixedWidth(96);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void ColourBar::SetScale(std::function<QColor(double)> colourOf, double lowest, double highest, const QString& title)
{
    colourOf_ = std::move(colourOf);
    lowest_ = lowest;
    highest_ = highest;
    title_ = title;
    update();
}

void ColourBar::paintEvent(QPaintEvent*)
{
    if (!colourOf_ || !(highest_ > lowest_)) {
        return;
    }
    QPainter painter(this);
    const QFontMetrics metrics = painter.fontMetrics();
    const int top = kMargin + metrics.height() + 6;
    const int bottom = height() - kMargin - metrics.height() / 2;
    if (bottom - top < 20) {
        return;
    }
    painter.drawText(QRect(0, kMargin, width(), metrics.height()), Qt::AlignHCenter, title_);
    const int left = kMargin;
    const auto valueAt = [&](double y) { return lowest_ + (highest_ - lowest_) * (bottom - y) / (bottom - top); };
    for (int y = top; y <= bottom; ++y) {
        painter.setPen(colourOf_(valueAt(y)));
        painter.drawLine(left, y, left + kBarWidth, y);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(left, top, kBarWidth, bottom - top);
    const double step = RoundStep((highest_ - lowest_) / std::max(2, (bottom - top) / 50));
    for (const double value : RoundTicks(lowest_, highest_, step)) {
        const double y = bottom - (value - lowest_) / (highest_ - lowest_) * (bottom - top);
        painter.drawLine(QPointF(left + kBarWidth, y), QPointF(left + kBarWidth + 4, y));
        painter.drawText(QRectF(left + kBarWidth + 6, y - metrics.height() / 2.0, width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::number(value, 'g', 3));
    }
}

}  // namespace nivaro
