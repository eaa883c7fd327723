#include "CarpetPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <algorithm>
#include <climits>
#include <initializer_list>
#include <utility>

#include "Stepper.h"
#include "WindowTexts.h"
#include "carpet/DataFile.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

struct NamedColour {
    const char* name;
    Rgb colour;
};

// The standard colours without silver and gray.
constexpr NamedColour kCarpetColours[] = {
    {"Black", RgbColor(0, 0, 0)},       {"Maroon", RgbColor(128, 0, 0)},   {"Green", RgbColor(0, 128, 0)},
    {"Olive", RgbColor(128, 128, 0)},   {"Navy", RgbColor(0, 0, 128)},     {"Purple", RgbColor(128, 0, 128)},
    {"Teal", RgbColor(0, 128, 128)},    {"Red", RgbColor(255, 0, 0)},      {"Lime", RgbColor(0, 255, 0)},
    {"Yellow", RgbColor(255, 255, 0)},  {"Blue", RgbColor(0, 0, 255)},     {"Fuchsia", RgbColor(255, 0, 255)},
    {"Aqua", RgbColor(0, 255, 255)},    {"White", RgbColor(255, 255, 255)},
};

constexpr int kLowestContrast = 0;
constexpr int kHighestContrast = 5;

}  // namespace

CarpetPage::CarpetPage(QWidget* parent) : QWidget(parent)
{
    showTrajectoriesBox_ = Named(new QCheckBox(QStringLiteral("Show trajectories:"), this), "showTrajectoriesBox");
    showTrajectoriesBox_->setChecked(true);
    useDataFileBox_ = Named(new QCheckBox(QStringLiteral("Use DAT-file:"), this), "useDataFileBox");
    contrastField_ = Named(new QLineEdit(QStringLiteral("1"), this), "contrastField");
    contrastStepper_ = Named(new Stepper(this), "contrastStepper");
    highlightColourBox_ = Named(new QComboBox(this), "highlightColourBox");
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setVerticalSpacing(2);
    layout->addWidget(showTrajectoriesBox_, 0, 0, 1, 3);
    layout->addWidget(useDataFileBox_, 1, 0, 1, 3);
    layout->addWidget(Named(new QLabel(QStringLiteral("Contrast:"), this), "contrastCaption"), 2, 0, Qt::AlignRight);
    layout->addWidget(contrastField_, 2, 1);
    layout->addWidget(contrastStepper_, 2, 2);
    layout->addWidget(Named(new QLabel(QStringLiteral("Change color:"), this), "highlightColourCaption"), 3, 0,
                      Qt::AlignRight);
    layout->addWidget(highlightColourBox_, 3, 1, 1, 2);
    AddEnsembleControls(layout, 4);
    FillHighlightColours();
    ConnectControls();
    AddToolTips();
    ShowEnsembleFields();
}

void CarpetPage::AddEnsembleControls(QGridLayout* layout, int firstRow)
{
    integratorBox_ = Named(new QComboBox(this), "integratorBox");
    integratorBox_->addItems({QStringLiteral("Euler steps"), QStringLiteral("adaptive")});
    contentBox_ = Named(new QComboBox(this), "carpetContentBox");
    contentBox_->addItems({QStringLiteral("norm(PSI)"), QStringLiteral("quantum potential")});
    startModeBox_ = Named(new QComboBox(this), "startModeBox");
    startModeBox_->addItems({QStringLiteral("regular"), QStringLiteral("sampled from |psi|\u00b2")});
    ensembleSizeField_ = Named(new QLineEdit(QString::number(EnsembleSettings{}.count), this), "ensembleSizeField");
    seedField_ = Named(new QLineEdit(QString::number(EnsembleSettings{}.seed), this), "seedField");
    pathsBox_ = Named(new QComboBox(this), "pathsBox");
    pathsBox_->addItems({QStringLiteral("over the carpet"), QStringLiteral("alone")});
    binsField_ = Named(new QLineEdit(QString::number(kDefaultHistogramBins), this), "binsField");
    histogramColumnField_ = Named(new QLineEdit(this), "histogramColumnField");
    histogramColumnField_->setPlaceholderText(QStringLiteral("last"));
    int row = firstRow;
    for (const auto& [caption, field] : std::initializer_list<std::pair<const char*, QWidget*>>{
             {"Paths by:", integratorBox_},
             {"Show:", contentBox_},
             {"Starts:", startModeBox_},
             {"K:", ensembleSizeField_},
             {"seed:", seedField_},
             {"Paths:", pathsBox_},
             {"bins:", binsField_},
             {"column:", histogramColumnField_}}) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        layout->addWidget(label, row, 0, Qt::AlignRight);
        layout->addWidget(field, row++, 1, 1, 2);
        if (row - firstRow > 3) {
            ensembleRows_.insert(ensembleRows_.end(), {label, field});
        }
    }
    layout->setRowStretch(row, 1);
}

