#include "ParameterPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <iterator>
#include <string_view>

#include "CarpetPage.h"
#include "Stepper.h"
#include "WindowTexts.h"
#include "configuration/SettingKeys.h"
#include "configuration/TransmissionFile.h"
#include "engine/SettingsValidation.h"
#include "platform/FileError.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

// One labelled field of a group from the grid's column on: caption, field,
// and a unit or stepper beside it.
void AddFieldRow(QGridLayout* grid, int row, const char* caption, QWidget* field, QWidget* side, int column = 0)
{
    auto* label = new QLabel(QString::fromLatin1(caption), field->parentWidget());
    label->setBuddy(field);
    grid->addWidget(label, row, column, Qt::AlignRight);
    grid->addWidget(field, row, column + 1);
    if (side != nullptr) {
        grid->addWidget(side, row, column + 2);
    }
}

// A line field of the group in the grid's row, with its caption and unit.
QLineEdit* AddLineField(QGroupBox* group, QGridLayout* grid, int row, const char* caption, const char* name,
                        const char* unit)
{
    auto* field = Named(new QLineEdit(group), name);
    AddFieldRow(grid, row, caption, field, new QLabel(QString::fromLatin1(unit), group));
    return field;
}

QGridLayout* CompactGrid(QGroupBox* group)
{
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 1, 4, 1);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    return grid;
}

// The panel scrolls in a low window: the wheel turns a choice, a number
// box or the pages only once it has the focus, and otherwise scrolls the
// panel past it.
class WheelScrollsPast final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel && !static_cast<QWidget*>(watched)->hasFocus()) {
            event->ignore();  // on to the panel's scroll area
            return true;
        }
        return false;
    }
};

QString PresetCaption(const ParticlePreset& preset)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(preset.name), Text(FloatToStr(preset.mass)));
}

}  // namespace

ParameterPanel::ParameterPanel(AxisScale& scaleX, AxisScale& scaleZ, AxisScale& scaleP, QWidget* parent)
    : QWidget(parent), xScale_{scaleX}, zScale_{scaleZ}, pScale_{scaleP}
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    layout->addWidget(BuildParameterGroup());
    layout->addWidget(BuildGridGroup());
    layout->addWidget(BuildModelGroup());
    layout->addWidget(BuildAxisGroup());
    layout->addWidget(BuildPages());
    layout->addStretch(1);
    ConnectControls();
    AddToolTips();
    ShowModel(WaveSettings{});
    auto* wheelGuard = new WheelScrollsPast(this);
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
            qobject_cast<QAbstractSlider*>(widget)) {
            widget->setFocusPolicy(Qt::StrongFocus);  // not by the wheel
            widget->installEventFilter(wheelGuard);
        } else if (qobject_cast<QTabBar*>(widget)) {
            widget->installEventFilter(wheelGuard);  // its focus comes by Tab alone
        }
    }
    // 192 pixels at 96 dpi, wider only when the font needs it to show the
    // neutron mass whole.
    setFixedWidth(std::max(192 * logicalDpiX() / 96, sizeHint().width()));
}

