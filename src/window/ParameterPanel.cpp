#include "ParameterPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "Stepper.h"
#include "WindowTexts.h"
#include "carpet/DataFile.h"
#include "engine/SettingsValidation.h"
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

ParameterPanel::ParameterPanel(AxisScale& scaleX, AxisScale& scaleZ, AxisScale& scaleP, QWidget* parent)
    : QWidget(parent), xScale_{scaleX}, zScale_{scaleZ}, pScale_{scaleP}
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 7, 6, 7);
    layout->addWidget(BuildParameterGroup());
    layout->addWidget(BuildAxisGroup());
    layout->addWidget(BuildPages());
    layout->addStretch(1);
    ConnectControls();
    // 192 pixels at 96 dpi, wider only when the font needs it to show the
    // neutron mass whole.
    setFixedWidth(std::max(192 * logicalDpiX() / 96, sizeHint().width()));
}

QGroupBox* ParameterPanel::BuildParameterGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Parameters:"), this), "parameterGroup");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
    const auto addRow = [&](int row, const char* label, QWidget* field, QWidget* side) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), group), row, 0, Qt::AlignRight);
        grid->addWidget(field, row, 1);
        if (side != nullptr) {
            grid->addWidget(side, row, 2);
        }
    };
    const auto unit = [group](const char* text) { return new QLabel(QString::fromLatin1(text), group); };
    slitsField_ = Named(new QLineEdit(QStringLiteral("1"), group), "slitsField");
    slitsStepper_ = Named(new Stepper(group), "slitsStepper");
    massBox_ = Named(new QComboBox(group), "massBox");
    massBox_->setEditable(true);
    massBox_->setInsertPolicy(QComboBox::NoInsert);
    massBox_->setEditText(QStringLiteral("9.1095E-31"));
    massBox_->setMinimumContentsLength(static_cast<int>(std::string_view("1.674927E-27").size()));
    massBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const ParticlePreset& preset : kParticlePresets) {
        massBox_->addItem(Text(FloatToStr(preset.mass)));
    }
    lambdaField_ = Named(new QLineEdit(QStringLiteral("1E-8"), group), "lambdaField");
    periodField_ = Named(new QLineEdit(QStringLiteral("1E-8"), group), "periodField");
    slitWidthField_ = Named(new QLineEdit(QStringLiteral("1E-8"), group), "slitWidthField");
    sigma0Field_ = Named(new QLineEdit(QStringLiteral("2E-9"), group), "sigma0Field");
    addRow(0, "slits:", slitsField_, slitsStepper_);
    addRow(1, "mass:", massBox_, unit("kg"));
    addRow(2, "lambda:", lambdaField_, unit("m"));
    addRow(3, "d:", periodField_, unit("m"));
    addRow(4, "slit width:", slitWidthField_, unit("m"));
    addRow(5, "sigma0:", sigma0Field_, unit("m"));
    applyButton_ = Named(new QPushButton(QStringLiteral("Apply"), group), "applyButton");
    grid->addWidget(applyButton_, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    setTabOrder(applyButton_, slitsField_);
    setTabOrder(slitsField_, massBox_);
    setTabOrder(massBox_, lambdaField_);
    setTabOrder(lambdaField_, periodField_);
    setTabOrder(periodField_, slitWidthField_);
    setTabOrder(slitWidthField_, sigma0Field_);
    return group;
}

QGroupBox* ParameterPanel::BuildAxisGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Axis:"), this), "axisGroup");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
    const auto addScale = [&](int row, const char* label, ScaleControl& control, const char* fieldName,
                              const char* stepperName) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), group), row, 0, Qt::AlignRight);
        control.field = Named(new QLineEdit(QStringLiteral("1:1"), group), fieldName);
        control.stepper = Named(new Stepper(group), stepperName);
        grid->addWidget(control.field, row, 1);
        grid->addWidget(control.stepper, row, 2);
        control.field->installEventFilter(this);
    };
    addScale(0, "X-scale:", xScale_, "xScaleField", "xScaleStepper");
    addScale(1, "Z-scale:", zScale_, "zScaleField", "zScaleStepper");
    addScale(2, "P-scale:", pScale_, "pScaleField", "pScaleStepper");
    grid->setColumnStretch(1, 1);
    return group;
}