void CarpetPage::ShowEnsembleFields()
{
    for (QWidget* widget : ensembleRows_) {
        widget->setVisible(SamplesStarts());
    }
}

void CarpetPage::FillHighlightColours()
{
    for (const NamedColour& entry : kCarpetColours) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(entry.colour & 0xFF, (entry.colour >> 8) & 0xFF, (entry.colour >> 16) & 0xFF));
        highlightColourBox_->addItem(QIcon(swatch), QString::fromLatin1(entry.name), QVariant::fromValue(entry.colour));
    }
    highlightColourBox_->setCurrentText(QStringLiteral("Blue"));
}

void CarpetPage::ConnectControls()
{
    for (QCheckBox* box : {showTrajectoriesBox_, useDataFileBox_}) {
        connect(box, &QCheckBox::clicked, this, &CarpetPage::redrawWanted);
    }
    connect(contrastField_, &QLineEdit::textChanged, this, &CarpetPage::TakeContrast);
    connect(startModeBox_, &QComboBox::currentIndexChanged, this, &CarpetPage::ShowEnsembleFields);
    for (QComboBox* box : {integratorBox_, contentBox_, startModeBox_, pathsBox_}) {
        connect(box, qOverload<int>(&QComboBox::activated), this, &CarpetPage::redrawWanted);
    }
    for (QLineEdit* field : {ensembleSizeField_, seedField_, binsField_, histogramColumnField_}) {
        connect(field, &QLineEdit::returnPressed, this, &CarpetPage::redrawWanted);
    }
    contrastStepper_->Bind(contrastField_, kLowestContrast, kHighestContrast);
}

void CarpetPage::AddToolTips()
{
    const std::pair<QWidget*, const char*> tips[] = {
        {contrastField_, "Square roots taken of the density on the carpet (0 to 5): higher shows faint fringes."},
        {highlightColourBox_, "Colour of a trajectory clicked on the carpet."},
        {integratorBox_, "How the regular paths of the carpet and the 3D view are integrated: fixed steps of the "
                         "step length along the path (fast; off by up to a pixel or two far from the grating), or "
                         "adaptive steps that keep each step within the configured tolerance (1e-6 pixels by "
                         "default). Sampled ensembles always take adaptive steps."},
        {contentBox_, "Show the density or the quantum potential Q (in eV, blue below and red above zero) "
                      "on the carpet."},
        {startModeBox_, "Trajectories from evenly spaced starts, or an ensemble whose starts are drawn from "
                        "|psi|\u00b2 at the first column."},
        {ensembleSizeField_, "Number K of sampled trajectories (1 to 1000000)."},
        {seedField_, "Seed of the sampling: the same seed gives the same starts and paths."},
        {pathsBox_, "Draw the sampled paths as translucent lines over the carpet, or alone."},
        {binsField_, "Bins of the ensemble's histogram over the occupied x range."},
        {histogramColumnField_, "Column where the ensemble's histogram is compared with |psi|\u00b2 (empty: the "
                                "last); Shift+click on the carpet picks it."},
    };
    for (const auto& [widget, tip] : tips) {
        widget->setToolTip(QString::fromUtf8(tip));
    }
}

CarpetOptions CarpetPage::CarpetSettings() const
{
    CarpetOptions options;
    options.contrast = contrast_;
    options.showTrajectories = showTrajectoriesBox_->isChecked();
    if (useDataFileBox_->isChecked()) {
        options.dataFile = kDataFileName;
    }
    return options;
}

