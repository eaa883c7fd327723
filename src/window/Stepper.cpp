#include "Stepper.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/NumberText.h"

namespace nivaro {

Stepper::Stepper(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto addArrow = [this, layout](Qt::ArrowType arrow, ScaleDirection direction) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, direction] { emit changing(direction); });
    };
    addArrow(Qt::UpArrow, ScaleDirection::Up);
    addArrow(Qt::DownArrow, ScaleDirection::Down);
}

void Stepper::Bind(QLineEdit* field, int minimum, int maximum)
{
    field->installEventFilter(this);
    connect(this, &Stepper::changing, field, [field, minimum, maximum](ScaleDirection direction) {
        const int step = direction == ScaleDirection::Up ? 1 : direction == ScaleDirection::Down ? -1 : 0;
        const int current = std::clamp(LeadingInteger(field->text().toStdString()), minimum, maximum);
        const int next = std::clamp(current + step, minimum, maximum);
        if (QString::number(next) != field->text()) {
            field->setText(QString::number(next));
        }
    });
}

bool Stepper::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            emit changing(key == Qt::Key_Up ? ScaleDirection::Up : ScaleDirection::Down);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace nivaro