QTabWidget* ParameterPanel::BuildPages()
{
    pages_ = Named(new QTabWidget(this), "pages");
    pages_->setUsesScrollButtons(false);
    pages_->setElideMode(Qt::ElideNone);
    // The padded captions fit the narrow panel only with slim tabs.
    pages_->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 0px; }"));
    auto* surfacePage = Named(new QWidget, "surfacePage");
    showTrajectories3DBox_ = Named(new QCheckBox(QStringLiteral("Show trajectories:"), surfacePage), "showTrajectories3DBox");
    auto* surfaceLayout = new QVBoxLayout(surfacePage);
    surfaceLayout->addWidget(showTrajectories3DBox_);
    surfaceLayout->addStretch(1);

    auto* carpetPage = Named(new QWidget, "carpetPage");
    showTrajectoriesBox_ = Named(new QCheckBox(QStringLiteral("Show trajectories:"), carpetPage), "showTrajectoriesBox");
    showTrajectoriesBox_->setChecked(true);
    useDataFileBox_ = Named(new QCheckBox(QStringLiteral("Use DAT-file:"), carpetPage), "useDataFileBox");
    contrastField_ = Named(new QLineEdit(QStringLiteral("1"), carpetPage), "contrastField");
    contrastStepper_ = Named(new Stepper(carpetPage), "contrastStepper");
    highlightColourBox_ = Named(new QComboBox(carpetPage), "highlightColourBox");
    carpetApplyButton_ = Named(new QPushButton(QStringLiteral("Apply"), carpetPage), "carpetApplyButton");
    auto* carpetLayout = new QGridLayout(carpetPage);
    carpetLayout->addWidget(showTrajectoriesBox_, 0, 0, 1, 3);
    carpetLayout->addWidget(useDataFileBox_, 1, 0, 1, 3);
    carpetLayout->addWidget(Named(new QLabel(QStringLiteral("Contrast:"), carpetPage), "contrastCaption"), 2, 0);
    carpetLayout->addWidget(contrastField_, 2, 1);
    carpetLayout->addWidget(contrastStepper_, 2, 2);
    carpetLayout->addWidget(Named(new QLabel(QStringLiteral("Change color:"), carpetPage), "highlightColourCaption"), 3,
                            0, 1, 3);
    carpetLayout->addWidget(highlightColourBox_, 4, 0, 1, 3);
    carpetLayout->addWidget(carpetApplyButton_, 5, 0, 1, 3);
    carpetLayout->setRowStretch(6, 1);
    FillHighlightColours();

    const QString padding(9, QLatin1Char(' '));
    pages_->addTab(surfacePage, padding + QStringLiteral("3D") + padding);
    pages_->addTab(carpetPage, padding + QStringLiteral("2D") + padding);
    pages_->setCurrentIndex(1);  // until start-up selects the 3D page
    return pages_;
}

void ParameterPanel::FillHighlightColours()
{
    for (const NamedColour& entry : kCarpetColours) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(entry.colour & 0xFF, (entry.colour >> 8) & 0xFF, (entry.colour >> 16) & 0xFF));
        highlightColourBox_->addItem(QIcon(swatch), QString::fromLatin1(entry.name), QVariant::fromValue(entry.colour));
    }
    highlightColourBox_->setCurrentText(QStringLiteral("Blue"));
}

void ParameterPanel::ConnectControls()
{
    connect(massBox_, qOverload<int>(&QComboBox::activated), this, &ParameterPanel::ApplyParticlePreset);
    // Every change the user makes counts, by mouse or by keyboard (Ctrl+Tab).
    connect(pages_, &QTabWidget::currentChanged, this, &ParameterPanel::pageChosen);
    connect(showTrajectories3DBox_, &QCheckBox::clicked, this, &ParameterPanel::delayedApplyWanted);
    for (QCheckBox* box : {showTrajectoriesBox_, useDataFileBox_}) {
        connect(box, &QCheckBox::clicked, carpetApplyButton_, &QPushButton::click);
    }
    connect(contrastField_, &QLineEdit::textChanged, this, &ParameterPanel::TakeContrast);
    slitsField_->installEventFilter(this);
    contrastField_->installEventFilter(this);
    slitsStepper_->Bind(slitsField_, 1, 100);
    contrastStepper_->Bind(contrastField_, kLowestContrast, kHighestContrast);
    for (ScaleControl* control : {&xScale_, &zScale_, &pScale_}) {
        connect(control->stepper, &Stepper::changing, this,
                [this, control](ScaleDirection direction) { StepScale(*control, direction); });
    }
}

void ParameterPanel::ShowTexts(const PanelTexts& texts)
{
    slitsField_->setText(Text(texts.slits));
    massBox_->setEditText(Text(texts.mass));
    lambdaField_->setText(Text(texts.lambda));
    periodField_->setText(Text(texts.d));
    slitWidthField_->setText(Text(texts.slitWidth));
    sigma0Field_->setText(Text(texts.sigma0));
    xScale_.field->setText(Text(texts.scaleX));
    zScale_.field->setText(Text(texts.scaleZ));
    pScale_.field->setText(Text(texts.scaleP));
}

