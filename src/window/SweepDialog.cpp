#include "SweepDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include "configuration/SettingKeys.h"

namespace nivaro {

SweepDialog::SweepDialog(const QString& folder, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Sweep"));
    setObjectName(QStringLiteral("sweepDialog"));
    keyBox_ = new QComboBox(this);
    keyBox_->setObjectName(QStringLiteral("sweepKeyBox"));
    for (const std::string_view key : SettingKeyNames()) {
        if (key.find("scale") == std::string_view::npos) {
            const std::string_view caption = SettingCaption(key);
            keyBox_->addItem(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        }
    }
    keyBox_->setCurrentText(QStringLiteral("z0"));
    fromField_ = new QLineEdit(QStringLiteral("0"), this);
    toField_ = new QLineEdit(QStringLiteral("1"), this);
    countBox_ = new QSpinBox(this);
    countBox_->setRange(1, 100000);
    countBox_->setValue(20);
    recordBox_ = new QComboBox(this);
    recordBox_->addItems({QStringLiteral("carpet"), QStringLiteral("chart")});
    fileField_ = new QLineEdit(folder + QStringLiteral("sweep.gif"), this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getSaveFileName(
            this, QStringLiteral("Animation"), fileField_->text(),
            QStringLiteral("Animated GIF (*.gif);;MP4 video (*.mp4);;WebM video (*.webm)"));
        if (!chosen.isEmpty()) {
            fileField_->setText(chosen);
        }
    });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileField_, 1);
    fileRow->addWidget(browse);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Setting:"), keyBox_);
    form->addRow(QStringLiteral("From:"), fromField_);
    form->addRow(QStringLiteral("To:"), toField_);
    form->addRow(QStringLiteral("Frames:"), countBox_);
    form->addRow(QStringLiteral("Record:"), recordBox_);
    form->addRow(QStringLiteral("File:"), fileRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SweepDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SweepDialog::reject);
    form->addRow(buttons);
}

std::optional<SweepRequest> SweepDialog::Request(QString& why) const
{
    try {
        SweepRequest request;
        request.axis = ParseSweepAxis(QStringLiteral("%1=%2:%3:%4")
                                          .arg(keyBox_->currentText(), fromField_->text().trimmed(),
                                               toField_->text().trimmed())
                                          .arg(countBox_->value())
                                          .toStdString());
        request.recordChart = recordBox_->currentIndex() == 1;
        request.file = fileField_->text().trimmed();
        if (request.file.isEmpty()) {
            why = QStringLiteral("Give the file the animation is written to.");
            return std::nullopt;
        }
        return request;
    } catch (const SweepError& error) {
        why = QString::fromUtf8(error.what()).replace(QStringLiteral("--sweep needs"), QStringLiteral("The sweep needs"));
        return std::nullopt;
    }
}

void SweepDialog::accept()
{
    QString why;
    if (!Request(why)) {
        QMessageBox::warning(this, QStringLiteral("Sweep"), why);
        return;
    }
    QDialog::accept();
}

}  // namespace nivaro
