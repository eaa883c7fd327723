#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <clocale>
#include <cstdio>
#include <functional>
#include <unistd.h>

#include "TestFiles.h"
#include "carpet/TableWriter.h"
#include "chart/SurfaceSeries.h"
#include "platform/QPainterDevice.h"
#include "window/CarpetView.h"
#include "window/ColourBar.h"
#include "window/HistogramPlot.h"
#include "figure/QuantumPotentialMap.h"
#include "window/MainWindow.h"
#include "window/Stepper.h"
#include "window/UserDialogs.h"

namespace nivaro {
namespace {

class RecordingDialogs final : public UserDialogs {
public:
    void ShowError(const QString& text) override { errors << text; }
    DzbAnswer AskAboutDzb() override
    {
        ++dzbQuestions;
        if (onDzbQuestion) {
            onDzbQuestion();
        }
        const DzbAnswer answer = answers.empty() ? DzbAnswer::Ignore : answers.front();
        if (!answers.empty()) {
            answers.erase(answers.begin());
        }
        return answer;
    }

    bool ConfirmLongWork(const QString& estimate) override
    {
        longWorkQuestions << estimate;
        return acceptLongWork;
    }

    std::optional<QString> AskSaveFileName(const SaveRequest& request) override
    {
        lastSaveRequest = request;
        return saveName;
    }

    bool Confirm(const QString& question) override
    {
        questions << question;
        return confirm;
    }

    std::optional<int> AskPictureScale(const QSize& viewSize) override
    {
        pictureScaleAskedFor = viewSize;
        return pictureScale;
    }

    void ShowInformation(const QString& title, const QString& text) override { information << title + "\n" + text; }

    std::optional<SweepRequest> AskSweep(const QString&) override { return sweep; }

    QStringList errors;
    QStringList questions;
    bool confirm = true;
    std::optional<int> pictureScale = 1;
    QSize pictureScaleAskedFor;
    QStringList information;
    std::optional<SweepRequest> sweep;
    QStringList longWorkQuestions;
    bool acceptLongWork = false;
    std::vector<DzbAnswer> answers;
    std::optional<QString> saveName;
    SaveRequest lastSaveRequest;
    std::function<void()> onDzbQuestion;
    int dzbQuestions = 0;
};

// A window started in a scratch folder that serves as its executable folder
// and its current folder.
class MainWindowTest : public testing::Test {
protected:
    MainWindowTest() : previousFolder_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder.Path());
    }
    ~MainWindowTest() override { std::filesystem::current_path(previousFolder_); }

    MainWindow& Start(const std::string& configuration = {})
    {
        if (!configuration.empty()) {
            std::ofstream(folder / "nivaro.ini") << configuration;
        }
        window = std::make_unique<MainWindow>(state, dialogs);
        started = window->Start(QString::fromStdString(folder.Path().string()));
        return *window;
    }

    template <typename Widget>
    Widget* Find(const char* name) const
    {
        Widget* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void Apply()
    {
        Find<QPushButton>("applyButton")->click();
        QCoreApplication::processEvents();
    }

    void Trigger(const char* action)
    {
        QAction* item = window->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        item->trigger();
    }

    ScratchFolder folder;
    SimulationState state;
    RecordingDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    bool started = false;

private:
    std::filesystem::path previousFolder_;
};

TEST_F(MainWindowTest, StartUpWithoutAFileShowsTheDefaults)
{
    Start();
    ASSERT_TRUE(started);
    EXPECT_EQ(window->windowTitle(), "Nivaro v. 1.26");
    EXPECT_EQ(Find<QLineEdit>("slitsField")->text(), "2");
    EXPECT_EQ(Find<QComboBox>("massBox")->currentText(), "9.1095E-31");
    EXPECT_EQ(Find<QComboBox>("massBox")->itemText(1), "neutron: 1.674927E-27");
    EXPECT_EQ(Find<QLineEdit>("nxField")->text(), "300");
    EXPECT_EQ(Find<QLineEdit>("dxbField")->text(), "0.5");
    EXPECT_EQ(Find<QLineEdit>("lambdaField")->text(), "1E-8");
    EXPECT_EQ(Find<QLineEdit>("sigma0Field")->text(), "2E-9");
    EXPECT_EQ(Find<QLineEdit>("xScaleField")->text(), "1:1");
    EXPECT_EQ(Find<QTabWidget>("pages")->currentIndex(), 0);
    EXPECT_EQ(Find<QTabWidget>("pages")->tabText(1), "         2D         ");
    EXPECT_EQ(Find<QComboBox>("highlightColourBox")->count(), 14);
    EXPECT_EQ(Find<QComboBox>("highlightColourBox")->currentText(), "Blue");
    EXPECT_TRUE(Find<QTimer>("delayedApplyTimer")->isActive()) << "the first Apply is armed";
    EXPECT_EQ(window->DensityChart().LegendTitle(), (std::vector<std::string>{"Waiting...", "Waiting...", "Waiting..."}));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainWindowTest, TheFirstApplyComputesWritesBackAndShowsTheChart)
{
    Start("[AXIS]\nX-scale=3:2\nz0=0\n");
    EXPECT_EQ(Find<QLineEdit>("xScaleField")->text(), "3:1");
    QTest::qWait(1300);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->CurrentView(), ViewMode::Chart);
    const SurfaceSeries& surface = dynamic_cast<SurfaceSeries&>(window->DensityChart().GetSeries(0));
    EXPECT_EQ(surface.Count(), 75 * 75);
    EXPECT_EQ(window->DensityChart().SeriesCount(), 1);
    EXPECT_EQ(window->DensityChart().LegendTitle().front(), "slits=2");
    EXPECT_EQ(window->DensityChart().LegendTitle().back(), "P-scale=1:1");
    EXPECT_NE(ReadWholeFile(folder / "nivaro.ini").find("X-scale=3:1\nz0=0"), std::string::npos)
        << ReadWholeFile(folder / "nivaro.ini");
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("time = "));
    EXPECT_EQ(Find<QProgressBar>("progressBar")->value(), 99);
    EXPECT_TRUE(Find<QWidget>("controlPanel")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, AFieldThatDoesNotConvertComputesNothing)
{
    Start();
    Find<QLineEdit>("slitsField")->setText("2.5");
    Find<QLineEdit>("lambdaField")->setText("3E-8");
    Apply();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors.front(), "'2.5' is not a valid integer value");
    EXPECT_EQ(state.parameters.lambda, 1e-8) << "no field is taken over";
    EXPECT_EQ(window->DensityChart().GetSeries(0).Count(), 0);
    EXPECT_TRUE(Find<QPushButton>("applyButton")->isEnabled());

    Find<QLineEdit>("slitsField")->setText("0");
    Apply();
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors.back().contains("slits=0")) << dialogs.errors.back().toStdString();
}

TEST_F(MainWindowTest, TrajectorySeriesComeAndGoWithTheCheckBox)
{
    Start();
    Find<QCheckBox>("showTrajectories3DBox")->click();
    EXPECT_TRUE(Find<QTimer>("delayedApplyTimer")->isActive());
    Apply();
    ASSERT_EQ(window->DensityChart().SeriesCount(), 25);
    const auto& first = dynamic_cast<PointSeries3D&>(window->DensityChart().GetSeries(1));
    EXPECT_EQ(first.PointerShape, PointerStyle::SmallDot);
    EXPECT_FALSE(first.MarksVisible);
    EXPECT_GT(first.Count(), 0);
    Apply();
    EXPECT_EQ(window->DensityChart().SeriesCount(), 25) << "the old series are replaced, not added to";
    Find<QCheckBox>("showTrajectories3DBox")->click();
    Apply();
    EXPECT_EQ(window->DensityChart().SeriesCount(), 1);
}

TEST_F(MainWindowTest, TheTwoDimensionalPageComputesTheCarpetOncePerDensity)
{
    Start();
    Apply();
    auto* pages = Find<QTabWidget>("pages");
    pages->setCurrentIndex(1);
    window->ShowViewOfPage();
    EXPECT_EQ(window->CurrentView(), ViewMode::Image);
    auto* image = Find<CarpetView>("carpetView");
    ASSERT_TRUE(image->HasPicture());
    EXPECT_EQ(image->Picture().size(), QSize(300, 300));
    EXPECT_EQ(std::filesystem::file_size(folder / "out.bmp"), 270054u);
    const qint64 picture = image->Picture().cacheKey();
    pages->setCurrentIndex(0);
    window->ShowViewOfPage();
    EXPECT_EQ(window->CurrentView(), ViewMode::Chart);
    pages->setCurrentIndex(1);
    window->ShowViewOfPage();
    EXPECT_EQ(image->Picture().cacheKey(), picture) << "the stored picture is only shown again";

    Apply();
    EXPECT_NE(image->Picture().cacheKey(), picture) << "on the 2D page Apply recomputes the carpet too";
    EXPECT_EQ(window->CurrentView(), ViewMode::Image);
}

