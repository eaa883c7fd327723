#include "SweepDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include "configuration/SettingKeys.h"

namespace nivaro {
namespace {

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SweepDialog::SweepDialog(const QString& folder, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Sweep"));
    setObjectName(QStringLiteral("sweepDialog"));
    keyBox_ = new QComboBox(this);
    keyBox_->setObjectName(QStringLiteral("sweepKeyBox"));
    for (const std::string_view key : SettingKeyNames()) {
        if (key.find("scale") == std::string_view::npos) {
            keyBox_->addItem(FromView(SettingCaption(key)));
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
            QStringLiteral("Animated GIF (*.gif);;MP4 video (*.mp4);;WebM video (*.webm)"), nullptr,
            QFileDialog::DontConfirmOverwrite);  // asked once the sweep is about to write it
        if (!chosen.isEmpty()) {
            fileField_->setText(chosen);
        }
    });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileField_, 1);
    fileRow->addWidget(browse);
    const auto withUnit = [this](QWidget* field, QLabel*& unit) {
        unit = new QLabel(this);
        auto* row = new QHBoxLayout;
        row->addWidget(field, 1);
        row->addWidget(unit);
        return row;
    };
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Setting:"), keyBox_);
    form->addRow(QStringLiteral("From:"), withUnit(fromField_, fromUnit_));
    form->addRow(QStringLiteral("To:"), withUnit(toField_, toUnit_));
    form->addRow(QStringLiteral("Frames:"), countBox_);
    form->addRow(QStringLiteral("Record:"), recordBox_);
    form->addRow(QStringLiteral("File:"), fileRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SweepDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SweepDialog::reject);
    form->addRow(buttons);
    countBox_->setToolTip(QStringLiteral("Number of frames: the values from From to To, evenly spaced."));
    recordBox_->setToolTip(QStringLiteral("What each frame shows: the 2D carpet or the 3D chart."));
    fileField_->setToolTip(QStringLiteral("The animation: an animated GIF, or an MP4 or WebM video (needs ffmpeg)."));
    browse->setToolTip(QStringLiteral("Choose the animation's file."));
    connect(keyBox_, &QComboBox::currentTextChanged, this, &SweepDialog::DescribeKey);
    DescribeKey();
}

// The unit of the values and the setting's meaning follow the setting chosen.
void SweepDialog::DescribeKey()
{
    const std::optional<std::string_view> key = SettingKeyOf(keyBox_->currentText().toStdString());
    const std::optional<SettingDescription> setting = key ? DescribeSetting(*key) : std::nullopt;
    const QString unit = setting && setting->unit != "1" ? FromView(setting->unit) : QString();
    const QString meaning = setting ? FromView(setting->meaning) : QString();
    const QString inUnit = unit.isEmpty() ? QString() : QStringLiteral(", in %1").arg(unit);
    keyBox_->setToolTip(QStringLiteral("The setting the sweep runs over: %1%2.").arg(meaning, inUnit));
    fromField_->setToolTip(QStringLiteral("The first frame's value%1.").arg(inUnit));
    toField_->setToolTip(QStringLiteral("The last frame's value%1.").arg(inUnit));
    fromUnit_->setText(unit);
    toUnit_->setText(unit);
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
