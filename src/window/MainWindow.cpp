#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QMouseEvent>
#include <QKeyEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <utility>

#include "ComputationRunner.h"
#include "CarpetView.h"
#include "ChartHost.h"
#include "ColourBar.h"
#include "ResultComputations.h"
#include "ResultExports.h"
#include "CarpetPage.h"
#include "ParameterPanel.h"
#include "PictureOpener.h"
#include "ProgressView.h"
#include "UserDialogs.h"
#include "WindowMenus.h"
#include "WindowTexts.h"
#include "platform/ProgramVersion.h"
#include "configuration/Configuration.h"
#include "platform/FileError.h"

namespace nivaro {
namespace {

constexpr int kDelayedApplyMilliseconds = 1000;

// A stored place beyond the screen (a monitor since removed, a damaged file)
// is brought onto it, no larger than the screen.
QRect OnScreen(const WindowSession& session, const QRect& screen, const QSize& smallest)
{
    const int width = std::clamp(session.width, std::min(smallest.width(), screen.width()), screen.width());
    const int height = std::clamp(session.height, std::min(smallest.height(), screen.height()), screen.height());
    const int left = std::clamp(session.left, screen.left(), screen.left() + screen.width() - width);
    const int top = std::clamp(session.top, screen.top(), screen.top() + screen.height() - height);
    return {left, top, width, height};
}

}  // namespace

MainWindow::MainWindow(SimulationState& state, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs)
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
    setMinimumSize(640, 400);

    BuildStatusLine();
    BuildViews();
    controlPanel_ = Named(new ParameterPanel(state_.scaleX, state_.scaleZ, state_.scaleP, this), "controlPanel");
    runner_ = std::make_unique<ComputationRunner>(*this, *controlPanel_, *statusLine_, *progressView_, state_);
    exports_ = std::make_unique<ResultExports>(
        ResultExports::Sources{chart_, *chartView_, *carpetView_, state_, computedTexts_}, *runner_, *progressView_,
        dialogs_, QString());
    menus_ = std::make_unique<WindowMenus>(*this, *menuBar_, *exports_);
    views_ = std::make_unique<ResultViews>(
        *this, ResultViews::Widgets{mainChart_, *chartView_, *colourBar_, *carpetView_, *statusLine_}, *controlPanel_,
        *menus_, *runner_, *progressView_, state_, derived_);
    computations_ = std::make_unique<ResultComputations>(ResultComputations::Shown{state_, derived_, computedTexts_},
                                                         *controlPanel_, dialogs_, *runner_, *progressView_, *views_,
                                                         *statusLine_);
    pictureOpener_ = std::make_unique<PictureOpener>();
    ArrangeWindow();

    delayedApplyTimer_ = Named(new QTimer(this), "delayedApplyTimer");
    delayedApplyTimer_->setInterval(kDelayedApplyMilliseconds);