// The 2D page's integrator draws the carpet's paths again at once, and the
// configuration keeps it.
TEST_F(MainWindowTest, TheIntegratorChoiceRedrawsThePathsAndIsKept)
{
    Start("[2D]\nintegrator=adaptive\n");
    auto* integrator = Find<QComboBox>("integratorBox");
    EXPECT_EQ(integrator->currentIndex(), 1) << "as the file has it";
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    Apply();
    EXPECT_EQ(state.grid.integrator, Integrator::Adaptive);
    auto* image = Find<CarpetView>("carpetView");
    const QImage adaptive = image->Picture();
    integrator->setCurrentIndex(0);
    emit integrator->activated(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(state.grid.integrator, Integrator::Euler);
    EXPECT_NE(image->Picture(), adaptive) << "other steps, other pixels";
    Apply();
    std::ifstream file(folder / "nivaro.ini");
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    EXPECT_NE(text.find("integrator=euler"), std::string::npos) << text;
}

TEST_F(MainWindowTest, TheModelChoicesAreShownTakenAndKept)
{
    Start("[MODEL]\ngrating=phase\n");
    EXPECT_EQ(Find<QComboBox>("gratingBox")->currentIndex(), 2) << "as the file has it";
    Apply();
    auto* warning = Find<QLabel>("paraxialWarning");
    EXPECT_FALSE(warning->isHidden()) << "lambda = d is far from paraxial";
    EXPECT_TRUE(warning->toolTip().contains("lambda/d = 1")) << warning->toolTip().toStdString();
    Find<QComboBox>("modelBox")->setCurrentIndex(1);
    Find<QComboBox>("propagatorBox")->setCurrentIndex(1);
    Apply();
    EXPECT_EQ(state.parameters.wave.model, FieldModel::Wave);
    EXPECT_EQ(state.parameters.wave.propagator, Propagator::Exact);
    EXPECT_GT(state.densityField.MaxElement(), 0.0);
    EXPECT_TRUE(warning->isHidden()) << "exact propagation needs no warning";
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(state.trajectoryStartGrid.Rows(), state.grid.nx) << "the wave model's carpet comes with its paths";
    EXPECT_TRUE(Find<CarpetView>("carpetView")->HasPicture());
    std::ifstream file(folder / "nivaro.ini");
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    EXPECT_NE(text.find("[MODEL]\ngrating=phase\nmodel=wave\npropagator=exact\n"), std::string::npos)
        << "the file's keys keep their places: " << text;
}

TEST_F(MainWindowTest, CarpetFailuresLeaveTheBusyState)
{
    Start();
    Apply();
    std::filesystem::create_directory(folder / "out.bmp");  // cannot be replaced by a file
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().contains("out.bmp")) << Find<QLabel>("statusLine")->text().toStdString();
    EXPECT_TRUE(Find<CarpetView>("carpetView")->HasPicture()) << "the picture is shown all the same";
    EXPECT_TRUE(Find<QWidget>("controlPanel")->isEnabled());

    Find<QLineEdit>("contrastField")->setText("abc");
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << "no message box while the contrast is typed";
    EXPECT_TRUE(Find<QWidget>("controlPanel")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window->CurrentView(), ViewMode::Image);
}

// After a computation on the 2D page the status line says how long it took,
// or what the page has to say beyond that.
TEST_F(MainWindowTest, TheStatusLineAfterA2DComputationSaysWhatHappened)
{
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* says;
    };
    const Case cases[] = {
        {"a plain carpet", [] {}, "time = "},
        {"sampled paths", [this] { Find<QComboBox>("startModeBox")->setCurrentIndex(1); }, "total variation distance"},
        {"out.bmp in the way",
         [this] {
             std::filesystem::remove(folder / "out.bmp");
             std::filesystem::create_directory(folder / "out.bmp");
         },
         "out.bmp"},
    };
    for (const Case& c : cases) {
        Start();
        Find<QTabWidget>("pages")->setCurrentIndex(1);
        c.prepare();
        Apply();
        EXPECT_TRUE(Find<QLabel>("statusLine")->text().contains(QString::fromLatin1(c.says)))
            << c.what << ": " << Find<QLabel>("statusLine")->text().toStdString();
        std::filesystem::remove_all(folder / "out.bmp");
    }
    // A field the carpet cannot use refuses the Apply before anything is computed.
    Find<QLineEdit>("slitsField")->setText("3");
    Find<QLineEdit>("binsField")->setText("0");
    Apply();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.back().startsWith("bins=0")) << dialogs.errors.back().toStdString();
    EXPECT_EQ(state.parameters.slits, 2);
}

// Without a density (the first computation stopped before it ended) the
// carpet cannot be drawn, and the status line says why.
TEST_F(MainWindowTest, TheCarpetWithoutADensitySaysWhy)
{
    Start();
    Find<QTimer>("delayedApplyTimer")->stop();
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().contains("does not match")) << Find<QLabel>("statusLine")->text().toStdString();
    EXPECT_FALSE(Find<CarpetView>("carpetView")->HasPicture());
}

TEST_F(MainWindowTest, WorkBeyondTheLimitsIsAskedAboutWithItsEstimate)
{
    Start("[2D]\nstep=0.00001\n");
    Apply();
    ASSERT_TRUE(dialogs.longWorkQuestions.isEmpty()) << "the density alone is quick";
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    ASSERT_EQ(dialogs.longWorkQuestions.size(), 1) << "the carpet would trace for long";
    EXPECT_TRUE(dialogs.longWorkQuestions.front().contains("of computation")) << dialogs.longWorkQuestions.front().toStdString();
    EXPECT_FALSE(Find<CarpetView>("carpetView")->HasPicture()) << "declined: nothing computed";
    EXPECT_TRUE(Find<QWidget>("controlPanel")->isEnabled());

    Find<QLineEdit>("slitsField")->setText("100000000");
    Apply();
    EXPECT_TRUE(dialogs.errors.back().contains("memory")) << dialogs.errors.back().toStdString();
    EXPECT_EQ(state.parameters.slits, 2) << "refused settings are not taken over";

    // A grid beyond the memory available is refused with the figures before
    // anything is allocated; the results and the file stay as they were.
    Find<QLineEdit>("slitsField")->setText("2");
    const double* density = state.densityField.Data();
    const std::string configuration = ReadWholeFile(folder / "nivaro.ini");
    Find<QLineEdit>("nxField")->setText("1000000");
    Find<QLineEdit>("nzField")->setText("1000000");
    Apply();
    EXPECT_TRUE(dialogs.errors.back().contains("GB")) << dialogs.errors.back().toStdString();
    EXPECT_EQ(state.grid.nx, 300);
    EXPECT_EQ(state.densityField.Data(), density);
    EXPECT_EQ(ReadWholeFile(folder / "nivaro.ini"), configuration);
}

TEST_F(MainWindowTest, ApplyFromAScaleFieldComputesOnceAndCtrlTabShowsTheCarpet)
{
    Start();
    window->show();
    auto* timer = Find<QTimer>("delayedApplyTimer");
    timer->stop();
    Find<QLineEdit>("zScaleField")->setFocus();
    Apply();
    EXPECT_FALSE(timer->isActive()) << "leaving the unchanged field while busy arms no second computation";

    QTest::keyClick(Find<QTabWidget>("pages"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->CurrentView(), ViewMode::Image);
    EXPECT_TRUE(Find<CarpetView>("carpetView")->HasPicture()) << "the tab rule draws the carpet";
}

TEST_F(MainWindowTest, ASmallWindowScrollsThePanelInsteadOfCrushingItsFields)
{
    Start();
    window->show();
    window->resize(window->minimumSize());
    QCoreApplication::processEvents();
    for (QLineEdit* field : Find<QWidget>("controlPanel")->findChildren<QLineEdit*>()) {
        EXPECT_GE(field->height(), field->minimumSizeHint().height()) << field->objectName().toStdString();
    }
    EXPECT_TRUE(Find<QScrollArea>("controlPanelScroll")->verticalScrollBar()->isVisible());
    auto* mass = Find<QComboBox>("massBox");
    EXPECT_GE(mass->lineEdit()->width(), mass->fontMetrics().horizontalAdvance("1.674927E-27"))
        << "the neutron mass shows whole";
}

// At the window's first size the whole panel shows, with one Apply.
TEST_F(MainWindowTest, ThePanelFitsTheFirstWindowSizeWithOneApply)
{
    Start();
    const int height = 796 - Find<QMenuBar>("menuBar")->sizeHint().height() - Find<QWidget>("statusPanel")->height();
    auto* panel = Find<QWidget>("controlPanel");
    EXPECT_LE(panel->sizeHint().height(), height);
    int applies = 0;
    for (const QPushButton* button : panel->findChildren<QPushButton*>()) {
        applies += button->text() == "Apply";
    }
    EXPECT_EQ(applies, 1);
}

TEST_F(MainWindowTest, ScaleControlsArmOneDelayedApply)
{
    Start();
    auto* timer = Find<QTimer>("delayedApplyTimer");
    timer->stop();
    auto* up = Find<Stepper>("xScaleStepper");
    emit up->changing(ScaleDirection::Up);
    EXPECT_EQ(Find<QLineEdit>("xScaleField")->text(), "2:1");
    QTest::qWait(300);
    emit up->changing(ScaleDirection::Up);
    EXPECT_EQ(Find<QLineEdit>("xScaleField")->text(), "3:1");
    EXPECT_EQ(state.scaleX.Factor(), 3.0);
    EXPECT_LT(timer->remainingTime(), 800) << "arming an armed timer does not restart it";

    emit Find<Stepper>("pScaleStepper")->changing(ScaleDirection::Down);
    EXPECT_EQ(Find<QLineEdit>("pScaleField")->text(), "1:2");

    timer->stop();
    auto* zField = Find<QLineEdit>("zScaleField");
    window->show();
    zField->setFocus();
    zField->setText("letters");
    Find<QLineEdit>("lambdaField")->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(zField->text(), "letters");
    EXPECT_FALSE(timer->isActive()) << "a text that does not parse changes nothing";
    zField->setFocus();
    zField->setText("2:3");
    Find<QLineEdit>("lambdaField")->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(zField->text(), "1:3");
    EXPECT_TRUE(timer->isActive());
}

TEST_F(MainWindowTest, ObsoleteDzbAsksUntilIgnoredOrRemoved)
{
    dialogs.answers = {UserDialogs::DzbAnswer::Abort};
    Start("[2D]\ndzb=5\n");
    EXPECT_FALSE(started) << "Abort ends the program";

    dialogs.answers = {UserDialogs::DzbAnswer::Retry, UserDialogs::DzbAnswer::Retry};
    dialogs.dzbQuestions = 0;
    dialogs.onDzbQuestion = [this] {
        if (dialogs.dzbQuestions == 2) {
            std::ofstream(folder / "nivaro.ini") << "[2D]\ndzb=\n";
        }
    };
    Start("[2D]\ndzb=5\n");
    EXPECT_TRUE(started);
    EXPECT_EQ(dialogs.dzbQuestions, 2) << "Retry reads the file again";
}

TEST_F(MainWindowTest, UnusableGridValuesAreReportedOnceAtStartUp)
{
    Start("[2D]\nnx=0\n");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.front().contains("nx=0"));
    EXPECT_EQ(state.grid.nx, 300);
}