QGroupBox* ParameterPanel::BuildParameterGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Parameters:"), this), "parameterGroup");
    QGridLayout* grid = CompactGrid(group);
    const auto unit = [group](const char* text) { return new QLabel(QString::fromLatin1(text), group); };
    slitsField_ = Named(new QLineEdit(QStringLiteral("1"), group), "slitsField");
    slitsStepper_ = Named(new Stepper(group), "slitsStepper");
    massBox_ = Named(new QComboBox(group), "massBox");
    massBox_->setEditable(true);
    massBox_->setInsertPolicy(QComboBox::NoInsert);
    massBox_->setCompleter(nullptr);
    massBox_->setMinimumContentsLength(static_cast<int>(std::string_view("1.674927E-27").size()));
    massBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const ParticlePreset& preset : kParticlePresets) {
        massBox_->addItem(PresetCaption(preset));
    }
    massBox_->setEditText(QStringLiteral("9.1095E-31"));  // adding the first item showed its caption
    lambdaField_ = Named(new QLineEdit(QStringLiteral("1E-8"), group), "lambdaField");
    periodField_ = Named(new QLineEdit(QStringLiteral("1E-8"), group), "periodField");
    slitWidthField_ = Named(new QLineEdit(QStringLiteral("1E-8"), group), "slitWidthField");
    sigma0Field_ = Named(new QLineEdit(QStringLiteral("2E-9"), group), "sigma0Field");
    AddFieldRow(grid, 0, "slits:", slitsField_, slitsStepper_);
    AddFieldRow(grid, 1, "mass:", massBox_, unit("kg"));
    AddFieldRow(grid, 2, "lambda:", lambdaField_, unit("m"));
    AddFieldRow(grid, 3, "d:", periodField_, unit("m"));
    AddFieldRow(grid, 4, "slit width:", slitWidthField_, unit("m"));
    AddFieldRow(grid, 5, "sigma0:", sigma0Field_, unit("m"));
    applyButton_ = Named(new QPushButton(QStringLiteral("Apply"), group), "applyButton");
    sweepButton_ = Named(new QPushButton(QStringLiteral("Sweep..."), group), "sweepButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(applyButton_, 1);
    buttons->addWidget(sweepButton_, 1);
    grid->addLayout(buttons, 6, 0, 1, 3);
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
    QGridLayout* grid = CompactGrid(group);
    const auto addScale = [&](int row, const char* label, ScaleControl& control, const char* fieldName,
                              const char* stepperName) {
        control.field = Named(new QLineEdit(QStringLiteral("1:1"), group), fieldName);
        control.stepper = Named(new Stepper(group), stepperName);
        AddFieldRow(grid, row, label, control.field, control.stepper);
        control.field->installEventFilter(this);
    };
    addScale(0, "X-scale:", xScale_, "xScaleField", "xScaleStepper");
    addScale(1, "Z-scale:", zScale_, "zScaleField", "zScaleStepper");
    addScale(2, "P-scale:", pScale_, "pScaleField", "pScaleStepper");
    return group;
}

QGroupBox* ParameterPanel::BuildGridGroup()
{
    // Two short numbers a row, their units in the tooltips, so that the
    // panel fits the window's first size.
    auto* group = Named(new QGroupBox(QStringLiteral("Grid:"), this), "gridGroup");
    QGridLayout* grid = CompactGrid(group);
    grid->setColumnStretch(3, 1);
    const auto addField = [&](int row, int column, const char* caption, const char* name) {
        auto* field = Named(new QLineEdit(group), name);
        // As wide as the column leaves, not as a line field asks: the panel keeps its width.
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
        AddFieldRow(grid, row, caption, field, nullptr, column);
        return field;
    };
    nxField_ = addField(0, 0, "nx:", "nxField");
    nzField_ = addField(0, 2, "nz:", "nzField");
    nxbField_ = addField(1, 0, "nxb:", "nxbField");
    dxbField_ = addField(1, 2, "dxb:", "dxbField");
    stepField_ = addField(2, 0, "step:", "stepField");
    return group;
}

