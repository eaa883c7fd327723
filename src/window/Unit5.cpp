#include "Unit5.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <new>

#include "ChartHost.h"
#include "UpDown.h"
#include "UserDialogs.h"
#include "carpet/BmpWriter.h"
#include "carpet/TableWriter.h"
#include "chart/export/ChartExport.h"
#include "engine/TrajectoryStarts.h"
#include "carpet/DataFile.h"
#include "configuration/Configuration.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/PhysicalConstants.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

constexpr const char* kImageFileName = "out.bmp";
constexpr int kDelayedApplyMilliseconds = 1000;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string Text(const QLineEdit* field)
{
    return field->text().toStdString();
}

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

// Reports progress in the progress view and the status line, and lets the
// window handle pending events.
class TForm5::WindowProgress final : public ProgressSink {
public:
    explicit WindowProgress(TForm5& form) : form_(form) {}

protected:
    void Show(const ProgressReport& report) override
    {
        form_.ProgressBar1->setValue(report.percent);
        const QString minutes = QString::number(report.elapsedSeconds / 60.0, 'f', 1);
        const QString time = QStringLiteral("time = %1 sec (%2 min)").arg(report.elapsedSeconds).arg(minutes);
        switch (report.kind) {
        case ProgressKind::DensityColumns:
            form_.Label16->setText(QStringLiteral("Loading...  %1%").arg(report.percent));
            form_.Label1->setText(time);
            break;
        case ProgressKind::CarpetDataFileStarts:
            form_.Label16->setText(QStringLiteral("Loading... %1%").arg(report.percent));
            form_.Label1->setText(time + QLatin1Char('\n'));
            break;
        case ProgressKind::CarpetRegularStarts:
            form_.Label16->setText(QStringLiteral("Loading... %1%").arg(report.percent));
            break;
        }
        QCoreApplication::processEvents();
    }

private:
    TForm5& form_;
};

// The busy state of a computation: panel disabled, hourglass, progress view.
// Always left, also when an exception passes through; nested computations
// (the carpet started by the page rule) leave it only at the outermost level.
class TForm5::BusyState {
public:
    BusyState(TForm5& form, bool clearStatus) : form_(form)
    {
        if (form_.busyDepth_++ == 0) {
            form_.Panel1->setEnabled(false);
            form_.setFocus();
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (clearStatus) {
            form_.Label1->clear();
        }
        form_.SetView(ViewMode::Progress);
    }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;
    ~BusyState()
    {
        form_.ShowViewOfPage();
        if (--form_.busyDepth_ == 0) {
            QApplication::restoreOverrideCursor();
            form_.Panel1->setEnabled(true);
        }
    }

private:
    TForm5& form_;
};

TForm5::TForm5(SimulationState& state, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), progress_(std::make_unique<WindowProgress>(*this))
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

void TForm5::BuildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto chartSave = [this](const char* suffix, const char* filter, auto save) {
        return [this, suffix, filter, save] {
            SaveWithDialog(suffix, filter, [this, save](const std::string& path) { save(chart_, path); });
        };
    };
    const auto pictureSave = [this](const char* suffix, const char* filter, auto save) {
        return [this, suffix, filter, save] {
            SaveWithDialog(suffix, filter, [this, save](const std::string& path) { save(CarpetPicture(), path); });
        };
    };
    constexpr const char* kJpg = "JPG files (*.jpg)";
    constexpr const char* kPng = "PNG files (*.png)";
    constexpr const char* kBmp = "BMP files (*.bmp)";

    Viewlegend1 = item(PopupMenu1, "Viewlegend1", "View Legend", &TForm5::Viewlegend1Click);
    Viewlegend1->setCheckable(true);
    Viewlegend1->setChecked(true);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N3"));
    item(PopupMenu1, "Copy1", "Copy to Clipboard", &TForm5::Copy1Click);
    item(PopupMenu1, "SavetoFileJpg1", "Save to File (*.jpg)",
         chartSave("jpg", kJpg, [this](TChart& chart, const std::string& path) {
             ChartSaveToJPEGFile(chart, path, 75, Chart1->width(), Chart1->height());
         }));
    item(PopupMenu1, "SavetoFilePng1", "Save to File (*.png)",
         chartSave("png", kPng, [this](TChart& chart, const std::string& path) {
             ChartSaveToPNG(chart, path, Chart1->width(), Chart1->height());
         }));
    item(PopupMenu1, "SavetoFileBmp1", "Save to File (*.bmp)",
         chartSave("bmp", kBmp, [](TChart& chart, const std::string& path) {
             ChartSaveToBitmap(chart, path, chart.Width(), chart.Height());
         }));
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    item(PopupMenu1, "norm1", "norm(PSI) to File", &TForm5::norm1Click);