std::optional<QString> CarpetPage::TakeEnsembleChoices(EnsembleChoices& choices) const
{
    const auto whole = [](const QLineEdit* field, long long lowest, long long highest) -> std::optional<long long> {
        bool read = false;
        const long long value = field->text().trimmed().toLongLong(&read);
        return read && value >= lowest && value <= highest ? std::optional<long long>(value) : std::nullopt;
    };
    const auto refusal = [](const char* what, const QLineEdit* field, const char* range) {
        return QStringLiteral("%1=%2: must be a whole number %3").arg(QString::fromLatin1(what), field->text(), QString::fromLatin1(range));
    };
    const std::optional<long long> count = whole(ensembleSizeField_, 1, kLargestEnsemble);
    if (!count) {
        return refusal("K", ensembleSizeField_, "from 1 to 1000000");
    }
    bool seedRead = false;
    const qulonglong seed = seedField_->text().trimmed().toULongLong(&seedRead);
    if (!seedRead) {
        return refusal("seed", seedField_, "from 0 to 18446744073709551615");
    }
    const std::optional<long long> bins = whole(binsField_, 1, kMostHistogramBins);
    if (!bins) {
        return refusal("bins", binsField_, "from 1 to 10000");
    }
    std::optional<int> column;
    if (!histogramColumnField_->text().trimmed().isEmpty()) {
        const std::optional<long long> typed = whole(histogramColumnField_, 0, INT_MAX);
        if (!typed) {
            return refusal("column", histogramColumnField_, "from 0 to nz - 1, or empty for the last");
        }
        column = static_cast<int>(*typed);
    }
    choices = {SamplesStarts(), {static_cast<int>(*count), seed}, pathsBox_->currentIndex() == 1,
               static_cast<int>(*bins), column};
    return std::nullopt;
}

void CarpetPage::SetHistogramColumn(int column)
{
    histogramColumnField_->setText(QString::number(column));
}

Integrator CarpetPage::ChosenIntegrator() const
{
    return integratorBox_->currentIndex() == 1 ? Integrator::Adaptive : Integrator::Euler;
}

void CarpetPage::ShowIntegrator(Integrator integrator)
{
    integratorBox_->setCurrentIndex(integrator == Integrator::Adaptive ? 1 : 0);
}

bool CarpetPage::ShowsQuantumPotential() const
{
    return contentBox_->currentIndex() == 1;
}

bool CarpetPage::SamplesStarts() const
{
    return startModeBox_->currentIndex() == 1;
}

Rgb CarpetPage::HighlightColour() const
{
    return highlightColourBox_->currentData().value<Rgb>();
}

void CarpetPage::ShowSession(const WindowSession& session)
{
    showTrajectoriesBox_->setChecked(session.trajectories);
    useDataFileBox_->setChecked(session.dataFile);
    const QSignalBlocker quiet(contrastField_);  // no redraw before the first computation
    contrast_ = std::clamp(session.contrast, kLowestContrast, kHighestContrast);
    contrastField_->setText(QString::number(contrast_));
    contentBox_->setCurrentIndex(session.quantumPotentialCarpet ? 1 : 0);
    startModeBox_->setCurrentIndex(session.sampledStarts ? 1 : 0);
    const int colour = highlightColourBox_->findText(Text(session.trajectoryColour));
    if (colour >= 0) {
        highlightColourBox_->setCurrentIndex(colour);
    }
}

void CarpetPage::KeepSession(WindowSession& session) const
{
    session.trajectories = showTrajectoriesBox_->isChecked();
    session.dataFile = useDataFileBox_->isChecked();
    session.contrast = contrast_;
    session.quantumPotentialCarpet = ShowsQuantumPotential();
    session.sampledStarts = SamplesStarts();
    session.trajectoryColour = highlightColourBox_->currentText().toStdString();
}

// While the contrast is being typed ("", "-") nothing happens; a whole number
// is kept within 0 .. 5 and redraws the carpet.
void CarpetPage::TakeContrast()
{
    const std::optional<int> typed = ParseWholeInteger(Text(contrastField_));
    if (!typed) {
        return;
    }
    contrast_ = std::clamp(*typed, kLowestContrast, kHighestContrast);
    if (contrast_ != *typed) {
        contrastField_->setText(QString::number(contrast_));
        return;  // the corrected text comes back here
    }
    QMetaObject::invokeMethod(this, &CarpetPage::redrawWanted, Qt::QueuedConnection);
}

}  // namespace nivaro
