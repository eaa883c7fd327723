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
    TColor colour;
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

TForm5::TForm5(SimulationState& state, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), progress_()
{
    setObjectName(QStringLiteral("Form5"));
    setFocusPolicy(Qt::StrongFocus);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(formFont);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    resize(1032, 796);

    BuildViews();
    BuildPanel();
    Panel2 = Named(new QWidget(this), "Panel2");
    Panel2->setFixedHeight(29);
    Label1 = Named(new QLabel(Panel2), "Label1");
    Label1->setAlignment(Qt::AlignCenter);
    progress_ = std::make_unique<WindowProgress>(*ProgressBar1, *Label16, *Label1);
    auto* statusLayout = new QHBoxLayout(Panel2);
    statusLayout->setContentsMargins(2, 2, 2, 2);
    statusLayout->addWidget(Label1);

    auto* clientArea = new QWidget(this);
    auto* views = new QGridLayout(clientArea);
    views->setContentsMargins(0, 0, 0, 0);
    views->addWidget(progressView_, 0, 0);
    views->addWidget(Chart1, 0, 0);
    views->addWidget(ScrollBox1, 0, 0);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(clientArea, 1);
    top->addWidget(Panel1);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addLayout(top, 1);
    root->addWidget(Panel2);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(kDelayedApplyMilliseconds);

    ChartTool1.PenColor = RgbColor(255, 255, 255);
    ChartTool1.ScheduleTick = [this] { QTimer::singleShot(1, this, [this] { ChartTool1.TimerTick(chart_); }); };
    chart_.AddTool(ChartTool1);
    SetView(ViewMode::Chart);
    ConnectHandlers();
}

TForm5::~TForm5() = default;

void TForm5::BuildViews()
{
    progressView_ = new QWidget(this);
    Label16 = Named(new QLabel(QStringLiteral("Loading..."), progressView_), "Label16");
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    Label16->setFont(big);
    Label16->setAlignment(Qt::AlignCenter);
    ProgressBar1 = Named(new QProgressBar(progressView_), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setFixedHeight(20);
    auto* layout = new QVBoxLayout(progressView_);
    layout->setContentsMargins(48, 0, 48, 0);
    layout->addStretch(363);
    layout->addWidget(Label16);
    layout->addSpacing(48);
    layout->addWidget(ProgressBar1);
    layout->addStretch(300);

    Chart1 = Named(new ChartHost(chart_, ChartTool1, this), "Chart1");
    Chart1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");

    ScrollBox1 = Named(new QScrollArea(this), "ScrollBox1");
    ScrollBox1->setBackgroundRole(QPalette::Base);
    ScrollBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu2 = Named(new QMenu(this), "PopupMenu2");
    BuildMenus();
    Image1 = Named(new QLabel, "Image1");
    Image1->setCursor(Qt::CrossCursor);
    Image1->setMouseTracking(true);
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    Image1->installEventFilter(this);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(false);
}

void TForm5::BuildPanel()
{
    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedWidth(192 * logicalDpiX() / 96);
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(6, 7, 6, 7);
    layout->addWidget(BuildParameterGroup());
    layout->addWidget(BuildAxisGroup());
    layout->addWidget(BuildPages());
    layout->addStretch(1);
}

QGroupBox* TForm5::BuildParameterGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Parameters:"), Panel1), "GroupBox1");
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
    Edit1 = Named(new QLineEdit(QStringLiteral("1"), group), "Edit1");
    UpDown1 = Named(new UpDown(group), "UpDown1");
    ComboBox1 = Named(new QComboBox(group), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setEditText(QStringLiteral("9.1095E-31"));
    Edit2 = Named(new QLineEdit(QStringLiteral("1E-8"), group), "Edit2");
    Edit3 = Named(new QLineEdit(QStringLiteral("1E-8"), group), "Edit3");
    Edit7 = Named(new QLineEdit(QStringLiteral("1E-8"), group), "Edit7");
    Edit6 = Named(new QLineEdit(QStringLiteral("2E-9"), group), "Edit6");
    addRow(0, "slits:", Edit1, UpDown1);
    addRow(1, "mass:", ComboBox1, unit("kg"));
    addRow(2, "lambda:", Edit2, unit("m"));
    addRow(3, "d:", Edit3, unit("m"));
    addRow(4, "slit width:", Edit7, unit("m"));
    addRow(5, "sigma0:", Edit6, unit("m"));
    Button4 = Named(new QPushButton(QStringLiteral("Apply"), group), "Button4");
    grid->addWidget(Button4, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    setTabOrder(Button4, Edit1);
    setTabOrder(Edit1, ComboBox1);
    setTabOrder(ComboBox1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Edit7);
    setTabOrder(Edit7, Edit6);
    return group;
}

QGroupBox* TForm5::BuildAxisGroup()
{
    auto* group = Named(new QGroupBox(QStringLiteral("Axis:"), Panel1), "GroupBox2");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
    const auto addScale = [&](int row, const char* label, QLineEdit*& field, const char* fieldName, UpDown*& upDown,
                              const char* upDownName) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), group), row, 0, Qt::AlignRight);
        field = Named(new QLineEdit(QStringLiteral("1:1"), group), fieldName);
        upDown = Named(new UpDown(group), upDownName);
        grid->addWidget(field, row, 1);
        grid->addWidget(upDown, row, 2);
        field->installEventFilter(this);
    };
    addScale(0, "X-scale:", Edit4, "Edit4", UpDown2, "UpDown2");
    addScale(1, "Z-scale:", Edit5, "Edit5", UpDown3, "UpDown3");
    addScale(2, "P-scale:", Edit8, "Edit8", UpDown4, "UpDown4");
    grid->setColumnStretch(1, 1);
    return group;
}