QGroupBox* ParameterPanel::BuildModelGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Model:"), this), "modelGroup");
    QGridLayout* grid = CompactGrid(group);
    const auto addChoice = [&](int row, const char* caption, const char* name, QStringList items) {
        auto* box = Named(new QComboBox(group), name);
        box->addItems(items);
        grid->addWidget(new QLabel(QString::fromLatin1(caption), group), row, 0, Qt::AlignRight);
        grid->addWidget(box, row, 1, 1, 2);
        return box;
    };
    modelBox_ = addChoice(0, "psi:", "modelBox", {QStringLiteral("slit sum"), QStringLiteral("wave")});
    gratingBox_ = addChoice(1, "grating:", "gratingBox",
                            {QStringLiteral("gaussian"), QStringLiteral("rectangular"), QStringLiteral("phase"),
                             QStringLiteral("file")});
    propagatorBox_ = addChoice(2, "propagator:", "propagatorBox", {QStringLiteral("paraxial"), QStringLiteral("exact")});
    gratingFileField_ = AddLineField(group, grid, 3, "file:", "gratingFileField", "");
    lambdaSpreadField_ = AddLineField(group, grid, 4, "spread:", "lambdaSpreadField", "rms");
    sourceWidthField_ = AddLineField(group, grid, 5, "source:", "sourceWidthField", "rad");
    coherenceSamplesField_ = AddLineField(group, grid, 6, "samples:", "coherenceSamplesField", "0: auto");
    paraxialWarning_ = Named(new QLabel(QStringLiteral("\u26a0 outside the paraxial regime"), group), "paraxialWarning");
    paraxialWarning_->setStyleSheet(QStringLiteral("color: #a04000"));
    paraxialWarning_->hide();
    grid->addWidget(paraxialWarning_, 7, 0, 1, 3);
    modelSummary_ = Named(new QLabel(group), "modelSummary");
    modelSummary_->setWordWrap(true);
    modelSummary_->hide();
    grid->addWidget(modelSummary_, 8, 0, 1, 3);
    modelGrid_ = grid;
    connect(modelBox_, &QComboBox::currentIndexChanged, this, &ParameterPanel::ShowModelRows);
    connect(gratingBox_, &QComboBox::currentIndexChanged, this, &ParameterPanel::ShowModelRows);
    return group;
}

// The grating's rows matter only to the wave model, the file's only to the
// file grating: a short panel without them fits a low window.
void ParameterPanel::ShowModelRows()
{
    const bool wave = modelBox_->currentIndex() == static_cast<int>(FieldModel::Wave);
    const bool file = gratingBox_->currentIndex() == static_cast<int>(GratingKind::File);
    const std::pair<int, bool> rows[] = {{1, wave}, {2, wave}, {3, wave && file}};
    for (int index = 0; index < modelGrid_->count(); ++index) {
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        modelGrid_->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        for (const auto& [shownRow, shown] : rows) {
            if (row == shownRow && modelGrid_->itemAt(index)->widget() != nullptr) {
                modelGrid_->itemAt(index)->widget()->setVisible(shown);
            }
        }
    }
}

void ParameterPanel::ShowModel(const WaveSettings& wave)
{
    modelBox_->setCurrentIndex(static_cast<int>(wave.model));
    gratingBox_->setCurrentIndex(static_cast<int>(wave.grating));
    propagatorBox_->setCurrentIndex(static_cast<int>(wave.propagator));
    gratingFileField_->setText(Text(wave.transmissionFile));
    lambdaSpreadField_->setText(Text(FloatToStr(wave.lambdaSpread)));
    sourceWidthField_->setText(Text(FloatToStr(wave.sourceWidth)));
    coherenceSamplesField_->setText(QString::number(wave.coherenceSamples));
    ShowModelRows();
}

void ParameterPanel::ShowModelSummary(const std::optional<std::string>& summary)
{
    modelSummary_->setVisible(summary.has_value());
    modelSummary_->setText(summary ? Text(*summary) : QString());
}