TEST_F(MainWindowTest, ClosingDuringAComputationStopsItAndKeepsOnlyTheSession)
{
    Start();
    window->show();
    QTimer::singleShot(0, window.get(), [this] { window->close(); });
    Apply();
    EXPECT_TRUE(state.stopRequested.load());
    EXPECT_EQ(state.densityField.Rows(), 0) << "nothing of the stopped computation is taken";
    const std::string configuration = ReadWholeFile(folder / "nivaro.ini");
    EXPECT_NE(configuration.find("[WINDOW]"), std::string::npos);
    EXPECT_EQ(configuration.find("[PARAMETERS]"), std::string::npos) << "only a completed computation is written back";
    EXPECT_TRUE(Find<QWidget>("controlPanel")->isEnabled());
}

// What the window shows of its results and keeps on disk, to compare after
// a computation that was cancelled.
struct ShownResults {
    qint64 picture;
    const double* density;
    const std::uint8_t* plane;
    std::vector<double> surface;
    std::string configuration;
    bool operator==(const ShownResults&) const = default;
};

class CancelTest : public MainWindowTest {
protected:
    // Both pages computed with the default settings, the 2D page shown.
    void ShowBothPages()
    {
        Start();
        window->show();
        Apply();
        Find<QTabWidget>("pages")->setCurrentIndex(1);
        ASSERT_TRUE(Find<CarpetView>("carpetView")->HasPicture());
    }

    ShownResults Shown() const
    {
        const auto& surface = dynamic_cast<SurfaceSeries&>(window->DensityChart().GetSeries(0));
        std::vector<double> heights;
        for (int k = 0; k < surface.YValues().Count(); ++k) {
            heights.push_back(surface.YValues()[k]);
        }
        return {Find<CarpetView>("carpetView")->Picture().cacheKey(), state.densityField.Data(), state.carpetRed.Data(),
                std::move(heights), ReadWholeFile(folder / "nivaro.ini")};
    }

    void ExpectNothingChanged(const ShownResults& before) const
    {
        EXPECT_FALSE(window->Busy());
        EXPECT_EQ(state.grid.nx, 300);
        EXPECT_EQ(state.parameters.slits, 2);
        EXPECT_TRUE(Shown() == before) << "the results, both pages and the file stay as they were";
        EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("Cancelled after "));
        EXPECT_FALSE(Find<QWidget>("progressView")->isVisible());
    }
};

// The computation runs off the window's thread: the window answers while it
// runs, and a cancel leaves the results, both pages and the file as they were.
TEST_F(CancelTest, TheWindowAnswersWhileItComputesAndACancelChangesNothing)
{
    ShowBothPages();
    const ShownResults before = Shown();
    Find<QLineEdit>("nxField")->setText("3000");
    Find<QLineEdit>("nzField")->setText("3000");
    Find<QLineEdit>("slitsField")->setText("100");
    bool answered = false;
    QTimer::singleShot(0, window.get(), [&] {
        EXPECT_TRUE(window->Busy()) << "the timer fires while the computation runs";
        EXPECT_TRUE(Find<QWidget>("progressView")->isVisible());
        EXPECT_EQ(window->CurrentView(), ViewMode::Image) << "the results stay in view";
        window->DensityChart().View3DOptions().SetRotation(33);
        auto* menu = Find<QMenu>("carpetMenu");
        menu->popup(window->mapToGlobal(QPoint(20, 20)));
        EXPECT_TRUE(menu->isVisible());
        menu->close();
        answered = true;
        Find<QPushButton>("cancelButton")->click();
    });
    Apply();
    EXPECT_TRUE(answered);
    EXPECT_EQ(window->DensityChart().View3DOptions().Rotation(), 33);
    ExpectNothingChanged(before);
}

// On the 2D page an Apply computes the density, the carpet and its sampled
// ensemble before it shows any of them: a cancel after the density changes
// nothing either.
TEST_F(CancelTest, ACancelAfterTheDensityOfA2DApplyChangesNothing)
{
    ShowBothPages();
    const ShownResults before = Shown();
    Find<QLineEdit>("slitsField")->setText("5");
    Find<QComboBox>("startModeBox")->setCurrentIndex(1);
    Find<QLineEdit>("ensembleSizeField")->setText("100000");
    // The density reports as "Computing...  N%", the carpet and the ensemble
    // after it as "Computing... N%".
    bool densitySeen = false;
    QTimer watcher;
    watcher.setInterval(1);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        static const QRegularExpression density(QStringLiteral("^Computing\\.\\.\\.  \\d+%$"));
        static const QRegularExpression afterDensity(QStringLiteral("^Computing\\.\\.\\. \\d+%$"));
        const QString caption = Find<QLabel>("progressCaption")->text();
        densitySeen = densitySeen || density.match(caption).hasMatch();
        if (densitySeen && afterDensity.match(caption).hasMatch()) {
            watcher.stop();
            QTest::keyClick(window.get(), Qt::Key_Escape);
        }
    });
    watcher.start();
    Apply();
    EXPECT_FALSE(watcher.isActive()) << "cancelled after the density";
    ExpectNothingChanged(before);
}

// Cancel and Esc stop the computation as closing does, but the window stays
// idle with the results of the computation before.
TEST_F(MainWindowTest, CancelStopsAComputationAndKeepsThePreviousResults)
{
    Start();
    window->show();
    Apply();
    const double middle = state.densityField[150][150];
    const auto& surface = dynamic_cast<SurfaceSeries&>(window->DensityChart().GetSeries(0));
    const double surfaceValue = surface.YValues()[1000];
    const std::vector<std::function<void()>> cancels = {
        [this] { Find<QPushButton>("cancelButton")->click(); },
        [this] { QTest::keyClick(window.get(), Qt::Key_Escape); },
    };
    for (const auto& cancel : cancels) {
        Find<QLineEdit>("slitsField")->setText("5");
        QTimer::singleShot(0, window.get(), cancel);
        Apply();
        EXPECT_FALSE(window->Busy());
        EXPECT_TRUE(Find<QWidget>("controlPanel")->isEnabled());
        EXPECT_EQ(window->CurrentView(), ViewMode::Chart);
        EXPECT_EQ(state.parameters.slits, 2);
        EXPECT_EQ(state.densityField[150][150], middle);
        EXPECT_EQ(surface.YValues()[1000], surfaceValue);
        EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("Cancelled after "));
    }
    Apply();
    EXPECT_EQ(state.parameters.slits, 5) << "the next Apply runs to the end";
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("time = "));
}

// Two documents take turns: the one an Apply replaced is computed into by
// the next, so a grid of an unchanged shape is not allocated anew.
TEST_F(MainWindowTest, ApplyingTheSameGridAgainReusesItsBlocks)
{
    Start();
    Apply();
    const double* first = state.densityField.Data();
    Apply();
    EXPECT_NE(state.densityField.Data(), first) << "the shown grid stays while the next is computed";
    Apply();
    EXPECT_EQ(state.densityField.Data(), first);
}