    rotateTool_.PenColor = RgbColor(255, 255, 255);
    rotateTool_.ScheduleTick = [this] { QTimer::singleShot(1, this, [this] { rotateTool_.TimerTick(chart_); }); };
    chart_.AddTool(rotateTool_);
    views_->SetView(ViewMode::Chart);
    ConnectHandlers();
    ConnectMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildStatusLine()
{
    statusPanel_ = Named(new QWidget(this), "statusPanel");
    statusPanel_->setFixedHeight(29);
    statusLine_ = Named(new QLabel(statusPanel_), "statusLine");
    statusLine_->setAlignment(Qt::AlignCenter);
    auto* statusLayout = new QHBoxLayout(statusPanel_);
    statusLayout->setContentsMargins(2, 2, 2, 2);
    statusLayout->addWidget(statusLine_);
}

void MainWindow::BuildViews()
{
    progressView_ = Named(new ProgressView(*statusLine_, this), "progressView");
    chartView_ = std::make_unique<ChartHost>(chart_, rotateTool_, this);
    Named(chartView_.get(), "chartView");
    chartView_->setContextMenuPolicy(Qt::CustomContextMenu);
    colourBar_ = Named(new ColourBar(this), "colourBar");
    menuBar_ = Named(new QMenuBar(this), "menuBar");
    carpetView_ = Named(new CarpetView(this), "carpetView");
}

bool MainWindow::Busy() const
{
    return runner_->Busy();
}

void MainWindow::ArrangeWindow()
{
    auto* clientArea = new QWidget(this);
    auto* views = new QGridLayout(clientArea);
    views->setContentsMargins(0, 0, 0, 0);
    views->addWidget(chartView_.get(), 0, 0);
    views->addWidget(colourBar_, 0, 1);
    views->setColumnStretch(0, 1);
    views->addWidget(carpetView_, 0, 0);
    // Over the foot of the views, which keep showing the results while a
    // computation runs and keep their size: nothing is refitted.
    // Its width follows the views' and never asks them for more.
    progressView_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    views->addWidget(progressView_, 0, 0, Qt::AlignBottom);
    progressView_->setAutoFillBackground(true);
    progressView_->hide();

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(clientArea, 1);
    // A window lower than the panel scrolls it instead of crushing its fields.
    auto* panelScroll = Named(new QScrollArea(this), "controlPanelScroll");
    panelScroll->setWidget(controlPanel_);
    panelScroll->setWidgetResizable(true);
    panelScroll->setFrameShape(QFrame::NoFrame);
    panelScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelScroll->setFixedWidth(controlPanel_->width() + panelScroll->verticalScrollBar()->sizeHint().width());
    top->addWidget(panelScroll);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->setMenuBar(menuBar_);
    root->addLayout(top, 1);
    root->addWidget(statusPanel_);
}

void MainWindow::ConnectHandlers()
{
    connect(controlPanel_->ApplyButton(), &QPushButton::clicked, this, &MainWindow::ApplyParameters);
    connect(&controlPanel_->Carpet(), &CarpetPage::redrawWanted, this, &MainWindow::ApplyCarpet);
    connect(controlPanel_->SweepButton(), &QPushButton::clicked, this, &MainWindow::RunSweep);
    connect(controlPanel_, &ParameterPanel::pageChosen, this, &MainWindow::ShowViewOfPage);
    connect(controlPanel_, &ParameterPanel::delayedApplyWanted, this, &MainWindow::ArmDelayedApply);
    connect(controlPanel_, &ParameterPanel::refused, this, [this](const QString& message) { dialogs_.ShowError(message); });
    connect(progressView_, &ProgressView::cancelRequested, this, &MainWindow::CancelComputation);
    connect(delayedApplyTimer_, &QTimer::timeout, this, &MainWindow::RunDelayedApply);
    connect(carpetView_, &CarpetView::hovered, this, [this](QPoint pixel) { views_->HoverCarpet(pixel); });
    connect(carpetView_, &CarpetView::clicked, this, &MainWindow::ClickCarpet);
    connect(carpetView_, &CarpetView::columnPicked, this, &MainWindow::PickHistogramColumn);
    connect(controlPanel_, &ParameterPanel::surfaceContentChosen, this, [this] {
        if (!Busy() && !views_->SpectrumShown()) {
            views_->ShowDensitySurface();
        }
    });
    connect(chartView_.get(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menus_->ChartMenu().popup(chartView_->mapToGlobal(at)); });
    connect(carpetView_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menus_->CarpetMenu().popup(carpetView_->mapToGlobal(at)); });
}