PanelTexts ParameterPanel::Texts() const
{
    return {Text(slitsField_),      massBox_->currentText().toStdString(), Text(lambdaField_),
            Text(periodField_),     Text(slitWidthField_),                 Text(sigma0Field_),
            Text(xScale_.field),    Text(zScale_.field),                   Text(pScale_.field)};
}

std::optional<QString> ParameterPanel::TakeOverParameters(SimulationState& state) const
{
    SimulationParameters taken = state.parameters;
    try {
        taken.slits = StrToInt(Text(slitsField_));
        taken.mass = StrToFloat(massBox_->currentText().toStdString());
        taken.lambda = StrToFloat(Text(lambdaField_));
        taken.d = StrToFloat(Text(periodField_));
        taken.sigma0 = StrToFloat(Text(sigma0Field_));
        taken.slitWidth = StrToFloat(Text(slitWidthField_));
    } catch (const ConversionError& error) {
        return QString::fromUtf8(error.what());
    }
    const SimulationParameters previous = state.parameters;
    state.parameters = taken;
    const std::vector<SettingProblem> problems = FindUnusableSettings(state);
    if (!problems.empty()) {
        state.parameters = previous;
        return QString::fromUtf8(UnusableSettingsError(problems).what());
    }
    return std::nullopt;
}

CarpetOptions ParameterPanel::CarpetSettings() const
{
    CarpetOptions options;
    options.contrast = contrast_;
    options.showTrajectories = showTrajectoriesBox_->isChecked();
    if (useDataFileBox_->isChecked()) {
        options.dataFile = kDataFileName;
    }
    return options;
}

bool ParameterPanel::ShowsTrajectories3D() const
{
    return showTrajectories3DBox_->isChecked();
}

Rgb ParameterPanel::HighlightColour() const
{
    return highlightColourBox_->currentData().value<Rgb>();
}

ParameterPanel::Page ParameterPanel::CurrentPage() const
{
    return pages_->currentIndex() == 0 ? Page::Surface : Page::Carpet;
}

// The window's own page changes are followed by its own calls, so they are
// not announced as the user's.
void ParameterPanel::SelectPage(Page page)
{
    const QSignalBlocker quiet(pages_);
    pages_->setCurrentIndex(page == Page::Surface ? 0 : 1);
}

void ParameterPanel::ApplyParticlePreset(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kParticlePresets))) {
        return;
    }
    const ParticlePreset& preset = kParticlePresets[index];
    lambdaField_->setText(Text(FloatToStr(preset.lambda)));
    periodField_->setText(Text(FloatToStr(preset.d)));
    slitWidthField_->setText(Text(FloatToStr(preset.slitWidth)));
    sigma0Field_->setText(Text(FloatToStr(preset.sigma0)));
}

// A scale field is read when it loses the focus. It always shows the scale
// in effect: a text that does not parse is refused, and only a scale that
// changed recomputes (the focus also leaves the field when a computation
// disables the panel).
void ParameterPanel::CommitScaleField(ScaleControl& control)
{
    const std::string typed = Text(control.field);
    const double previous = control.scale.Factor();
    const bool parsed = control.scale.Parse(typed);
    control.field->setText(Text(control.scale.Text()));
    if (!parsed) {
        emit refused(QStringLiteral("'%1' is not a scale; type a ratio such as 3:1 or 1:2.").arg(Text(typed)));
    } else if (control.scale.Factor() != previous) {
        emit delayedApplyWanted();
    }
}

// While the contrast is being typed ("", "-") nothing happens; a whole number
// is kept within 0 .. 5 and redraws the carpet.
void ParameterPanel::TakeContrast()
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
    QMetaObject::invokeMethod(carpetApplyButton_, &QPushButton::click, Qt::QueuedConnection);
}

// Up and down in the slits and contrast fields step them like their arrows.
bool ParameterPanel::StepWithArrowKeys(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        return false;
    }
    Stepper* stepper = watched == slitsField_ ? slitsStepper_ : watched == contrastField_ ? contrastStepper_ : nullptr;
    if (stepper == nullptr) {
        return false;
    }
    emit stepper->changing(key == Qt::Key_Up ? ScaleDirection::Up : ScaleDirection::Down);
    return true;
}

void ParameterPanel::StepScale(ScaleControl& control, ScaleDirection direction)
{
    if (direction == ScaleDirection::None) {
        return;
    }
    control.scale.Step(direction);
    control.field->setText(Text(control.scale.Text()));
    emit delayedApplyWanted();
}

bool ParameterPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (StepWithArrowKeys(watched, event)) {
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        for (ScaleControl* control : {&xScale_, &zScale_, &pScale_}) {
            if (watched == control->field) {
                CommitScaleField(*control);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace nivaro