void ParameterPanel::ShowParaxialWarning(const std::optional<std::string>& warning)
{
    paraxialWarning_->setVisible(warning.has_value());
    paraxialWarning_->setToolTip(warning ? QStringLiteral("The computed carpet lies ") + Text(*warning) + QStringLiteral(".")
                                         : QString());
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
    surfaceContentBox_ = Named(new QComboBox(surfacePage), "surfaceContentBox");
    surfaceContentBox_->addItems({QStringLiteral("norm(PSI)"), QStringLiteral("quantum potential")});
    auto* surfaceLayout = new QVBoxLayout(surfacePage);
    surfaceLayout->setContentsMargins(2, 2, 2, 2);
    surfaceLayout->addWidget(showTrajectories3DBox_);
    auto* surfaceRow = new QHBoxLayout;
    surfaceRow->addWidget(new QLabel(QStringLiteral("Surface:"), surfacePage));
    surfaceRow->addWidget(surfaceContentBox_, 1);
    surfaceLayout->addLayout(surfaceRow);
    surfaceLayout->addStretch(1);

    carpetPage_ = Named(new CarpetPage, "carpetPage");

    const QString padding(9, QLatin1Char(' '));
    pages_->addTab(surfacePage, padding + QStringLiteral("3D") + padding);
    pages_->addTab(carpetPage_, padding + QStringLiteral("2D") + padding);
    pages_->setCurrentIndex(1);  // until start-up selects the 3D page
    return pages_;
}

void ParameterPanel::ConnectControls()
{
    connect(massBox_, qOverload<int>(&QComboBox::activated), this, &ParameterPanel::ApplyParticlePreset);
    // Every change the user makes counts, by mouse or by keyboard (Ctrl+Tab).
    connect(pages_, &QTabWidget::currentChanged, this, &ParameterPanel::pageChosen);
    connect(showTrajectories3DBox_, &QCheckBox::clicked, this, &ParameterPanel::delayedApplyWanted);
    connect(surfaceContentBox_, qOverload<int>(&QComboBox::activated), this, &ParameterPanel::surfaceContentChosen);
    slitsStepper_->Bind(slitsField_, 1, 100);
    for (ScaleControl* control : {&xScale_, &zScale_, &pScale_}) {
        connect(control->stepper, &Stepper::changing, this,
                [this, control](ScaleDirection direction) { StepScale(*control, direction); });
        connect(control->field, &QLineEdit::returnPressed, this, [this, control] {
            CommitScaleField(*control);
            applyButton_->click();
        });
    }
    connect(nxField_, &QLineEdit::textEdited, this, &ParameterPanel::FollowRows);
    massBox_->installEventFilter(this);
    for (QLineEdit* field : {slitsField_, lambdaField_, periodField_, slitWidthField_,
                             sigma0Field_, nxField_, nzField_, nxbField_, dxbField_, stepField_,
                             gratingFileField_, lambdaSpreadField_, sourceWidthField_, coherenceSamplesField_}) {
        connect(field, &QLineEdit::returnPressed, applyButton_, &QPushButton::click);
    }
}

