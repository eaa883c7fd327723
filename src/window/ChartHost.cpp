#include "ChartHost.h"

#include <QFont>
#include <QPainter>

namespace nivaro {

ChartHost::ChartHost(TChart& chart, QWidget* parent) : QWidget(parent), chart_(chart)
{
    chart_.SetInvalidateHandler([this] { update(); });
}

ChartHost::~ChartHost()
{
    chart_.SetInvalidateHandler(nullptr);
}

void ChartHost::paintEvent(QPaintEvent*)
{
    for (int i = 0; i < chart_.SeriesCount(); ++i) {
        chart_.GetSeries(i).DoBeforeDrawChart();
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::blue);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!chart_.LegendVisible()) {
        return;
    }
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int lineHeight = painter.fontMetrics().height();
    int y = 8;
    for (const std::string& line : chart_.LegendTitle()) {
        const QString text = QString::fromStdString(line);
        painter.drawText(width() - 10 - painter.fontMetrics().horizontalAdvance(text), y + painter.fontMetrics().ascent(),
                         text);
        y += lineHeight;
    }
}

}  // namespace nivaro
