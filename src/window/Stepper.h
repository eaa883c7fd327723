#pragma once

#include <QWidget>

#include "engine/AxisScale.h"

class QLineEdit;

namespace nivaro {

// A pair of small arrow buttons. It reports only the direction of each click;
// a bound up-down also steps the whole number in its field within a range.
class Stepper : public QWidget {
    Q_OBJECT

public:
    explicit Stepper(QWidget* parent = nullptr);

    // Each click, and Up or Down in the field, sets the field to its number
    // plus or minus one, kept within minimum .. maximum; typing in the field
    // is not limited.
    void Bind(QLineEdit* field, int minimum, int maximum);

signals:
    void changing(nivaro::ScaleDirection direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace nivaro