void ParameterPanel::AddToolTips()
{
    const std::pair<QWidget*, const char*> tips[] = {
        {slitsField_, "Number of slits N of the grating (1 to 100)."},
        {massBox_, "Particle mass in kg; choose an electron or a neutron to set all fields for it. At a fixed "
                   "lambda the mass only sets the speed along z, so changing it alone leaves psi, the carpet "
                   "and the trajectories unchanged."},
        {lambdaField_, "de Broglie wavelength lambda in metres; with d it sets the Talbot length 2 d^2 / lambda."},
        {periodField_, "Grating period d in metres: the distance between neighbouring slits."},
        {slitWidthField_, "Slit width in metres. The packets start with width sigma0; the slit width only "
                          "selects the rows where trajectories start (inside a slit)."},
        {sigma0Field_, "Initial width sigma0 of the Gaussian packet leaving each slit, in metres."},
        {nxField_, "Grid rows across the beam (x), 0.2 nm apart before the X-scale."},
        {nzField_, "Grid columns along the beam (z), 0.2 nm apart before the Z-scale."},
        {nxbField_, "Trajectories start at rows below nxb (0 to nx rows); at half of nx it follows nx."},
        {dxbField_, "Rows between neighbouring trajectory starts on the carpet."},
        {stepField_, "Step length of the carpet's trajectory integration, in grid pixels."},
        {xScale_.field, "Magnification across the beam, as p:q (Enter or leaving the field applies)."},
        {zScale_.field, "Magnification along the beam, as p:q (Enter or leaving the field applies)."},
        {pScale_.field, "Height scale of the density, as p:q (Enter or leaving the field applies)."},
        {applyButton_, "Compute psi with these settings (Enter in any field does the same)."},
        {sweepButton_, "Run one setting over a range and record the carpets or charts as an animation."},
        {surfaceContentBox_, "Show the density or the quantum potential Q (in eV) as the surface."},
        {modelBox_, "Where psi comes from: the closed-form sum of Gaussian slits (paraxial), or the wave model, "
                    "which samples the field at the grating finely and propagates it by Fourier transforms."},
        {gratingFileField_, "The file grating's measured transmission: a .npy array of rows (x in m, t), float64 or "
                            "complex128, or a text table of x in m and t (or Re t and Im t) per line. The "
                            "samples are joined by lines; beyond them the grating is opaque."},
        {lambdaSpreadField_, "Relative rms spread of the wavelength (0 to 0.1): the density is averaged over a "
                             "Gaussian spread of lambda. 0: a single wavelength."},
        {sourceWidthField_, "Rms angle of incidence in rad (0 to 0.1), for a source of finite size: the density is "
                            "averaged over Gaussian tilts of the beam. 0: a plane wave along z."},
        {coherenceSamplesField_, "Quadrature points per spread (Gauss-Hermite, 1 to 64); 0 chooses as many as an "
                                 "average accurate to 1e-6 of the density needs. A partially coherent beam has a "
                                 "density but no single psi: its spectrum is the samples' power, and its fringe "
                                 "visibility opens in a small window (View > Fringe visibility)."},
        {gratingBox_, "The wave model's grating: Gaussian openings of width sigma0 (the slit sum's field), "
                      "openings of the slit width with soft edges (edge width in nivaro.ini, d/50 by default), "
                      "or a sinusoidal phase grating exp(i phase depth cos 2 pi x / d) over N periods."},
        {propagatorBox_, "The wave model's propagation: paraxial (Fresnel), or exact (every plane wave with its "
                         "own kz; those that cannot propagate are dropped)."},
    };
    for (const auto& [widget, tip] : tips) {
        widget->setToolTip(QString::fromUtf8(tip));
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

void ParameterPanel::ShowGrid(const GridSettings& grid)
{
    nxField_->setText(QString::number(grid.nx));
    nzField_->setText(QString::number(grid.nz));
    nxbField_->setText(QString::number(grid.nxb));
    rowsShown_ = grid.nx;
    dxbField_->setText(Text(FloatToStr(grid.dxb)));
    stepField_->setText(Text(FloatToStr(grid.step)));
    Carpet().ShowIntegrator(grid.integrator);
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
    GridSettings takenGrid = state.grid;
    try {
        taken.slits = StrToInt(Text(slitsField_));
        taken.mass = StrToFloat(massBox_->currentText().toStdString());
        taken.lambda = StrToFloat(Text(lambdaField_));
        taken.d = StrToFloat(Text(periodField_));
        taken.sigma0 = StrToFloat(Text(sigma0Field_));
        taken.slitWidth = StrToFloat(Text(slitWidthField_));
        takenGrid.nx = StrToInt(Text(nxField_));
        takenGrid.nz = StrToInt(Text(nzField_));
        takenGrid.nxb = StrToInt(Text(nxbField_));
        takenGrid.dxb = StrToFloat(Text(dxbField_));
        takenGrid.step = StrToFloat(Text(stepField_));
        taken.wave.model = static_cast<FieldModel>(modelBox_->currentIndex());
        taken.wave.grating = static_cast<GratingKind>(gratingBox_->currentIndex());
        taken.wave.propagator = static_cast<Propagator>(propagatorBox_->currentIndex());
        if (Text(gratingFileField_) != taken.wave.transmissionFile) {
            UseTransmissionFile(taken.wave, Text(gratingFileField_));
        }
        taken.wave.lambdaSpread = StrToFloat(Text(lambdaSpreadField_));
        taken.wave.sourceWidth = StrToFloat(Text(sourceWidthField_));
        taken.wave.coherenceSamples = StrToInt(Text(coherenceSamplesField_));
    } catch (const ConversionError& error) {
        return QString::fromUtf8(error.what());
    } catch (const FileError& error) {
        return QString::fromUtf8(error.what());
    }
    const SimulationParameters previous = state.parameters;
    const GridSettings previousGrid = state.grid;
    state.parameters = taken;
    state.grid = takenGrid;
    state.grid.DeriveDecimation();
    std::vector<SettingProblem> problems = FindUnusableSettings(state);
    if (const std::optional<SettingProblem> beyond = NxbBeyondRows(state.grid)) {
        problems.push_back(*beyond);
    }
    for (SettingProblem& problem : problems) {
        problem.key = SettingCaption(problem.key);  // as the field's caption says
    }
    if (!problems.empty()) {
        state.parameters = previous;
        state.grid = previousGrid;
        return QString::fromUtf8(UnusableSettingsError(problems).what());
    }
    return std::nullopt;
}

bool ParameterPanel::ShowsQuantumPotentialSurface() const
{
    return surfaceContentBox_->currentIndex() == 1;
}

bool ParameterPanel::ShowsTrajectories3D() const
{
    return showTrajectories3DBox_->isChecked();
}

void ParameterPanel::ShowSession(const WindowSession& session)
{
    SelectPage(session.carpetPage ? Page::Carpet : Page::Surface);
    showTrajectories3DBox_->setChecked(session.trajectories3D);
    surfaceContentBox_->setCurrentIndex(session.quantumPotentialSurface ? 1 : 0);
    carpetPage_->ShowSession(session);
}

void ParameterPanel::KeepSession(WindowSession& session) const
{
    session.carpetPage = CurrentPage() == Page::Carpet;
    session.trajectories3D = showTrajectories3DBox_->isChecked();
    session.quantumPotentialSurface = ShowsQuantumPotentialSurface();
    carpetPage_->KeepSession(session);
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

// nxb follows nx as the configuration and --set have it follow: while it
// is at half the rows it stays there; typed numbers are kept. Texts that
// are no number yet ("", "-") change nothing.
void ParameterPanel::FollowRows()
{
    const std::optional<int> rows = ParseWholeInteger(Text(nxField_));
    const std::optional<int> nxb = ParseWholeInteger(Text(nxbField_));
    if (!rows || *rows < 1) {
        return;
    }
    if (nxb) {
        GridSettings grid;
        grid.nx = rowsShown_;
        grid.nxb = *nxb;
        grid.SetRows(*rows);
        if (grid.nxb != *nxb) {
            nxbField_->setText(QString::number(grid.nxb));
        }
    }
    rowsShown_ = *rows;
}

void ParameterPanel::ApplyParticlePreset(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kParticlePresets))) {
        return;
    }
    const ParticlePreset& preset = kParticlePresets[index];
    massBox_->setEditText(Text(FloatToStr(preset.mass)));  // the value, not the caption
    lambdaField_->setText(Text(FloatToStr(preset.lambda)));
    periodField_->setText(Text(FloatToStr(preset.d)));
    slitWidthField_->setText(Text(FloatToStr(preset.slitWidth)));
    sigma0Field_->setText(Text(FloatToStr(preset.sigma0)));
    for (const auto& [text, control] : {std::pair{preset.scaleX, &xScale_}, std::pair{preset.scaleZ, &zScale_}}) {
        if (text != nullptr) {
            control->field->setText(QString::fromLatin1(text));
            CommitScaleField(*control);
        }
    }
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

// The mass box hands Enter to its line edit more than once; it is taken here.
bool ParameterPanel::ApplyOnMassEnter(QObject* watched, QEvent* event)
{
    if (watched != massBox_ || event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return false;
    }
    applyButton_->click();
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
    if (ApplyOnMassEnter(watched, event)) {
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
