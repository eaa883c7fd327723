#include "ColourBar.h"

#include <QPainter>

namespace nivaro {
namespace {

constexpr int kMargin = 8;

}  // namespace

ColourBar::ColourBar(QWidget* parent) : QWidget(parent)
{
    setFixedWidth(110);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void ColourBar::SetScale(FigureColourScale scale)
{
    scale_ = std::move(scale);
    update();
}

void ColourBar::paintEvent(QPaintEvent*)
{
    if (!scale_.colourOf) {
        return;
    }
    QPainter painter(this);
    PaintColourScale(painter, scale_, QRectF(rect()).adjusted(kMargin, kMargin, -2, -kMargin));
}

}  // namespace nivaro