TEST_F(MainWindowTest, TheSessionIsRememberedInItsOwnSection)
{
    Start("[PARAMETERS]\nslits=3\n[WINDOW]\nleft=40\ntop=30\nwidth=700\nheight=500\nmaximized=0\npage=1\n"
          "rotation=10\ncontrast=3\ntrajectories3D=1\nlegend=0\nnanometreLabels=0\n");
    EXPECT_EQ(window->size(), QSize(700, 500));
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(Find<QTabWidget>("pages")->currentIndex(), 1);
    EXPECT_EQ(Find<QLineEdit>("contrastField")->text(), "3");
    EXPECT_TRUE(Find<QCheckBox>("showTrajectories3DBox")->isChecked());
    EXPECT_EQ(window->DensityChart().View3DOptions().Rotation(), 10);
    EXPECT_FALSE(window->DensityChart().LegendVisible());
    EXPECT_TRUE(Find<QAction>("blockLabelsAction")->isChecked());

    window->DensityChart().View3DOptions().SetRotation(20);
    Find<QCheckBox>("showTrajectoriesBox")->setChecked(false);
    Find<QTabWidget>("pages")->setCurrentIndex(0);
    Find<QComboBox>("surfaceContentBox")->setCurrentIndex(1);
    Find<QComboBox>("carpetContentBox")->setCurrentIndex(1);
    Find<QComboBox>("startModeBox")->setCurrentIndex(1);
    Find<QComboBox>("highlightColourBox")->setCurrentText("Red");
    Trigger("greyMapAction");
    Trigger("logarithmicSpectrumAction");
    Apply();
    Trigger("spectrumAction");
    ASSERT_TRUE(Find<QAction>("spectrumAction")->isChecked()) << dialogs.errors.join('\n').toStdString();
    window->close();
    const std::string file = ReadWholeFile(folder / "nivaro.ini");
    EXPECT_EQ(file.rfind("[PARAMETERS]\nslits=3\n", 0), 0u) << file;
    for (const char* line : {"rotation=20\n", "page=0\n", "trajectories=0\n", "contrast=3\n", "width=700\n",
                             "surfaceQ=1\n", "carpetQ=1\n", "sampledStarts=1\n", "trajectoryColour=Red\n",
                             "spectrum=1\n", "colourMap=grey\n", "logarithmicSpectrum=0\n"}) {
        EXPECT_NE(file.find(line), std::string::npos) << line << " in\n" << file;
    }

    // The next run of the window opens as this one closed, the spectrum
    // once its first computation has a psi to transform.
    window.reset();
    Start();
    EXPECT_EQ(Find<QComboBox>("surfaceContentBox")->currentIndex(), 1);
    EXPECT_EQ(Find<QComboBox>("carpetContentBox")->currentIndex(), 1);
    EXPECT_EQ(Find<QComboBox>("startModeBox")->currentIndex(), 1);
    EXPECT_EQ(Find<QComboBox>("highlightColourBox")->currentText(), "Red");
    EXPECT_TRUE(Find<QAction>("greyMapAction")->isChecked());
    const auto& surface = dynamic_cast<const SurfaceSeries&>(window->DensityChart().GetSeries(0));
    EXPECT_EQ(surface.Palette().front().Color, RgbColor(255, 255, 255)) << "grey's light end";
    EXPECT_FALSE(Find<QAction>("logarithmicSpectrumAction")->isChecked());
    EXPECT_FALSE(Find<QAction>("spectrumAction")->isChecked());
    Apply();
    EXPECT_TRUE(Find<QAction>("spectrumAction")->isChecked());
    EXPECT_EQ(window->DensityChart().LegendTitle().back(), "FFT2");
}

// A stored place beyond the screen is brought onto it, no larger than it.
TEST_F(MainWindowTest, AStoredPlaceBeyondTheScreenIsBroughtOntoIt)
{
    Start("[WINDOW]\nleft=-99999999\ntop=2147483000\nwidth=2147483647\nheight=2147483647\n");
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->geometry())) << window->geometry().width() << "x" << window->geometry().height();
}

TEST_F(MainWindowTest, NumbersKeepTheDecimalPointUnderACommaLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the set-up script generates this locale";
    Start("[PARAMETERS]\nlambda=1.5E-8\n");
    Apply();
    const std::string configuration = ReadWholeFile(folder / "nivaro.ini");
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* table = ::open_memstream(&buffer, &size);
    WriteTable(table, state.densityField);
    std::fclose(table);
    const std::string text(buffer, size);
    std::free(buffer);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(Find<QLineEdit>("lambdaField")->text(), "1.5E-8");
    EXPECT_NE(configuration.find("lambda=1.5E-8\n"), std::string::npos) << configuration;
    EXPECT_NE(configuration.find("d=1E-8\n"), std::string::npos) << configuration;
    EXPECT_NE(configuration.find("dxb=0.5"), std::string::npos);
    EXPECT_EQ(text.substr(0, 8), " 0.0000\t");
    EXPECT_EQ(text.find(','), std::string::npos);
}

// Counts pixels of a picture that a predicate accepts within a rectangle.
int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& accept)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += accept(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

TEST_F(MainWindowTest, TheDefaultSurfaceIsDrawnAsAPersonWouldSeeIt)
{
    Start();
    Apply();
    QImage picture(832, 740, QImage::Format_RGB32);
    {
        QPainterDevice device(picture);
        window->DensityChart().Draw(device);
    }
    const QRect middle(832 / 4, 740 / 4, 832 / 2, 740 / 2);
    const int coloured = CountPixels(picture, middle, [](QColor c) { return c != Qt::white; });
    EXPECT_GT(coloured, middle.width() * middle.height() / 2) << "the surface fills the middle of the chart";
    const auto lime = [](QColor c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; };
    const auto maroon = [](QColor c) { return c.red() > 100 && c.red() < 170 && c.green() < 40 && c.blue() < 40; };
    EXPECT_GT(CountPixels(picture, picture.rect(), lime), 1000) << "the low density is lime";
    EXPECT_GT(CountPixels(picture, picture.rect(), maroon), 50) << "the peaks are maroon";
    const QRect legend(832 - 200, 0, 200, 120);
    EXPECT_GT(CountPixels(picture, legend, [](QColor c) { return c.value() < 100; }), 100)
        << "the legend's parameter lines are at the top right";

    const auto& surface = dynamic_cast<const SurfaceSeries&>(window->DensityChart().GetSeries(0));
    EXPECT_EQ(surface.CountLegendItems(), 50);
    EXPECT_EQ(surface.LegendString(49), "-0.815");
    EXPECT_EQ(surface.LegendString(0), "1.222");
}

class InteractionTest : public MainWindowTest {
protected:
    // The window shown at a fixed size after its first computation, with the
    // chart painted once.
    void StartShown()
    {
        Start();
        window->resize(1200, 800);
        window->show();
        Apply();
        chart = Find<QWidget>("chartView");
        chart->repaint();
    }

    // The screen point in the middle of the surface cell whose smallest X is x0
    // and whose smallest Z is z0.
    QPoint CellCentre(double x0, double z0)
    {
        const auto& surface = dynamic_cast<const SurfaceSeries&>(window->DensityChart().GetSeries(0));
        const SeriesPaintContext context = window->DensityChart().PaintContext();
        long sx = 0;
        long sy = 0;
        for (const double x : {x0, x0 + 1}) {
            for (const double z : {z0, z0 + 1}) {
                double y = 0;
                for (int k = 0; k < surface.Count(); ++k) {
                    if (surface.XValues()[k] == x && surface.ZValues()[k] == z) {
                        y = surface.YValues()[k];
                    }
                }
                const DevicePoint p = context.canvas.Calc3DPos(context.horizontal.CalcPosValue(x),
                                                               context.vertical.CalcPosValue(y),
                                                               context.depth.CalcPosValue(z));
                sx += p.x;
                sy += p.y;
            }
        }
        return {static_cast<int>(sx / 4), static_cast<int>(sy / 4)};
    }

    QWidget* chart = nullptr;
};

TEST_F(InteractionTest, DraggingHalfTheChartWidthTurnsTheViewBy45Degrees)
{
    StartShown();
    const int y = chart->height() / 2;
    QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(10, y));
    QTest::mouseMove(chart, QPoint(10 + chart->width() / 2, y));
    QTest::mouseRelease(chart, Qt::LeftButton, {}, QPoint(10 + chart->width() / 2, y));
    EXPECT_EQ(window->DensityChart().View3DOptions().Rotation(), 19);
    EXPECT_EQ(window->DensityChart().View3DOptions().Elevation(), 304);
}

TEST_F(InteractionTest, ADragCutShortByAComputationEnds)
{
    StartShown();
    const int y = chart->height() / 2;
    QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(10, y));
    Apply();  // hides the chart while it computes: the release never reaches it
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(1, 1));
    chart->repaint();
    const double rotation = window->DensityChart().View3DOptions().Rotation();
    QTest::mouseMove(chart, QPoint(10 + chart->width() / 2, y));
    EXPECT_EQ(window->DensityChart().View3DOptions().Rotation(), rotation) << "moving without a button turns nothing";
    QTest::mouseMove(chart, CellCentre(0, 30));
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("x = ")) << "the hover readout still works";
}

