#pragma once

#include <QDialog>
#include <QString>

#include "configuration/SweepPlan.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace nivaro {

// What the window's sweep runs: one setting over a range, recorded as the
// carpet or the chart, into an animation file.
struct SweepRequest {
    SweepAxis axis;
    bool recordChart = false;
    QString file;
};

// The small dialog that asks for a sweep: key, from, to (in the key's
// unit), count, what to record and the file. OK is taken only when the
// fields make a sweep.
class SweepDialog final : public QDialog {
    Q_OBJECT

public:
    SweepDialog(const QString& folder, QWidget* parent = nullptr);

    // The request the fields make, or why they make none.
    std::optional<SweepRequest> Request(QString& why) const;

    void accept() override;

private:
    void DescribeKey();

    QComboBox* keyBox_ = nullptr;
    QLineEdit* fromField_ = nullptr;
    QLineEdit* toField_ = nullptr;
    QLabel* fromUnit_ = nullptr;
    QLabel* toUnit_ = nullptr;
    QSpinBox* countBox_ = nullptr;
    QComboBox* recordBox_ = nullptr;
    QLineEdit* fileField_ = nullptr;
};

}  // namespace nivaro