    item(PopupMenu2, "N2DtoClipboard1", "Copy to Clipboard",
         [this] { QGuiApplication::clipboard()->setImage(CarpetPicture()); });
    item(PopupMenu2, "N2DtoJPG1", "Save to File (*.jpg)",
         pictureSave("jpg", kJpg, [](const QImage& picture, const std::string& path) {
             SaveImageAsJpeg(picture, path, 90);
         }));
    item(PopupMenu2, "N2DtoPNG1", "Save to File (*.png)", pictureSave("png", kPng, SaveImageAsPng));
    item(PopupMenu2, "N2DtoBMP1", "Save to File (*.bmp)", pictureSave("bmp", kBmp, SaveImageAsBmp));
    item(PopupMenu2, "Openwith1", "Open with...", &TForm5::Openwith1Click);
    PopupMenu2->addSeparator()->setObjectName(QStringLiteral("N2"));
    item(PopupMenu2, "normPSItoFile1", "norm(PSI) to File", &TForm5::norm1Click);
    PopupMenu2->addSeparator()->setObjectName(QStringLiteral("N4"));
    ClearDATfile1 = item(PopupMenu2, "ClearDATfile1", "Clear DAT-file", &TForm5::ClearDATfile1Click);
    AddtoDATfile1 = item(PopupMenu2, "AddtoDATfile1", "Add to DAT-file", &TForm5::AddtoDATfile1Click);
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TForm5::PopupMenu2Popup);
}

void TForm5::SaveWithDialog(const char* suffix, const char* filter,
                            const std::function<void(const std::string&)>& save)
{
    if (Busy()) {
        return;
    }
    const std::optional<QString> name =
        dialogs_.AskSaveFileName({QString::fromLatin1(suffix), QString::fromLatin1(filter), exeDirectory_});
    if (!name) {
        return;
    }
    try {
        save(name->toStdString());
    } catch (const std::exception& error) {
        dialogs_.ShowError(QStringLiteral("The file could not be saved.\n%1").arg(QString::fromUtf8(error.what())));
    }
}

QImage TForm5::CarpetPicture() const
{
    return Image1->pixmap().toImage();
}

void TForm5::Copy1Click()
{
    CopyToClipboardMetafile(chart_, Chart1->width(), Chart1->height());
}

void TForm5::norm1Click()
{
    SaveWithDialog("txt", "Text files (*.txt)", [this](const std::string& path) {
        AtomicFile table(path);
        WriteTable(table.Stream(), state_.densityField);
        table.Commit();
    });
}

void TForm5::PopupMenu2Popup()
{
    ClearDATfile1->setEnabled(DataFileIsWritable(kDataFileName));
    AddtoDATfile1->setEnabled(state_.hoveredStart != kNoHoveredStart);
}

// The automatic data file stays silent when it cannot be written.
void TForm5::AddtoDATfile1Click()
{
    if (state_.hoveredStart != kNoHoveredStart) {
        AppendToDataFile(kDataFileName, PositionOfStartRow(state_, state_.hoveredStart));
    }
}

void TForm5::ClearDATfile1Click()
{
    DeleteDataFile(kDataFileName);
    Button1->click();
}

void TForm5::Openwith1Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(QString::fromLatin1(kImageFileName))));
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

// The panel's values are converted all together and taken over only when
// every field converts and the computation can use them; otherwise the
// previous values stay and the user is told why.
bool TForm5::TakeOverParameters()
{
    SimulationParameters taken = state_.parameters;
    try {
        taken.slits = StrToInt(Text(Edit1));
        taken.mass = StrToFloat(ComboBox1->currentText().toStdString());
        taken.lambda = StrToFloat(Text(Edit2));
        taken.d = StrToFloat(Text(Edit3));
        taken.sigma0 = StrToFloat(Text(Edit6));
        taken.slitWidth = StrToFloat(Text(Edit7));
    } catch (const ConversionError& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
        return false;
    }
    const SimulationParameters previous = state_.parameters;
    state_.parameters = taken;
    const std::vector<SettingProblem> problems = FindUnusableSettings(state_);
    if (!problems.empty()) {
        state_.parameters = previous;
        dialogs_.ShowError(QString::fromUtf8(UnusableSettingsError(problems).what()));
        return false;
    }
    return true;
}