TEST_F(InteractionTest, TheChartHostGoesBeforeTheChartItShows)
{
    StartShown();
    std::vector<std::string> legendAtTheEnd;
    MainWindow* const closing = window.get();
    QObject::connect(chart, &QObject::destroyed, [closing, &legendAtTheEnd] {
        legendAtTheEnd = closing->DensityChart().LegendTitle();  // the chart must still be alive
    });
    const std::vector<std::string> legend = window->DensityChart().LegendTitle();
    window.reset();
    EXPECT_EQ(legendAtTheEnd, legend);
}

TEST_F(InteractionTest, HoveringTheMiddleRowReadsNearlyZeroNanometres)
{
    StartShown();
    QTest::mouseMove(chart, QPoint(1, 1));  // the readout follows a move into the cell
    QTest::mouseMove(chart, CellCentre(0, 10));
    const QString readout = Find<QLabel>("statusLine")->text();
    const QRegularExpressionMatch match =
        QRegularExpression(R"(^x = (-?\d+\.\d) nm \(-?\d\.\d{3} d\), z = (\d+\.\d) nm \(\d\.\d{3} zt\), norm\(PSI\) = )")
            .match(readout);
    ASSERT_TRUE(match.hasMatch()) << readout.toStdString();
    // The cell at block (0, 10) or a neighbour (the mouse lands on the
    // projected middle of the cell, which perspective shifts), 0.8 nm a block;
    // near the front, where no ridge can hide it.
    EXPECT_NEAR(match.captured(1).toDouble(), 0.0, 0.8);
    EXPECT_NEAR(match.captured(2).toDouble(), 8.8, 2.4);
}

TEST_F(InteractionTest, ClickingATrajectoryRepaintsItInTheChosenColour)
{
    StartShown();
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    auto* image = Find<CarpetView>("carpetView");
    QTest::mouseMove(image, image->WidgetPointOf(QPoint(0, 111)));
    EXPECT_EQ(state.hoveredStart, 111);
    const QString readout = Find<QLabel>("statusLine")->text();
    EXPECT_TRUE(readout.startsWith("x = 111, z = 0, RGB = ")) << readout.toStdString();
    EXPECT_TRUE(readout.contains(QRegularExpression(
        R"(\| x = -7\.8 nm \(-0\.780 d\), z = 0\.0 nm \(0\.000 zt\), norm\(PSI\) = \d\.\d{3}e[-+]\d\d$)")))
        << readout.toStdString();
    QTest::mouseClick(image, Qt::LeftButton, {}, image->WidgetPointOf(QPoint(0, 111)));
    int blue = 0;
    for (int i = 0; i < 300; ++i) {
        for (int j = 0; j < 300; ++j) {
            blue += state.carpetRed[i][j] == 0 && state.carpetGreen[i][j] == 0 && state.carpetBlue[i][j] == 255;
        }
    }
    EXPECT_GT(blue, 150) << "the whole trajectory, not only the clicked pixel";
    EXPECT_EQ(state.trajectoryStartGrid[111][0], 111.0) << "the start grid is not touched";
    EXPECT_EQ(image->Picture().pixelColor(0, 111), QColor(0, 0, 255));
    QTest::mouseMove(image, image->WidgetPointOf(QPoint(299, 0)));
    EXPECT_EQ(state.hoveredStart, kNoHoveredStart) << "no trajectory in the corner";

    Find<QLineEdit>("contrastField")->setText("2");
    QCoreApplication::processEvents();
    EXPECT_EQ(image->Picture().pixelColor(0, 111), QColor(0, 0, 255)) << "a redraw keeps the colour";
    Apply();
    EXPECT_NE(image->Picture().pixelColor(0, 111), QColor(0, 0, 255)) << "until the next Apply";
}

TEST_F(InteractionTest, F11SwitchesBetweenTheDensityAndTheCentredSpectrum)
{
    StartShown();
    Find<QCheckBox>("showTrajectories3DBox")->setChecked(true);
    Apply();
    ASSERT_EQ(window->DensityChart().SeriesCount(), 25);
    const double middle = state.densityField[150][150];
    QTest::keyClick(window.get(), Qt::Key_F11);
    const auto& surface = dynamic_cast<const SurfaceSeries&>(window->DensityChart().GetSeries(0));
    EXPECT_EQ(surface.Count(), 128 * 128);
    EXPECT_EQ(window->DensityChart().SeriesCount(), 1) << "the trajectories go";
    EXPECT_EQ(window->DensityChart().LegendTitle().back(), "FFT2");
    EXPECT_EQ(window->DensityChart().BottomAxis.Title, "fx [1/nm]");
    EXPECT_EQ(Find<ColourBar>("colourBar")->Title(), "log10(|F| / |F|max)") << "the weak orders show beside the spike";
    EXPECT_EQ(surface.YValues().MaxValue(), 0.0);
    EXPECT_GE(surface.YValues().MinValue(), -6.0);
    Trigger("logarithmicSpectrumAction");
    EXPECT_EQ(Find<ColourBar>("colourBar")->Title(), "|F|");
    EXPECT_GT(surface.YValues().MaxValue(), 0.0);
    EXPECT_EQ(state.densityField.Rows(), 300) << "the grids keep the density";
    EXPECT_EQ(state.densityField[150][150], middle);
    chart->repaint();
    QTest::mouseMove(chart, QPoint(1, 1));
    QTest::mouseMove(chart, CellCentre(0, 0));
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("FFT2: u = 0, v = 2, fx = 0.0000 1/nm, fz = 0.0391 1/nm, |F| = "))
        << Find<QLabel>("statusLine")->text().toStdString();
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    EXPECT_EQ(Find<CarpetView>("carpetView")->Picture().size(), QSize(256, 256)) << "the 2D page shows the spectrum";

    QTest::keyClick(window.get(), Qt::Key_F11);
    EXPECT_EQ(surface.Count(), 75 * 75);
    EXPECT_EQ(window->DensityChart().SeriesCount(), 25);
    EXPECT_NE(window->DensityChart().LegendTitle().back(), "FFT2");
    EXPECT_TRUE(window->DensityChart().BottomAxis.Title.starts_with("x [nm]"));
    EXPECT_EQ(Find<CarpetView>("carpetView")->Picture().size(), QSize(300, 300)) << "and the carpet again";
}