QTabWidget* TForm5::BuildPages()
{
    PageControl1 = Named(new QTabWidget(Panel1), "PageControl1");
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    // The padded captions fit the narrow panel only with slim tabs.
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 0px; }"));
    auto* page3D = Named(new QWidget, "TabSheet1");
    CheckBox1 = Named(new QCheckBox(QStringLiteral("Show trajectories:"), page3D), "CheckBox1");
    auto* layout3D = new QVBoxLayout(page3D);
    layout3D->addWidget(CheckBox1);
    layout3D->addStretch(1);

    auto* page2D = Named(new QWidget, "TabSheet2");
    CheckBox2 = Named(new QCheckBox(QStringLiteral("Show trajectories:"), page2D), "CheckBox2");
    CheckBox2->setChecked(true);
    CheckBox4 = Named(new QCheckBox(QStringLiteral("Use DAT-file:"), page2D), "CheckBox4");
    Edit9 = Named(new QLineEdit(QStringLiteral("1"), page2D), "Edit9");
    UpDown5 = Named(new UpDown(page2D), "UpDown5");
    ColorBox1 = Named(new QComboBox(page2D), "ColorBox1");
    Button1 = Named(new QPushButton(QStringLiteral("Apply"), page2D), "Button1");
    auto* layout2D = new QGridLayout(page2D);
    layout2D->addWidget(CheckBox2, 0, 0, 1, 3);
    layout2D->addWidget(CheckBox4, 1, 0, 1, 3);
    layout2D->addWidget(Named(new QLabel(QStringLiteral("Contrast:"), page2D), "Label18"), 2, 0);
    layout2D->addWidget(Edit9, 2, 1);
    layout2D->addWidget(UpDown5, 2, 2);
    layout2D->addWidget(Named(new QLabel(QStringLiteral("Change color:"), page2D), "Label17"), 3, 0, 1, 3);
    layout2D->addWidget(ColorBox1, 4, 0, 1, 3);
    layout2D->addWidget(Button1, 5, 0, 1, 3);
    layout2D->setRowStretch(6, 1);
    FillColorBox();

    const QString padding(9, QLatin1Char(' '));
    PageControl1->addTab(page3D, padding + QStringLiteral("3D") + padding);
    PageControl1->addTab(page2D, padding + QStringLiteral("2D") + padding);
    PageControl1->setCurrentIndex(1);  // the form's design page; start-up selects the 3D page
    return PageControl1;
}

void TForm5::FillColorBox()
{
    for (const NamedColour& entry : kCarpetColours) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(entry.colour & 0xFF, (entry.colour >> 8) & 0xFF, (entry.colour >> 16) & 0xFF));
        ColorBox1->addItem(QIcon(swatch), QString::fromLatin1(entry.name), QVariant::fromValue(entry.colour));
    }
    ColorBox1->setCurrentText(QStringLiteral("Blue"));
}

void TForm5::ConnectHandlers()
{
    connect(Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TForm5::ComboBox1CloseUp);
    connect(PageControl1, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index != PageControl1->currentIndex()) {
            PageControl1->setCurrentIndex(index);
            PageControl1Change();
        }
    });
    connect(CheckBox1, &QCheckBox::clicked, this, &TForm5::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm5::CheckBox2Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TForm5::CheckBox2Click);
    connect(Edit9, &QLineEdit::textChanged, this, &TForm5::Edit9Change);
    connect(Timer1, &QTimer::timeout, this, &TForm5::Timer1Timer);
    UpDown1->Bind(Edit1, 1, 100);
    UpDown5->Bind(Edit9, 0, 5);
    connect(UpDown2, &UpDown::changing, this, [this](ScaleDirection d) { ScaleStep(state_.scaleX, Edit4, d); });
    connect(UpDown3, &UpDown::changing, this, [this](ScaleDirection d) { ScaleStep(state_.scaleZ, Edit5, d); });
    connect(UpDown4, &UpDown::changing, this, [this](ScaleDirection d) { ScaleStep(state_.scaleP, Edit8, d); });
    connect(Chart1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Chart1->mapToGlobal(at)); });
    for (QWidget* owner : {static_cast<QWidget*>(ScrollBox1), static_cast<QWidget*>(Image1)}) {
        connect(owner, &QWidget::customContextMenuRequested, this,
                [this, owner](const QPoint& at) { PopupMenu2->popup(owner->mapToGlobal(at)); });
    }
}