void TForm5::Button4Click()
{
    if (Busy() || !Button4->isEnabled()) {
        return;
    }
    Button4->setEnabled(false);
    if (TakeOverParameters()) {
        try {
            ComputeDensityGrid();
        } catch (const std::bad_alloc&) {
            dialogs_.ShowError(QStringLiteral("There is not enough memory for a grid of %1 by %2 points.")
                                   .arg(state_.grid.nx)
                                   .arg(state_.grid.nz));
        } catch (const std::exception& error) {
            dialogs_.ShowError(QString::fromUtf8(error.what()));
        }
    }
    Button4->setEnabled(true);
}

void TForm5::ComputeDensityGrid()
{
    {
        const BusyState busy(*this, true);
        spectrumShown_ = false;
        nivaro::ComputeDensityGrid(state_, *progress_);
        mainChart_.FillSurface(state_.grid.nx, state_.grid.nz, SurfaceBlockMaxima(state_));
        if (CheckBox1->isChecked()) {
            mainChart_.AddTrajectories(SurfaceTrajectories(state_));
        }
        WriteBackAndEchoConfiguration();
        Image1->setPixmap(QPixmap());
    }
    PageControl1Change();
}

PanelTexts TForm5::CurrentPanelTexts() const
{
    return {Text(Edit1), ComboBox1->currentText().toStdString(), Text(Edit2), Text(Edit3), Text(Edit7), Text(Edit6),
            Text(Edit4), Text(Edit5), Text(Edit8)};
}

// The automatic write-back stays silent when the file cannot be written; the
// legend then echoes the settings as they would have been written.
void TForm5::WriteBackAndEchoConfiguration()
{
    const std::string path = (exeDirectory_ + QString::fromLatin1(kConfigurationFileName)).toStdString();
    IniFile configuration;
    try {
        configuration = IniFile::Load(path);
    } catch (const FileError&) {
    }
    WriteBackConfiguration(configuration, CurrentPanelTexts(), state_.grid);
    try {
        configuration.Save(path);
    } catch (const FileError&) {
    }
    chart_.SetLegendTitle(LegendEcho(configuration));
}