// Nothing of the box, its axes or labels cut at the chart's edges (a band
// inside the frame stays white) and no surface colour on the legend.
TEST_F(InteractionTest, TheSurfaceAndItsLabelsFitTheChartAtEverySize)
{
    StartShown();
    const auto expectInside = [this](const std::string& what) {
        chart->repaint();
        const QImage shown = chart->grab().toImage();
        const DeviceRect legend = window->DensityChart().LegendRect();
        constexpr int kBand = 5;
        int onEdge = 0;
        int onLegend = 0;
        for (int y = 1; y < shown.height() - 1; ++y) {
            for (int x = 1; x < shown.width() - 1; ++x) {
                const QColor c = shown.pixelColor(x, y);
                const bool inLegend = x >= legend.left && x <= legend.right && y >= legend.top && y <= legend.bottom;
                const bool inBand = x <= kBand || y <= kBand || x >= shown.width() - 1 - kBand || y >= shown.height() - 1 - kBand;
                onEdge += inBand && !inLegend && c != QColor(Qt::white);
                onLegend += inLegend && (c.green() > c.red() + 60 || c.red() > c.green() + 60);
            }
        }
        EXPECT_EQ(onEdge, 0) << what;
        EXPECT_EQ(onLegend, 0) << what;
    };
    for (const QSize size : {QSize(800, 500), QSize(1200, 800), QSize(1900, 1050)}) {
        window->resize(size);
        QCoreApplication::processEvents();  // the fit comes with the next paint, with no delay
        expectInside("window " + std::to_string(size.width()) + "x" + std::to_string(size.height()));
    }
    auto* pScale = Find<QLineEdit>("pScaleField");
    pScale->setText("3:1");
    QTest::keyClick(pScale, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(state.scaleP.Text(), "3:1");
    expectInside("P-scale 3:1");
    QTest::keyClick(window.get(), Qt::Key_F11);
    expectInside("spectrum");
}

TEST_F(InteractionTest, AxesAreLabelledInNanometresOrInGridBlocks)
{
    StartShown();
    const ChartAxis& across = window->DensityChart().BottomAxis;
    const ChartAxis& along = window->DensityChart().DepthAxis;
    EXPECT_EQ(across.Title, "x [nm]   (d = 10 nm)");
    EXPECT_EQ(along.Title, "z [nm]   (zt = 20 nm)");
    EXPECT_DOUBLE_EQ(across.LabelScale, 0.8) << "4 rows of 0.2 nm a block";
    const auto* colourBar = Find<ColourBar>("colourBar");
    const auto& surface = dynamic_cast<const SurfaceSeries&>(window->DensityChart().GetSeries(0));
    EXPECT_EQ(colourBar->Title(), "norm(PSI)");
    EXPECT_EQ(colourBar->Highest(), surface.YValues().MaxValue());
    EXPECT_TRUE(colourBar->isVisible());
    Trigger("blockLabelsAction");
    EXPECT_EQ(across.Title, "X");
    EXPECT_EQ(along.Title, "Z");
    EXPECT_EQ(across.LabelScale, 1.0);
    Trigger("nanometreLabelsAction");
    EXPECT_DOUBLE_EQ(along.LabelScale, 0.8);
}

TEST_F(InteractionTest, ASampledEnsembleIsDrawnAndComparedWithTheDensity)
{
    StartShown();
    Find<QComboBox>("startModeBox")->setCurrentIndex(1);
    Find<QLineEdit>("ensembleSizeField")->setText("0");
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_TRUE(dialogs.errors.front().startsWith("K=0: must be a whole number from 1 to 1000000"))
        << dialogs.errors.join("|").toStdString();
    EXPECT_FALSE(Find<CarpetView>("carpetView")->HasPicture()) << "nothing computed";

    Find<QLineEdit>("ensembleSizeField")->setText("800");
    window->ApplyCarpet();
    auto* carpet = Find<CarpetView>("carpetView");
    ASSERT_TRUE(carpet->HasPicture());
    const QImage picture = carpet->Picture();
    int inked = 0;
    for (int row = 0; row < 300; ++row) {
        const QColor c = picture.pixelColor(10, row);
        inked += c.blue() > c.red() + 20;
    }
    EXPECT_GT(inked, 20) << "the paths darken the carpet in their ink";
    EXPECT_EQ(CountPixels(picture, picture.rect(), [](QColor c) { return c.green() == 0 && c.red() > 100; }), 0)
        << "the regular paths (magenta: green cleared) make way for the sampled ones";
    auto* plot = window->findChild<HistogramPlot*>("histogramPlot");
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_TRUE(plot->Note().startsWith("z = 59.8 nm (column 299): total variation distance 0."))
        << plot->Note().toStdString();
    EXPECT_TRUE(plot->windowTitle().endsWith("at z = 59.8 nm (column 299)")) << plot->windowTitle().toStdString();
    // The density axis: tick labels and its title left of the bars.
    const QImage drawn = plot->grab().toImage();
    EXPECT_GT(CountPixels(drawn, QRect(0, 30, 50, drawn.height() - 120), [](QColor c) { return c.value() < 100; }), 30)
        << "tick labels left of the plot";

    QTest::mouseClick(carpet, Qt::LeftButton, Qt::ShiftModifier, carpet->WidgetPointOf(QPoint(100, 150)));
    EXPECT_EQ(Find<QLineEdit>("histogramColumnField")->text(), "100");
    EXPECT_TRUE(plot->Note().startsWith("z = 20.0 nm (column 100): ")) << plot->Note().toStdString();

    Find<QComboBox>("pathsBox")->setCurrentIndex(1);
    window->ApplyCarpet();
    EXPECT_EQ(carpet->Picture().pixelColor(299, 0), QColor(Qt::white)) << "alone: the paths on white";

    Find<QComboBox>("carpetContentBox")->setCurrentIndex(1);
    window->ApplyCarpet();
    const auto* colourBar = Find<ColourBar>("colourBar");
    ASSERT_TRUE(colourBar->isVisible()) << "Q's colours";
    EXPECT_FALSE(QRect(colourBar->mapToGlobal(QPoint()), colourBar->size()).intersects(plot->frameGeometry()))
        << "the plot leaves the colour bar in view";
}

TEST_F(InteractionTest, TheQuantumPotentialOnTheCarpetAndAsTheSurface)
{
    StartShown();
    Find<QComboBox>("carpetContentBox")->setCurrentIndex(1);
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    auto* carpet = Find<CarpetView>("carpetView");
    ASSERT_TRUE(carpet->HasPicture());
    EXPECT_EQ(carpet->Picture().pixelColor(0, 0), DivergingMap::NoValue()) << "far from the slits at the entrance";
    auto* colourBar = Find<ColourBar>("colourBar");
    EXPECT_TRUE(colourBar->isVisible());
    EXPECT_EQ(colourBar->Title(), "Q [eV]");
    EXPECT_LT(colourBar->Lowest(), 0.0) << "a diverging scale with zero inside";
    EXPECT_GT(colourBar->Highest(), 0.0);
    QTest::mouseMove(carpet, carpet->WidgetPointOf(QPoint(150, 150)));
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().contains(QRegularExpression(", Q = -?\\d\\.\\d{4}e[-+]\\d\\d eV$")))
        << Find<QLabel>("statusLine")->text().toStdString();
    QTest::mouseMove(carpet, carpet->WidgetPointOf(QPoint(0, 0)));
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().endsWith(", Q = no value"));

    Find<QTabWidget>("pages")->setCurrentIndex(0);
    window->ShowViewOfPage();
    auto* surfaceBox = Find<QComboBox>("surfaceContentBox");
    surfaceBox->setCurrentIndex(1);
    emit surfaceBox->activated(1);
    EXPECT_EQ(window->DensityChart().LegendTitle().back(), "Q [eV]");
    EXPECT_EQ(colourBar->Title(), "Q [eV]");
    chart->repaint();
    QImage picture = chart->grab().toImage();
    const auto bluish = [](QColor c) { return c.blue() > 150 && c.red() < c.blue() - 60 && c.green() < c.blue() - 60; };
    const auto lime = [](QColor c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; };
    EXPECT_GT(CountPixels(picture, picture.rect(), bluish), 200) << "Q's negative side is blue on the surface";
    EXPECT_EQ(CountPixels(picture, picture.rect(), lime), 0) << "no cell keeps the density's palette";
    Apply();
    chart->repaint();
    picture = chart->grab().toImage();
    EXPECT_GT(CountPixels(picture, picture.rect(), bluish), 200) << "a new result keeps Q's colours";
    EXPECT_EQ(CountPixels(picture, picture.rect(), lime), 0);
    QTest::mouseMove(chart, QPoint(1, 1));
    QTest::mouseMove(chart, CellCentre(0, 30));
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().contains(", Q = ")) << Find<QLabel>("statusLine")->text().toStdString();
    surfaceBox->setCurrentIndex(0);
    emit surfaceBox->activated(0);
    EXPECT_EQ(colourBar->Title(), "norm(PSI)");
}

class ExportTest : public InteractionTest {
protected:
    void SaveAs(const std::string& name, const char* action)
    {
        dialogs.saveName = QString::fromStdString((folder / name).string());
        Trigger(action);
    }
    void ShowCarpet()
    {
        Find<QTabWidget>("pages")->setCurrentIndex(1);
        window->ShowViewOfPage();
    }
};

