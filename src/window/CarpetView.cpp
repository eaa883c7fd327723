#include "CarpetView.h"

#include <QMouseEvent>
#include <QPainter>

namespace nivaro {

CarpetView::CarpetView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void CarpetView::ShowPicture(QImage picture)
{
    picture_ = std::move(picture);
    resize(picture_.size());
    update();
}

void CarpetView::Clear()
{
    picture_ = QImage();
    update();
}

void CarpetView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!picture_.isNull()) {
        painter.drawImage(0, 0, picture_);
    }
}

void CarpetView::mouseMoveEvent(QMouseEvent* event)
{
    emit hovered(event->position().toPoint());
}

void CarpetView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        emit clicked(event->position().toPoint());
    }
}

}  // namespace nivaro