void TForm5::Button1Click()
{
    if (Busy() || !Button1->isEnabled()) {
        return;
    }
    Button1->setEnabled(false);
    try {
        RenderCarpetImage();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    Button1->setEnabled(true);
}

void TForm5::RenderCarpetImage()
{
    {
        const BusyState busy(*this, false);
        CarpetOptions options;
        try {
            options.contrast = StrToInt(Text(Edit9));
        } catch (const ConversionError& error) {
            dialogs_.ShowError(QString::fromUtf8(error.what()));
            return;
        }
        options.showTrajectories = CheckBox2->isChecked();
        if (CheckBox4->isChecked()) {
            options.dataFile = kDataFileName;
        }
        try {
            nivaro::RenderCarpet(state_, options, *progress_);
        } catch (const StaleDensityError& error) {
            Label1->setText(QString::fromUtf8(error.what()));
            return;
        }
        WriteImageFile();
        ShowCarpetPicture();
    }
    PageControl1Change();
}

// "out.bmp" in the current folder; a failure is told in the status line.
bool TForm5::WriteImageFile()
{
    try {
        AtomicFile image(kImageFileName, true);
        WriteBitmap(image.Stream(), state_.carpetRed, state_.carpetGreen, state_.carpetBlue);
        image.Commit();
        return true;
    } catch (const FileError& error) {
        Label1->setText(QStringLiteral("The carpet could not be saved as %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
}

// The picture comes straight from the planes, so it shows even when
// "out.bmp" could not be written.
void TForm5::ShowCarpetPicture()
{
    const int rows = state_.grid.nx;
    const int columns = state_.grid.nz;
    QImage picture(columns, rows, QImage::Format_RGB888);
    for (int row = 0; row < rows; ++row) {
        uchar* line = picture.scanLine(row);
        for (int column = 0; column < columns; ++column) {
            line[3 * column] = state_.carpetRed[row][column];
            line[3 * column + 1] = state_.carpetGreen[row][column];
            line[3 * column + 2] = state_.carpetBlue[row][column];
        }
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
}

namespace {

QString Formatted(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return QString::fromUtf8(text);
}

}  // namespace

void TForm5::SurfaceHover(TSurfaceNearestTool& tool)
{
    if (tool.Cell() == -1) {
        Label1->clear();
        return;
    }
    double row = 0.0;
    double column = 0.0;
    tool.GetRowCol(chart_, row, column);
    const RealMatrixT& density = state_.densityField;
    if (spectrumShown_) {
        // The spectrum's cells are 2 by 2 blocks of the 256 by 256 magnitudes.
        const int u = std::clamp(2 * static_cast<int>(row), 0, density.Rows() - 1);
        const int v = std::clamp(2 * static_cast<int>(column), 0, density.Cols() - 1);
        Label1->setText(Formatted("FFT2: u = %d, v = %d, |F| = %.3e", u, v, density[u][v]));
        return;
    }
    const GridSettings& grid = state_.grid;
    const SimulationParameters& p = state_.parameters;
    const double z = grid.decimationZ * column * grid.dz / state_.scaleZ.Factor() + p.zOffset;
    const double x = grid.decimationX * row * grid.dx / state_.scaleX.Factor();
    const int gridRow = std::clamp(static_cast<int>(grid.decimationX * row + grid.nx / 2), 0, density.Rows() - 1);
    const int gridColumn = std::clamp(static_cast<int>(grid.decimationZ * column), 0, density.Cols() - 1);
    Label1->setText(Formatted("x = %.0f nm (%.3f d), z = %.0f nm (%.3f zt), norm(PSI) = %.3e", x * 1e9, x / p.d,
                              z * 1e9, z / (2 * p.d * p.d / p.lambda), density[gridRow][gridColumn]));
}

void TForm5::Image1MouseMove(int x, int y)
{
    state_.hoveredStart = kNoHoveredStart;
    if (y < 0 || y >= state_.carpetRed.Rows() || x < 0 || x >= state_.carpetRed.Cols()) {
        return;
    }
    const int red = state_.carpetRed[y][x];
    const int green = state_.carpetGreen[y][x];
    const int blue = state_.carpetBlue[y][x];
    const double start = state_.trajectoryStartGrid[y][x];
    const int startRow = static_cast<int>(start);
    if (startRow == 0) {
        Label1->setText(Formatted("x = %d, z = %d, RGB = %d:%d:%d", y, x, red, green, blue));
        return;
    }
    state_.hoveredStart = startRow;
    const double xs = (startRow - state_.grid.nx * 0.5) * state_.grid.dx / state_.scaleX.Factor();
    Label1->setText(Formatted("x = %d, z = %d, RGB = %d:%d:%d, Start = %.2f (%.0f nm, %.03f d)", y, x, red, green,
                              blue, start, xs * 1e9, xs / state_.parameters.d));
}

void TForm5::Image1MouseDown(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton || Busy() || y < 0 || y >= state_.trajectoryStartGrid.Rows() || x < 0 ||
        x >= state_.trajectoryStartGrid.Cols()) {
        return;
    }
    const int startRow = static_cast<int>(state_.trajectoryStartGrid[y][x]);
    if (startRow == 0) {
        return;
    }
    RepaintTrajectory(state_, startRow, ColorBox1->currentData().value<TColor>());
    WriteImageFile();
    ShowCarpetPicture();
    PageControl1Change();
}

void TForm5::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event->key());
    QWidget::keyPressEvent(event);
}

void TForm5::FormKeyDown(int key)
{
    if (key != Qt::Key_F11 || Busy() || !ApplySpectrumView(state_)) {
        return;
    }
    spectrumShown_ = true;
    mainChart_.FillSurface(kSpectrumSize / 2, kSpectrumSize / 2, SpectrumSurfacePoints(state_));
    std::vector<std::string> legend = chart_.LegendTitle();
    legend.push_back("FFT2");
    chart_.SetLegendTitle(std::move(legend));
}

}  // namespace nivaro