std::vector<QString> Captions(const QMenu* menu)
{
    std::vector<QString> captions;
    for (const QAction* action : menu->actions()) {
        captions.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return captions;
}

TEST_F(ExportTest, MenusHoldEveryItemInOrder)
{
    StartShown();
    EXPECT_EQ(Captions(Find<QMenu>("chartMenu")),
              (std::vector<QString>{"View Legend", "-", "Copy to Clipboard", "Save to File (*.jpg)",
                                    "Save to File (*.png)", "Save to File (*.bmp)", "-", "norm(PSI) to File", "-",
                                    "Sweep..."}));
    EXPECT_EQ(Captions(Find<QMenu>("carpetMenu")),
              (std::vector<QString>{"Copy to Clipboard", "Save to File (*.jpg)", "Save to File (*.png)",
                                    "Save to File (*.bmp)", "Open with...", "-", "norm(PSI) to File", "-",
                                    "Clear DAT-file", "Add to DAT-file", "-", "Sweep..."}));
    const auto menuBarCaptions = [this](const char* menu) { return Captions(Find<QMenu>(menu)); };
    EXPECT_EQ(menuBarCaptions("fileMenu"),
              (std::vector<QString>{"&Save view as...", "Export &figure...", "Export &chart...", "Export c&arpet...",
                                    "Export &norm(PSI)...",
                                    "Export fringe &visibility...", "&Export run...", "S&weep...", "-", "&Quit"}));
    EXPECT_EQ(menuBarCaptions("editMenu"), (std::vector<QString>{"&Copy view", "Copy c&hart", "Copy c&arpet"}));
    EXPECT_EQ(menuBarCaptions("viewMenu"), (std::vector<QString>{"&3D surface", "&2D carpet", "&Spectrum",
                                                                 "Fringe &visibility", "-", "View Legend", "Axis &labels", "&Antialiasing",
                                                                 "&Colour map", "&Logarithmic spectrum height"}));
    EXPECT_EQ(menuBarCaptions("helpMenu"), (std::vector<QString>{"&Keyboard shortcuts", "&About Nivaro"}));
    EXPECT_EQ(Find<QAction>("spectrumAction")->shortcut(), QKeySequence(Qt::Key_F11));
    EXPECT_EQ(Find<QAction>("quitAction")->shortcut(), QKeySequence(QKeySequence::Quit));

    Trigger("aboutAction");
    Trigger("shortcutsAction");
    ASSERT_EQ(dialogs.information.size(), 2);
    for (const char* library : {"Qt", "Highway", "libpng", "libjpeg-turbo", "HDF5", "LGPL-3.0", "Apache-2.0"}) {
        EXPECT_TRUE(dialogs.information[0].contains(QString::fromLatin1(library))) << library;
    }
    EXPECT_TRUE(dialogs.information[1].contains("F11")) << dialogs.information[1].toStdString();
    EXPECT_TRUE(dialogs.information[1].contains("Esc"));
}

// A sweep records its frames into an animation, shows them as they come and
// leaves the window with the panel's settings computed.
TEST_F(ExportTest, ASweepRecordsAnAnimationAndComesBackToThePanelsSettings)
{
    StartShown();
    const QString gif = QString::fromStdString((folder / "sweep.gif").string());
    dialogs.sweep = SweepRequest{ParseSweepAxis("z0=0:1:3"), false, gif};
    Trigger("sweepAction");
    QImageReader reader(gif);
    EXPECT_EQ(reader.imageCount(), 3);
    EXPECT_EQ(reader.read().size(), chart->size()) << "figures at the size of the view";
    EXPECT_EQ(state.parameters.z0, 0.0) << "the panel's z0 again";
    EXPECT_FALSE(window->Busy());
    EXPECT_TRUE(Find<QLabel>("statusLine")->text().startsWith("Sweep: 3 frames in ")) << Find<QLabel>("statusLine")->text().toStdString();

    const QString chartGif = QString::fromStdString((folder / "charts.gif").string());
    dialogs.sweep = SweepRequest{ParseSweepAxis("slits=2:3:2"), true, chartGif};
    Find<QPushButton>("sweepButton")->click();
    QImageReader charts(chartGif);
    EXPECT_EQ(charts.imageCount(), 2);
    EXPECT_EQ(charts.read().size(), chart->size());

    // The same file again is replaced only when the user says so.
    const auto written = QFileInfo(chartGif).lastModified();
    dialogs.confirm = false;
    Trigger("sweepAction");
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.back().contains("charts.gif already exists")) << dialogs.questions.back().toStdString();
    EXPECT_EQ(QFileInfo(chartGif).lastModified(), written);
    EXPECT_EQ(QImageReader(chartGif).imageCount(), 2);
    dialogs.confirm = true;
    dialogs.sweep = SweepRequest{ParseSweepAxis("slits=2:4:3"), true, chartGif};
    Trigger("sweepAction");
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(QImageReader(chartGif).imageCount(), 3) << "replaced";

    // Cancelled at once: no frame was finished, so no file is left.
    const QString cancelled = QString::fromStdString((folder / "cancelled.gif").string());
    dialogs.sweep = SweepRequest{ParseSweepAxis("z0=0:1:5"), false, cancelled};
    QTimer::singleShot(0, window.get(), [this] { Find<QPushButton>("cancelButton")->click(); });
    Trigger("sweepCarpetAction");
    EXPECT_FALSE(QFileInfo::exists(cancelled));
    EXPECT_FALSE(window->Busy());
}

TEST_F(ExportTest, TheFileMenuExportsAtAChosenSizeAndRemembersTheFolder)
{
    StartShown();
    const QSize size = chart->size();
    std::filesystem::create_directory(folder / "figures");
    dialogs.pictureScale = 2;
    SaveAs("figures/chart.png", "exportChartAction");
    EXPECT_EQ(dialogs.pictureScaleAskedFor, size);
    EXPECT_EQ(QImage(QString::fromStdString((folder / "figures/chart.png").string())).size(), size * 2);
    SaveAs("figures/chart.svg", "exportChartAction");
    EXPECT_NE(ReadWholeFile(folder / "figures/chart.svg").find("<svg"), std::string::npos);
    EXPECT_EQ(QDir(dialogs.lastSaveRequest.folder), QDir(QString::fromStdString((folder / "figures").string())))
        << "the next dialog opens where the last file went";

    SaveAs("figures/carpet.png", "exportCarpetAction");
    EXPECT_FALSE(std::filesystem::exists(folder / "figures/carpet.png"));
    ASSERT_EQ(dialogs.errors.size(), 1) << "no carpet before the 2D page was shown";
    ShowCarpet();
    SaveAs("figures/carpet.png", "exportCarpetAction");
    EXPECT_EQ(QImage(QString::fromStdString((folder / "figures/carpet.png").string())).size(), QSize(300, 300));
}

TEST_F(ExportTest, ChartFilesHaveTheChartsSizeAndPicture)
{
    StartShown();
    const QSize size = chart->size();
    SaveAs("chart", "saveChartJpegAction");
    EXPECT_EQ(dialogs.lastSaveRequest.defaultSuffix, "jpg");
    EXPECT_EQ(dialogs.lastSaveRequest.filter, "JPG files (*.jpg)");
    EXPECT_EQ(dialogs.lastSaveRequest.folder, window->ExeDirectory());
    EXPECT_EQ(QImage(QString::fromStdString((folder / "chart.jpg").string())).size(), size) << "\".jpg\" appended";

    SaveAs("chart.png", "saveChartPngAction");
    const QImage png(QString::fromStdString((folder / "chart.png").string()));
    ASSERT_EQ(png.size(), size);
    EXPECT_EQ(png.pixelColor(size.width() / 2, 0), QColor(255, 255, 255)) << "no frame around the picture";
    EXPECT_EQ(png.pixelColor(size.width() / 2, size.height() - 2), QColor(255, 255, 255));

    SaveAs("chart.bmp", "saveChartBmpAction");
    const std::string bmp = ReadWholeFile(folder / "chart.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    const auto read32 = [&bmp](std::size_t at) {
        return static_cast<int>(static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1]) << 8 |
                                static_cast<unsigned char>(bmp[at + 2]) << 16);
    };
    EXPECT_EQ(read32(18), size.width());
    EXPECT_EQ(read32(22), size.height());
    EXPECT_EQ(static_cast<int>(bmp[28]), 24);

    Trigger("copyChartAction");
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(clipboard, nullptr);
    EXPECT_TRUE(clipboard->hasFormat("image/svg+xml"));
    EXPECT_TRUE(clipboard->hasImage());
    EXPECT_EQ(Find<QWidget>("chartView")->size(), size) << "the screen does not change";
}

TEST_F(ExportTest, CarpetFilesAndClipboardHoldThePicture)
{
    StartShown();
    ShowCarpet();
    SaveAs("carpet.jpg", "saveCarpetJpegAction");
    EXPECT_EQ(QImage(QString::fromStdString((folder / "carpet.jpg").string())).size(), QSize(300, 300));
    SaveAs("carpet.png", "saveCarpetPngAction");
    const QImage png(QString::fromStdString((folder / "carpet.png").string()));
    ASSERT_EQ(png.size(), QSize(300, 300));
    EXPECT_EQ(png.pixelColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(png.pixelColor(0, 111).green(), 0) << "a magenta trajectory";
    SaveAs("carpet.bmp", "saveCarpetBmpAction");
    EXPECT_EQ(QImage(QString::fromStdString((folder / "carpet.bmp").string())).size(), QSize(300, 300));
    Trigger("copyCarpetAction");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(300, 300));
}

