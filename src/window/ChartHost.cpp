#include "ChartHost.h"

#include <QPainter>

#include "platform/QPainterDevice.h"

namespace nivaro {

ChartHost::ChartHost(TChart& chart, QWidget* parent) : QWidget(parent), chart_(chart)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    chart_.SetInvalidateHandler([this] {
        dirty_ = true;
        update();
    });
}

ChartHost::~ChartHost()
{
    chart_.SetInvalidateHandler(nullptr);
}

void ChartHost::paintEvent(QPaintEvent*)
{
    if (dirty_ || image_.size() != size()) {
        image_ = QImage(size(), QImage::Format_RGB32);
        QPainterDevice device(image_);
        chart_.Draw(device);
        dirty_ = false;
    }
    QPainter(this).drawImage(0, 0, image_);
}

}  // namespace nivaro
