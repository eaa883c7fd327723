#include "MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ChartHost.h"
#include "WindowTexts.h"
#include "Stepper.h"
#include "UserDialogs.h"
#include "ProgressView.h"
#include "configuration/Configuration.h"
#include "engine/PhysicalConstants.h"
#include "platform/FileError.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

constexpr int kDelayedApplyMilliseconds = 1000;

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

template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

MainWindow::MainWindow(SimulationState& state, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), progress_()
{
    setObjectName(QStringLiteral("MainWindow"));
    setFocusPolicy(Qt::StrongFocus);
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    resize(1032, 796);

    BuildViews();
    BuildPanel();
    statusPanel_ = Named(new QWidget(this), "statusPanel");
    statusPanel_->setFixedHeight(29);
    statusLine_ = Named(new QLabel(statusPanel_), "statusLine");
    statusLine_->setAlignment(Qt::AlignCenter);
    progress_ = std::make_unique<ProgressView>(*progressBar_, *progressCaption_, *statusLine_);
    auto* statusLayout = new QHBoxLayout(statusPanel_);
    statusLayout->setContentsMargins(2, 2, 2, 2);
    statusLayout->addWidget(statusLine_);

    auto* clientArea = new QWidget(this);
    auto* views = new QGridLayout(clientArea);
    views->setContentsMargins(0, 0, 0, 0);
    views->addWidget(progressView_, 0, 0);
    views->addWidget(chartView_, 0, 0);
    views->addWidget(carpetScroll_, 0, 0);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(clientArea, 1);
    top->addWidget(controlPanel_);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addLayout(top, 1);
    root->addWidget(statusPanel_);

    delayedApplyTimer_ = Named(new QTimer(this), "delayedApplyTimer");
    delayedApplyTimer_->setInterval(kDelayedApplyMilliseconds);

    rotateTool_.PenColor = RgbColor(255, 255, 255);
    rotateTool_.ScheduleTick = [this] { QTimer::singleShot(1, this, [this] { rotateTool_.TimerTick(chart_); }); };
    chart_.AddTool(rotateTool_);
    SetView(ViewMode::Chart);
    ConnectHandlers();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildViews()
{
    progressView_ = new QWidget(this);
    progressCaption_ = Named(new QLabel(QStringLiteral("Loading..."), progressView_), "progressCaption");
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    progressCaption_->setFont(big);
    progressCaption_->setAlignment(Qt::AlignCenter);
    progressBar_ = Named(new QProgressBar(progressView_), "progressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setFixedHeight(20);
    auto* layout = new QVBoxLayout(progressView_);
    layout->setContentsMargins(48, 0, 48, 0);
    layout->addStretch(363);
    layout->addWidget(progressCaption_);
    layout->addSpacing(48);
    layout->addWidget(progressBar_);
    layout->addStretch(300);

    chartView_ = Named(new ChartHost(chart_, rotateTool_, this), "chartView");
    chartView_->setContextMenuPolicy(Qt::CustomContextMenu);
    chartMenu_ = Named(new QMenu(this), "chartMenu");

    carpetScroll_ = Named(new QScrollArea(this), "carpetScroll");
    carpetScroll_->setBackgroundRole(QPalette::Base);
    carpetScroll_->setContextMenuPolicy(Qt::CustomContextMenu);
    carpetMenu_ = Named(new QMenu(this), "carpetMenu");
    BuildMenus();
    carpetView_ = Named(new QLabel, "carpetView");
    carpetView_->setCursor(Qt::CrossCursor);
    carpetView_->setMouseTracking(true);
    carpetView_->setContextMenuPolicy(Qt::CustomContextMenu);
    carpetView_->installEventFilter(this);
    carpetView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    carpetScroll_->setWidget(carpetView_);
    carpetScroll_->setWidgetResizable(false);
}

void MainWindow::BuildPanel()
{
    controlPanel_ = Named(new QWidget(this), "controlPanel");
    controlPanel_->setFixedWidth(192 * logicalDpiX() / 96);
    auto* layout = new QVBoxLayout(controlPanel_);
    layout->setContentsMargins(6, 7, 6, 7);
    layout->addWidget(BuildParameterGroup());
    layout->addWidget(BuildAxisGroup());
    layout->addWidget(BuildPages());
    layout->addStretch(1);
}

QGroupBox* MainWindow::BuildParameterGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Parameters:"), controlPanel_), "parameterGroup");
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

QGroupBox* MainWindow::BuildAxisGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Axis:"), controlPanel_), "axisGroup");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
    const auto addScale = [&](int row, const char* label, QLineEdit*& field, const char* fieldName, Stepper*& upDown,
                              const char* upDownName) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), group), row, 0, Qt::AlignRight);
        field = Named(new QLineEdit(QStringLiteral("1:1"), group), fieldName);
        upDown = Named(new Stepper(group), upDownName);
        grid->addWidget(field, row, 1);
        grid->addWidget(upDown, row, 2);
        field->installEventFilter(this);
    };
    addScale(0, "X-scale:", xScaleField_, "xScaleField", xScaleStepper_, "xScaleStepper");
    addScale(1, "Z-scale:", zScaleField_, "zScaleField", zScaleStepper_, "zScaleStepper");
    addScale(2, "P-scale:", pScaleField_, "pScaleField", pScaleStepper_, "pScaleStepper");
    grid->setColumnStretch(1, 1);
    return group;
}