bool TForm5::FormCreate(const QString& exeDirectory)
{
    exeDirectory_ = exeDirectory.endsWith(QLatin1Char('/')) ? exeDirectory : exeDirectory + QLatin1Char('/');
    nearestTool_.SetSeries(&Series1);
    nearestTool_.OnSelectCell = [this](TSurfaceNearestTool& tool) { SurfaceHover(tool); };
    chart_.AddTool(nearestTool_);
    ComboBox1->addItem(Text(FloatToStr(kElectronMass)));
    ComboBox1->addItem(Text(FloatToStr(kNeutronMass)));
    PageControl1->setCurrentIndex(0);

    const std::string configurationPath = (exeDirectory_ + QString::fromLatin1(kConfigurationFileName)).toStdString();
    IniFile configuration;
    try {
        configuration = IniFile::Load(configurationPath);
    } catch (const FileError& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    const LoadedConfiguration loaded = LoadConfiguration(configuration, state_);
    const PanelTexts& panel = loaded.panel;
    Edit1->setText(Text(panel.slits));
    ComboBox1->setEditText(Text(panel.mass));
    Edit2->setText(Text(panel.lambda));
    Edit3->setText(Text(panel.d));
    Edit7->setText(Text(panel.slitWidth));
    Edit6->setText(Text(panel.sigma0));
    Edit4->setText(Text(panel.scaleX));
    Edit5->setText(Text(panel.scaleZ));
    Edit8->setText(Text(panel.scaleP));
    if (!loaded.replacedValues.empty()) {
        QStringList messages;
        for (const std::string& message : loaded.replacedValues) {
            messages << Text(message);
        }
        dialogs_.ShowError(messages.join(QLatin1Char('\n')));
    }

    Chart1->hide();
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
    Timer1->start();
    return true;
}

void TForm5::SetView(ViewMode mode)
{
    view_ = mode;
    progressView_->setVisible(mode == ViewMode::Progress);
    Chart1->setVisible(mode == ViewMode::Chart);
    ScrollBox1->setVisible(mode == ViewMode::Image);
}

void TForm5::ShowViewOfPage()
{
    SetView(PageControl1->currentIndex() == 0 ? ViewMode::Chart : ViewMode::Image);
}

void TForm5::PageControl1Change()
{
    ShowViewOfPage();
    if (PageControl1->currentIndex() == 1 && Button1->isEnabled() && Image1->pixmap().isNull()) {
        Button1Click();
    }
}

void TForm5::ArmDelayedApply()
{
    if (!Timer1->isActive()) {
        Timer1->start();
    }
}

void TForm5::Timer1Timer()
{
    Timer1->stop();
    QMetaObject::invokeMethod(Button4, &QPushButton::click, Qt::QueuedConnection);
}

void TForm5::ComboBox1CloseUp(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kParticlePresets))) {
        return;
    }
    const ParticlePreset& preset = kParticlePresets[index];
    Edit2->setText(Text(FloatToStr(preset.lambda)));
    Edit3->setText(Text(FloatToStr(preset.d)));
    Edit7->setText(Text(FloatToStr(preset.slitWidth)));
    Edit6->setText(Text(FloatToStr(preset.sigma0)));
}

void TForm5::CheckBox1Click()
{
    ArmDelayedApply();
}

void TForm5::CheckBox2Click()
{
    Button1->click();
}

void TForm5::Edit9Change()
{
    QMetaObject::invokeMethod(Button1, &QPushButton::click, Qt::QueuedConnection);
}

void TForm5::ScaleFieldExit(AxisScale& scale, QLineEdit* field, bool byUser)
{
    if (!scale.Parse(Text(field))) {
        return;
    }
    field->setText(Text(scale.Text()));
    if (byUser) {
        ArmDelayedApply();
    }
}

void TForm5::ScaleStep(AxisScale& scale, QLineEdit* field, ScaleDirection direction)
{
    if (direction == ScaleDirection::None) {
        return;
    }
    scale.Step(direction);
    field->setText(Text(scale.Text()));
    ArmDelayedApply();
}

bool TForm5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        Image1MouseMove(at.x(), at.y());
    } else if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        Image1MouseDown(press->button(), press->position().toPoint().x(), press->position().toPoint().y());
    }
    if (event->type() == QEvent::FocusOut) {
        if (watched == Edit4) {
            ScaleFieldExit(state_.scaleX, Edit4, true);
        } else if (watched == Edit5) {
            ScaleFieldExit(state_.scaleZ, Edit5, true);
        } else if (watched == Edit8) {
            ScaleFieldExit(state_.scaleP, Edit8, true);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm5::Viewlegend1Click()
{
    chart_.SetLegendVisible(Viewlegend1->isChecked());
}

void TForm5::closeEvent(QCloseEvent* event)
{
    state_.stopRequested = true;
    event->accept();
}

}  // namespace nivaro