// Each page's figure names its axes and its colour scale in text, and the
// colour map chosen recolours the surface and the scale alike.
TEST_F(ExportTest, FiguresHoldTheirScaleAndAxesAsTextInTheChosenColours)
{
    StartShown();
    const auto figureText = [this](const std::string& name) {
        SaveAs(name, "exportFigureAction");
        return ReadWholeFile(folder / name);
    };
    const std::string chartFigure = figureText("chart.svg");
    for (const char* text : {"norm(PSI)", "x [nm]", "z [nm]", "2 slits"}) {
        EXPECT_NE(chartFigure.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(dialogs.lastSaveRequest.defaultSuffix, "pdf");
    EXPECT_EQ(figureText("chart.pdf").substr(0, 5), "%PDF-");

    ShowCarpet();
    const std::string carpetFigure = figureText("carpet.svg");
    for (const char* text : {"norm(PSI)", "x [nm]", "z [nm]", "zt = 20 nm"}) {
        EXPECT_NE(carpetFigure.find(text), std::string::npos) << text;
    }

    Find<QTabWidget>("pages")->setCurrentIndex(0);
    window->ShowViewOfPage();
    Trigger("viridisMapAction");
    chart->repaint();
    const QImage picture = chart->grab().toImage();
    const auto lime = [](QColor c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; };
    const auto violet = [](QColor c) { return c.red() > 50 && c.red() < 90 && c.green() < 60 && c.blue() > 70; };
    EXPECT_EQ(CountPixels(picture, picture.rect(), lime), 0);
    EXPECT_GT(CountPixels(picture, picture.rect(), violet), 500) << "viridis' low end on the low density";
    const FigureColourScale& scale = Find<ColourBar>("colourBar")->Scale();
    const QColor lowest = scale.colourOf(scale.lowest);
    EXPECT_NEAR(lowest.red(), 0x44, 1) << "viridis' dark violet at the foot of the bar";
    EXPECT_NEAR(lowest.green(), 0x01, 2);
    EXPECT_NEAR(lowest.blue(), 0x54, 2);
}

TEST_F(ExportTest, FailedSavesAreReportedAndCancelledOnesWriteNothing)
{
    StartShown();
    SaveAs("missing/chart.png", "saveChartPngAction");
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_TRUE(dialogs.errors.back().contains("chart.png")) << dialogs.errors.back().toStdString();
    EXPECT_TRUE(dialogs.errors.back().contains("No such file or directory"));
    dialogs.saveName.reset();
    Trigger("saveDensityTableAction");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "only nivaro.ini";
}

TEST_F(ExportTest, DensityTableAndDataFileCommands)
{
    StartShown();
    SaveAs("norm.txt", "saveDensityTableAction");
    EXPECT_EQ(dialogs.lastSaveRequest.filter, "Text files (*.txt);;NumPy arrays (*.npy);;HDF5 files (*.h5)");
    EXPECT_EQ(dialogs.lastSaveRequest.defaultSuffix, "txt") << "the text table stays the default";
    const std::string table = ReadWholeFile(folder / "norm.txt");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 301);
    SaveAs("norm.npy", "saveDensityTableAction");
    EXPECT_EQ(std::filesystem::file_size(folder / "norm.npy"), 128u + 300u * 300u * 8u) << "a NumPy array";
    SaveAs("run.h5", "exportRunAction");
    EXPECT_EQ(dialogs.lastSaveRequest.defaultSuffix, "h5");
    EXPECT_EQ(ReadWholeFile(folder / "run.h5").substr(1, 3), "HDF");
    EXPECT_EQ(state.densityField.Rows(), 300) << "exporting the spectrum leaves the grids";

    ShowCarpet();
    auto* menu = Find<QMenu>("carpetMenu");
    emit menu->aboutToShow();
    EXPECT_FALSE(window->findChild<QAction*>("clearDataFileAction")->isEnabled()) << "no data file yet";
    EXPECT_FALSE(window->findChild<QAction*>("addToDataFileAction")->isEnabled()) << "no trajectory hovered";
    state.hoveredStart = 75;
    emit menu->aboutToShow();
    EXPECT_TRUE(window->findChild<QAction*>("addToDataFileAction")->isEnabled());
    Trigger("addToDataFileAction");
    EXPECT_EQ(ReadWholeFile(folder / "nivaro.dat"), "-1.500000\n");
    emit menu->aboutToShow();
    EXPECT_TRUE(window->findChild<QAction*>("clearDataFileAction")->isEnabled());

    Find<QCheckBox>("useDataFileBox")->click();
    EXPECT_EQ(state.trajectoryStartGrid[75][0], 75.0) << "the data file's start is drawn";
    dialogs.confirm = false;
    Trigger("clearDataFileAction");
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.front().contains("nivaro.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder / "nivaro.dat")) << "declined: the file stays";
    dialogs.confirm = true;
    Trigger("clearDataFileAction");
    EXPECT_FALSE(std::filesystem::exists(folder / "nivaro.dat"));
    EXPECT_EQ(state.trajectoryStartGrid[111][0], 111.0) << "the default trajectories are back";
}

TEST_F(MainWindowTest, ClosingRequestsAStopAndTheLegendCanBeHidden)
{
    Start();
    window->findChild<QAction*>("viewLegendAction")->trigger();
    EXPECT_FALSE(window->DensityChart().LegendVisible());
    window->findChild<QAction*>("viewLegendAction")->trigger();
    EXPECT_TRUE(window->DensityChart().LegendVisible());
    window->show();
    window->close();
    EXPECT_TRUE(state.stopRequested.load());
}

// The carpet takes bare keys (1, 0, +, -) for its zoom; the window's
// shortcuts still reach the window while it has the focus.
TEST_F(ExportTest, PageShortcutsWorkWhileTheCarpetHasTheFocus)
{
    StartShown();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* carpet = Find<CarpetView>("carpetView");
    ShowCarpet();
    carpet->setFocus();
    ASSERT_TRUE(carpet->hasFocus());
    for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::KeypadModifier}) {
        carpet->setFocus();
        QTest::keyClick(carpet, Qt::Key_1, modifiers);
        EXPECT_EQ(window->CurrentView(), ViewMode::Chart) << "Ctrl+1 " << modifiers;
        EXPECT_TRUE(carpet->Fitted()) << "the carpet's own 1 did not act";
        QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
        ASSERT_EQ(window->CurrentView(), ViewMode::Image) << "Ctrl+2";
    }
    carpet->setFocus();
    QTest::keyClick(carpet, Qt::Key_F11);
    EXPECT_TRUE(Find<QAction>("spectrumAction")->isChecked()) << "F11";
    QTest::keyClick(carpet, Qt::Key_1);
    EXPECT_FALSE(carpet->Fitted()) << "a bare 1 is still the carpet's";
}

// The status line reads the pixel under the mouse after the picture moved
// under it: a zoom by key, a pan, the actual size, and F11.
TEST_F(ExportTest, TheCarpetReadoutFollowsZoomPanAndSpectrum)
{
    StartShown();
    ShowCarpet();
    auto* carpet = Find<CarpetView>("carpetView");
    auto* status = Find<QLabel>("statusLine");
    const QPoint mouse = carpet->PlotArea().center().toPoint() + QPoint(40, 30);
    QTest::mouseMove(carpet, mouse);
    const auto readsPixelUnderMouse = [&] {
        const std::optional<QPoint> pixel = carpet->PicturePixelAt(mouse);
        return pixel && status->text().startsWith(QStringLiteral("x = %1, z = %2,").arg(pixel->y()).arg(pixel->x()));
    };
    ASSERT_TRUE(readsPixelUnderMouse()) << status->text().toStdString();
    const QString fitted = status->text();
    const auto wheel = [&](QPoint delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(mouse, carpet->mapToGlobal(mouse), {}, delta, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(carpet, &event);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> moves = {
        {"+ key", [&] { QTest::keyClick(carpet, Qt::Key_Plus); }},
        {"Ctrl+wheel", [&] {
             wheel(QPoint(0, 240), Qt::ControlModifier);
             QTest::keyClick(carpet, Qt::Key_Plus);
         }},
        {"wheel pan", [&] { wheel(QPoint(0, -120), Qt::NoModifier); }},
        {"Shift+wheel pan", [&] { wheel(QPoint(0, -120), Qt::ShiftModifier); }},
        {"- key", [&] { QTest::keyClick(carpet, Qt::Key_Minus); }},
        {"actual size", [&] { QTest::keyClick(carpet, Qt::Key_1); }},
    };
    for (const auto& [name, move] : moves) {
        const QString before = status->text();
        move();
        EXPECT_NE(status->text().toStdString(), before.toStdString()) << name;
        EXPECT_TRUE(readsPixelUnderMouse()) << name << ": " << status->text().toStdString();
    }
    QTest::keyClick(carpet, Qt::Key_0);
    EXPECT_EQ(status->text(), fitted) << "fitted again";
    QTest::keyClick(window.get(), Qt::Key_F11);
    EXPECT_TRUE(status->text().startsWith("FFT2: ")) << status->text().toStdString();
    QTest::keyClick(window.get(), Qt::Key_F11);
    EXPECT_EQ(status->text(), fitted) << "the density again";
}

// Settings that leave the views empty say so instead of showing white.
TEST_F(MainWindowTest, SlitsOrStartsOutsideTheGridAreWarnedOf)
{
    Start();
    auto* status = Find<QLabel>("statusLine");
    Apply();
    EXPECT_FALSE(status->text().contains("Warning")) << status->text().toStdString();

    Find<QLineEdit>("periodField")->setText("101");
    Apply();
    EXPECT_TRUE(status->text().startsWith("time = ")) << "after the time taken";
    EXPECT_TRUE(status->text().contains(
        "Warning: every slit lies outside the grid (x from -30.0 to 29.8 nm): check d and the slit width."))
        << status->text().toStdString();

    Find<QLineEdit>("periodField")->setText("1E-8");
    Find<QLineEdit>("nxbField")->setText("10");
    Apply();
    EXPECT_FALSE(status->text().contains("Warning")) << "no trajectories asked for: " << status->text().toStdString();
    Find<QTabWidget>("pages")->setCurrentIndex(1);
    window->ShowViewOfPage();
    EXPECT_TRUE(status->text().contains("Warning: no trajectory starts inside a slit (starts every 0.5 rows below "
                                        "nxb = 10 of nx = 300): check nxb and dxb."))
        << status->text().toStdString();
}

// A session that ends on sampled paths opens their histogram with the
// first computation, before the carpet has been laid out: at a readable
// size all the same.
TEST_F(MainWindowTest, TheFirstHistogramOfASessionIsReadable)
{
    Start("[WINDOW]\npage=1\nsampledStarts=1\nmaximized=0\nwidth=760\nheight=560\n");
    window->show();
    Apply();
    const auto* plot = window->findChild<HistogramPlot*>("histogramPlot");
    ASSERT_NE(plot, nullptr);
    EXPECT_GE(plot->width(), 240);
    EXPECT_GE(plot->height(), 240);
}

}  // namespace
}  // namespace nivaro