QTabWidget* MainWindow::BuildPages()
{
    pages_ = Named(new QTabWidget(controlPanel_), "pages");
    pages_->setUsesScrollButtons(false);
    pages_->setElideMode(Qt::ElideNone);
    // The padded captions fit the narrow panel only with slim tabs.
    pages_->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 0px; }"));
    auto* page3D = Named(new QWidget, "surfacePage");
    showTrajectories3DBox_ = Named(new QCheckBox(QStringLiteral("Show trajectories:"), page3D), "showTrajectories3DBox");
    auto* layout3D = new QVBoxLayout(page3D);
    layout3D->addWidget(showTrajectories3DBox_);
    layout3D->addStretch(1);

    auto* page2D = Named(new QWidget, "carpetPage");
    showTrajectoriesBox_ = Named(new QCheckBox(QStringLiteral("Show trajectories:"), page2D), "showTrajectoriesBox");
    showTrajectoriesBox_->setChecked(true);
    useDataFileBox_ = Named(new QCheckBox(QStringLiteral("Use DAT-file:"), page2D), "useDataFileBox");
    contrastField_ = Named(new QLineEdit(QStringLiteral("1"), page2D), "contrastField");
    contrastStepper_ = Named(new Stepper(page2D), "contrastStepper");
    highlightColourBox_ = Named(new QComboBox(page2D), "highlightColourBox");
    carpetApplyButton_ = Named(new QPushButton(QStringLiteral("Apply"), page2D), "carpetApplyButton");
    auto* layout2D = new QGridLayout(page2D);
    layout2D->addWidget(showTrajectoriesBox_, 0, 0, 1, 3);
    layout2D->addWidget(useDataFileBox_, 1, 0, 1, 3);
    layout2D->addWidget(Named(new QLabel(QStringLiteral("Contrast:"), page2D), "contrastCaption"), 2, 0);
    layout2D->addWidget(contrastField_, 2, 1);
    layout2D->addWidget(contrastStepper_, 2, 2);
    layout2D->addWidget(Named(new QLabel(QStringLiteral("Change color:"), page2D), "highlightColourCaption"), 3, 0, 1, 3);
    layout2D->addWidget(highlightColourBox_, 4, 0, 1, 3);
    layout2D->addWidget(carpetApplyButton_, 5, 0, 1, 3);
    layout2D->setRowStretch(6, 1);
    FillHighlightColours();

    const QString padding(9, QLatin1Char(' '));
    pages_->addTab(page3D, padding + QStringLiteral("3D") + padding);
    pages_->addTab(page2D, padding + QStringLiteral("2D") + padding);
    pages_->setCurrentIndex(1);  // until start-up selects the 3D page
    return pages_;
}