bool MainWindow::Start(const QString& exeDirectory)
{
    exeDirectory_ = exeDirectory.endsWith(QLatin1Char('/')) ? exeDirectory : exeDirectory + QLatin1Char('/');
    exports_->SetSaveFolder(exeDirectory_);
    nearestTool_.SetSeries(&mainChart_.Surface());
    nearestTool_.OnSelectCell = [this](NearestCellTool& tool) { views_->HoverSurface(tool); };
    chart_.AddTool(nearestTool_);

    const std::string configurationPath = ConfigurationPath();
    computations_->SetConfigurationPath(configurationPath);
    IniFile configuration;
    try {
        configuration = IniFile::Load(configurationPath);
    } catch (const FileError& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    const LoadedConfiguration loaded = LoadConfiguration(configuration, state_);
    controlPanel_->ShowTexts(loaded.panel);
    controlPanel_->ShowGrid(state_.grid);
    controlPanel_->ShowModel(state_.parameters.wave);
    const WindowSession session = ReadWindowSession(configuration);
    if (!loaded.replacedValues.empty()) {
        QStringList messages;
        for (const std::string& message : loaded.replacedValues) {
            messages << Text(message);
        }
        dialogs_.ShowError(messages.join(QLatin1Char('\n')));
    }

    chartView_->hide();
    ShowSession(session);
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
    setWindowTitle(QStringLiteral("Nivaro v. %1").arg(QString::fromLatin1(kProgramVersion)));
    // The first Apply waits until start-up has finished.
    delayedApplyTimer_->start();
    return true;
}

std::string MainWindow::ConfigurationPath() const
{
    return (exeDirectory_ + QString::fromLatin1(kConfigurationFileName)).toStdString();
}

void MainWindow::ApplyParameters()
{
    if (Busy() || !controlPanel_->ApplyButton()->isEnabled()) {
        return;
    }
    delayedApplyTimer_->stop();  // this Apply serves a pending delayed one
    computations_->ApplyParameters();
    // The spectrum the last session ended with, once there is a psi again.
    if (std::exchange(spectrumAtStart_, false) && state_.densityField.Rows() > 0 && !views_->SpectrumShown()) {
        ToggleSpectrum();
    }
}

void MainWindow::ApplyCarpet()
{
    computations_->ApplyCarpet();
}

void MainWindow::ShowViewOfPage()
{
    computations_->ShowViewOfPage();
}

void MainWindow::ToggleSpectrum()
{
    if (Busy()) {
        menus_->Spectrum().setChecked(views_->SpectrumShown());
    } else {
        if (views_->ToggleSpectrum()) {
            ShowViewOfPage();  // draws the carpet when the 2D page is shown
        }
        HoverChartAtCursor();
    }
}

// The chart's readout otherwise names the cell of the surface before F11
// until the mouse moves; the carpet refreshes its own.
void MainWindow::HoverChartAtCursor()
{
    if (!chartView_->isVisible()) {
        return;
    }
    const QPoint at = chartView_->mapFromGlobal(QCursor::pos());
    if (!chartView_->rect().contains(at)) {
        return;
    }
    chartView_->repaint();  // the new surface is fitted before the cell under the mouse is sought
    QMouseEvent move(QEvent::MouseMove, at, chartView_->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(chartView_.get(), &move);
}

void MainWindow::PickHistogramColumn(int column)
{
    try {
        views_->PickHistogramColumn(column);
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
}

void MainWindow::ClickCarpet(QPoint pixel)
{
    if (!Busy() && views_->ClickCarpet(pixel)) {
        ShowViewOfPage();
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        CancelComputation();
    }
    QWidget::keyPressEvent(event);
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
    QMetaObject::invokeMethod(controlPanel_->ApplyButton(), &QPushButton::click, Qt::QueuedConnection);
}

void MainWindow::CancelComputation()
{
    runner_->Cancel();
}

// A session that was never saved opens maximized on the 3D page.
void MainWindow::ShowSession(const WindowSession& session)
{
    controlPanel_->ShowSession(session);
    ViewOptions3D& view = chart_.View3DOptions();
    view.SetRotation(session.rotation);
    view.SetElevation(session.elevation);
    menus_->Legend().setChecked(session.legend);
    SetLegendVisibility();
    menus_->NanometreLabels().setChecked(session.nanometreLabels);
    menus_->BlockLabels().setChecked(!session.nanometreLabels);
    menus_->Antialiasing().setChecked(session.antialiasing);
    SetAntialiasing();
    spectrumAtStart_ = session.spectrum;
    menus_->LogarithmicSpectrum().setChecked(session.logarithmicSpectrum);
    const ColourMapKind colourMap = ColourMapNamed(session.colourMap).value_or(ColourMapKind::GreenRed);
    menus_->SetColourMap(colourMap);
    views_->ApplyColourMap(colourMap);
    if (!session.saveFolder.empty() && QFileInfo(Text(session.saveFolder)).isDir()) {
        exports_->SetSaveFolder(Text(session.saveFolder));
    }
    if (session.width > 0 && session.height > 0) {
        // The screen the stored place lies on, where there still is one.
        const auto centre = [](int start, int length) {
            return static_cast<int>(std::clamp(start + length / 2LL, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
        };
        const QPoint middle(centre(session.left, session.width), centre(session.top, session.height));
        const QScreen* shown = QGuiApplication::screenAt(middle);
        setGeometry(OnScreen(session, (shown != nullptr ? shown : screen())->availableGeometry(), minimumSize()));
    }
    if (session.maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

// Written when the window closes; a file that cannot be written is left alone.
void MainWindow::SaveSession() const
{
    WindowSession session;
    const QRect geometry = normalGeometry();
    session.left = geometry.left();
    session.top = geometry.top();
    session.width = geometry.width();
    session.height = geometry.height();
    session.maximized = isMaximized();
    controlPanel_->KeepSession(session);
    const ViewOptions3D& view = chart_.View3DOptions();
    session.rotation = view.Rotation();
    session.elevation = view.Elevation();
    session.legend = menus_->Legend().isChecked();
    session.nanometreLabels = menus_->NanometreLabels().isChecked();
    session.antialiasing = menus_->Antialiasing().isChecked();
    session.saveFolder = exports_->SaveFolder().toStdString();
    session.spectrum = views_->SpectrumShown();
    session.colourMap = ColourMapName(menus_->ColourMap());
    session.logarithmicSpectrum = menus_->LogarithmicSpectrum().isChecked();
    const std::string path = ConfigurationPath();
    try {
        IniFile configuration = IniFile::Load(path);
        WriteWindowSession(configuration, session);
        configuration.Save(path);
    } catch (const FileError&) {
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!runner_->Closing() && !exeDirectory_.isEmpty()) {
        SaveSession();
    }
    runner_->Close();
    event->accept();
}

}  // namespace nivaro