void MainWindow::FillHighlightColours()
{
    for (const NamedColour& entry : kCarpetColours) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(entry.colour & 0xFF, (entry.colour >> 8) & 0xFF, (entry.colour >> 16) & 0xFF));
        highlightColourBox_->addItem(QIcon(swatch), QString::fromLatin1(entry.name), QVariant::fromValue(entry.colour));
    }
    highlightColourBox_->setCurrentText(QStringLiteral("Blue"));
}

void MainWindow::ConnectHandlers()
{
    connect(applyButton_, &QPushButton::clicked, this, &MainWindow::ApplyParameters);
    connect(carpetApplyButton_, &QPushButton::clicked, this, &MainWindow::ApplyCarpet);
    connect(massBox_, qOverload<int>(&QComboBox::activated), this, &MainWindow::ApplyParticlePreset);
    connect(pages_, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index != pages_->currentIndex()) {
            pages_->setCurrentIndex(index);
            ShowViewOfPage();
        }
    });
    connect(showTrajectories3DBox_, &QCheckBox::clicked, this, &MainWindow::ArmDelayedApply);
    connect(showTrajectoriesBox_, &QCheckBox::clicked, this, &MainWindow::RedrawCarpet);
    connect(useDataFileBox_, &QCheckBox::clicked, this, &MainWindow::RedrawCarpet);
    connect(contrastField_, &QLineEdit::textChanged, this, &MainWindow::QueueCarpetRedraw);
    connect(delayedApplyTimer_, &QTimer::timeout, this, &MainWindow::RunDelayedApply);
    slitsStepper_->Bind(slitsField_, 1, 100);
    contrastStepper_->Bind(contrastField_, 0, 5);
    connect(xScaleStepper_, &Stepper::changing, this, [this](ScaleDirection d) { ScaleStep(state_.scaleX, xScaleField_, d); });
    connect(zScaleStepper_, &Stepper::changing, this, [this](ScaleDirection d) { ScaleStep(state_.scaleZ, zScaleField_, d); });
    connect(pScaleStepper_, &Stepper::changing, this, [this](ScaleDirection d) { ScaleStep(state_.scaleP, pScaleField_, d); });
    connect(chartView_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { chartMenu_->popup(chartView_->mapToGlobal(at)); });
    for (QWidget* owner : {static_cast<QWidget*>(carpetScroll_), static_cast<QWidget*>(carpetView_)}) {
        connect(owner, &QWidget::customContextMenuRequested, this,
                [this, owner](const QPoint& at) { carpetMenu_->popup(owner->mapToGlobal(at)); });
    }
}

bool MainWindow::Start(const QString& exeDirectory)
{
    exeDirectory_ = exeDirectory.endsWith(QLatin1Char('/')) ? exeDirectory : exeDirectory + QLatin1Char('/');
    nearestTool_.SetSeries(&densitySurface_);
    nearestTool_.OnSelectCell = [this](NearestCellTool& tool) { HoverSurface(tool); };
    chart_.AddTool(nearestTool_);
    massBox_->addItem(Text(FloatToStr(kElectronMass)));
    massBox_->addItem(Text(FloatToStr(kNeutronMass)));
    pages_->setCurrentIndex(0);

    const std::string configurationPath = (exeDirectory_ + QString::fromLatin1(kConfigurationFileName)).toStdString();
    IniFile configuration;
    try {
        configuration = IniFile::Load(configurationPath);
    } catch (const FileError& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    const LoadedConfiguration loaded = LoadConfiguration(configuration, state_);
    const PanelTexts& panel = loaded.panel;
    slitsField_->setText(Text(panel.slits));
    massBox_->setEditText(Text(panel.mass));
    lambdaField_->setText(Text(panel.lambda));
    periodField_->setText(Text(panel.d));
    slitWidthField_->setText(Text(panel.slitWidth));
    sigma0Field_->setText(Text(panel.sigma0));
    xScaleField_->setText(Text(panel.scaleX));
    zScaleField_->setText(Text(panel.scaleZ));
    pScaleField_->setText(Text(panel.scaleP));
    if (!loaded.replacedValues.empty()) {
        QStringList messages;
        for (const std::string& message : loaded.replacedValues) {
            messages << Text(message);
        }
        dialogs_.ShowError(messages.join(QLatin1Char('\n')));
    }

    chartView_->hide();
    setWindowState(windowState() | Qt::WindowMaximized);
    for (;;) {
        if (!HasObsoleteDzb(configuration)) {
            break;
        }
        const UserDialogs::DzbAnswer answer = dialogs_.AskAboutDzb();
        if (answer == UserDialogs::DzbAnswer::Abort) {
            return false;
        }
        if (answer == UserDialogs::DzbAnswer::Ignore) {
            break;
        }
        try {
            configuration = IniFile::Load(configurationPath);
        } catch (const FileError&) {
            configuration = IniFile{};
        }
    }
    setWindowTitle(QStringLiteral("Nivaro v. 1.26"));
    // The first Apply waits until start-up has finished.
    delayedApplyTimer_->start();
    return true;
}

void MainWindow::SetView(ViewMode mode)
{
    view_ = mode;
    progressView_->setVisible(mode == ViewMode::Progress);
    chartView_->setVisible(mode == ViewMode::Chart);
    carpetScroll_->setVisible(mode == ViewMode::Image);
}

void MainWindow::SetViewOfPage()
{
    SetView(pages_->currentIndex() == 0 ? ViewMode::Chart : ViewMode::Image);
}

void MainWindow::ShowViewOfPage()
{
    SetViewOfPage();
    if (pages_->currentIndex() == 1 && carpetApplyButton_->isEnabled() && carpetView_->pixmap().isNull()) {
        ApplyCarpet();
    }
}

void MainWindow::ArmDelayedApply()
{
    if (!delayedApplyTimer_->isActive()) {
        delayedApplyTimer_->start();
    }
}

void MainWindow::RunDelayedApply()
{
    delayedApplyTimer_->stop();
    QMetaObject::invokeMethod(applyButton_, &QPushButton::click, Qt::QueuedConnection);
}

void MainWindow::ApplyParticlePreset(int index)
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

void MainWindow::RedrawCarpet()
{
    carpetApplyButton_->click();
}

void MainWindow::QueueCarpetRedraw()
{
    QMetaObject::invokeMethod(carpetApplyButton_, &QPushButton::click, Qt::QueuedConnection);
}

void MainWindow::CommitScaleField(AxisScale& scale, QLineEdit* field, bool byUser)
{
    if (!scale.Parse(Text(field))) {
        return;
    }
    field->setText(Text(scale.Text()));
    if (byUser) {
        ArmDelayedApply();
    }
}

void MainWindow::ScaleStep(AxisScale& scale, QLineEdit* field, ScaleDirection direction)
{
    if (direction == ScaleDirection::None) {
        return;
    }
    scale.Step(direction);
    field->setText(Text(scale.Text()));
    ArmDelayedApply();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == carpetView_ && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        HoverCarpet(at.x(), at.y());
    } else if (watched == carpetView_ && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        ClickCarpet(press->button(), press->position().toPoint().x(), press->position().toPoint().y());
    }
    if (event->type() == QEvent::FocusOut) {
        if (watched == xScaleField_) {
            CommitScaleField(state_.scaleX, xScaleField_, true);
        } else if (watched == zScaleField_) {
            CommitScaleField(state_.scaleZ, zScaleField_, true);
        } else if (watched == pScaleField_) {
            CommitScaleField(state_.scaleP, pScaleField_, true);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::SetLegendVisibility()
{
    chart_.SetLegendVisible(viewLegendAction_->isChecked());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    state_.stopRequested = true;
    event->accept();
}

}  // namespace nivaro
