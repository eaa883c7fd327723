#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "platform/NumberText.h"
#include "window/CarpetPage.h"
#include "window/ParameterPanel.h"
#include "window/Stepper.h"

namespace nivaro {
namespace {

class ParameterPanelTest : public testing::Test {
protected:
    ParameterPanelTest() { panel.ShowGrid(state.grid); }

    template <typename Widget>
    Widget* Find(const char* name) const
    {
        Widget* widget = panel.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    SimulationState state;
    ParameterPanel panel{state.scaleX, state.scaleZ, state.scaleP};
};

TEST_F(ParameterPanelTest, TextsGoInAndComeOutVerbatim)
{
    PanelTexts texts;
    texts.slits = "7";
    texts.mass = "1.674927E-27";
    texts.lambda = "5E-8";
    texts.d = "6E-8";
    texts.slitWidth = "4E-8";
    texts.sigma0 = "8E-10";
    texts.scaleX = "3:1";
    texts.scaleZ = "1:2";
    texts.scaleP = "1:1";
    panel.ShowTexts(texts);
    const PanelTexts shown = panel.Texts();
    EXPECT_EQ(shown.slits, "7");
    EXPECT_EQ(shown.mass, "1.674927E-27");
    EXPECT_EQ(shown.d, "6E-8");
    EXPECT_EQ(shown.slitWidth, "4E-8");
    EXPECT_EQ(shown.sigma0, "8E-10");
    EXPECT_EQ(shown.scaleX, "3:1");
    EXPECT_EQ(shown.scaleZ, "1:2");
    EXPECT_EQ(Find<QLineEdit>("periodField")->text(), "6E-8") << "d is the period field";
}

TEST_F(ParameterPanelTest, ParametersAreTakenOverAllTogetherOrNotAtAll)
{
    Find<QLineEdit>("slitsField")->setText("5");
    Find<QLineEdit>("lambdaField")->setText("3E-8");
    Find<QLineEdit>("sigma0Field")->setText("1E-9");
    Find<QLineEdit>("nxField")->setText("640");
    Find<QLineEdit>("stepField")->setText("0.5");
    Find<QLineEdit>("lambdaSpreadField")->setText("0.02");
    Find<QLineEdit>("coherenceSamplesField")->setText("5");
    EXPECT_EQ(panel.TakeOverParameters(state), std::nullopt);
    EXPECT_EQ(state.parameters.wave.lambdaSpread, 0.02);
    EXPECT_EQ(state.parameters.wave.coherenceSamples, 5);
    EXPECT_EQ(state.parameters.slits, 5);
    EXPECT_EQ(state.parameters.lambda, 3e-8);
    EXPECT_EQ(state.parameters.sigma0, 1e-9);
    EXPECT_EQ(state.grid.nx, 640);
    EXPECT_EQ(state.grid.decimationX, 10) << "the decimation follows nx";
    EXPECT_EQ(state.grid.step, 0.5);

    const struct {
        const char* field;
        const char* text;
        const char* refusal;
    } refused[] = {
        {"slitsField", "2.5", "'2.5' is not a valid integer value"},
        {"lambdaField", "abc", "'abc' is not a valid floating point value"},
        {"slitsField", "0", "slits=0"},
        {"periodField", "-1E-8", "d=-1e-08: must be a positive finite number"},
        {"slitWidthField", "0", "slit width=0: must be a positive finite number"},
        {"nzField", "0", "nz=0"},
        {"nxbField", "641", "nxb=641"},
        {"dxbField", "x", "'x' is not a valid floating point value"},
        {"sourceWidthField", "0.5", "source width=0.5: must be an rms angle from 0 to 0.1 rad"},
        {"gratingFileField", "/nowhere/t.npy", "/nowhere/t.npy: No such file or directory"},
    };
    for (const auto& row : refused) {
        auto* field = Find<QLineEdit>(row.field);
        const QString previousText = field->text();
        Find<QLineEdit>("sigma0Field")->setText("3E-9");
        field->setText(QString::fromLatin1(row.text));
        const std::optional<QString> refusal = panel.TakeOverParameters(state);
        ASSERT_TRUE(refusal.has_value()) << row.text;
        EXPECT_TRUE(refusal->contains(QString::fromLatin1(row.refusal))) << refusal->toStdString();
        EXPECT_EQ(state.parameters.slits, 5) << row.text;
        EXPECT_EQ(state.parameters.sigma0, 1e-9) << "no field is taken over: " << row.text;
        EXPECT_EQ(state.grid.nx, 640) << row.text;
        field->setText(previousText);
    }
}

TEST_F(ParameterPanelTest, MassPresetsFillTheLengths)
{
    auto* masses = Find<QComboBox>("massBox");
    EXPECT_EQ(masses->itemText(0), "electron: 9.1095E-31");
    EXPECT_EQ(masses->itemText(1), "neutron: 1.674927E-27");
    masses->setCurrentIndex(1);
    emit masses->activated(1);
    EXPECT_EQ(masses->currentText(), "1.674927E-27") << "the field takes the value, not the caption";
    EXPECT_EQ(Find<QLineEdit>("lambdaField")->text(), "5E-8");
    EXPECT_EQ(Find<QLineEdit>("periodField")->text(), "5E-8");
    EXPECT_EQ(Find<QLineEdit>("slitWidthField")->text(), "5E-8");
    EXPECT_EQ(Find<QLineEdit>("sigma0Field")->text(), "8E-10");
    EXPECT_EQ(state.parameters.lambda, 1e-8) << "nothing is taken over before Apply";
    masses->setCurrentIndex(0);
    emit masses->activated(0);
    EXPECT_EQ(Find<QLineEdit>("lambdaField")->text(), "1E-8");
    EXPECT_EQ(Find<QLineEdit>("sigma0Field")->text(), "2E-9");
    EXPECT_EQ(Find<QLineEdit>("zScaleField")->text(), "1:1") << "the described presets keep the scales";

    // The presets inside the paraxial regime bring scales that show their
    // Talbot lengths.
    QSignalSpy recompute(&panel, &ParameterPanel::delayedApplyWanted);
    EXPECT_EQ(masses->itemText(4), "C70 at 100 m/s, 1 um: 1.396E-24");
    emit masses->activated(4);
    EXPECT_EQ(Find<QLineEdit>("lambdaField")->text(), "4.7465E-12");
    EXPECT_EQ(Find<QLineEdit>("zScaleField")->text(), "1:10500000");
    EXPECT_EQ(state.scaleX.Text(), "1:50");
    EXPECT_GE(recompute.count(), 1);
}

TEST_F(ParameterPanelTest, EnterInAnyFieldAppliesAndEveryFieldSaysWhatItIs)
{
    QSignalSpy applied(panel.ApplyButton(), &QPushButton::clicked);
    const char* fields[] = {"slitsField", "lambdaField", "nxField", "stepField", "xScaleField"};
    for (const char* name : fields) {
        QTest::keyClick(Find<QLineEdit>(name), Qt::Key_Return);
    }
    panel.show();
    QApplication::setActiveWindow(&panel);
    Find<QComboBox>("massBox")->setFocus();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    EXPECT_EQ(applied.count(), 6) << QApplication::focusWidget()->metaObject()->className();
    for (QLineEdit* field : panel.findChildren<QLineEdit*>()) {
        const QWidget* owner = qobject_cast<QComboBox*>(field->parentWidget()) ? field->parentWidget() : field;
        EXPECT_FALSE(owner->toolTip().isEmpty()) << owner->objectName().toStdString();
    }
}

TEST_F(ParameterPanelTest, BoundSteppersKeepTheirRange)
{
    auto* slits = Find<QLineEdit>("slitsField");
    slits->setText("100");
    emit Find<Stepper>("slitsStepper")->changing(ScaleDirection::Up);
    EXPECT_EQ(slits->text(), "100");
    slits->setText("1");
    emit Find<Stepper>("slitsStepper")->changing(ScaleDirection::Down);
    EXPECT_EQ(slits->text(), "1");
    emit Find<Stepper>("contrastStepper")->changing(ScaleDirection::Up);
    EXPECT_EQ(Find<QLineEdit>("contrastField")->text(), "2");
}

TEST_F(ParameterPanelTest, ScaleSteppersChangeTheScaleAndAskForADelayedApply)
{
    QSignalSpy wanted(&panel, &ParameterPanel::delayedApplyWanted);
    emit Find<Stepper>("zScaleStepper")->changing(ScaleDirection::Down);
    EXPECT_EQ(state.scaleZ.Text(), "1:2");
    EXPECT_EQ(Find<QLineEdit>("zScaleField")->text(), "1:2");
    emit Find<Stepper>("zScaleStepper")->changing(ScaleDirection::None);
    EXPECT_EQ(wanted.count(), 1) << "a click without a direction changes nothing";
    Find<QCheckBox>("showTrajectories3DBox")->click();
    EXPECT_EQ(wanted.count(), 2);
    EXPECT_TRUE(panel.ShowsTrajectories3D());
}

TEST_F(ParameterPanelTest, CarpetOptionsRedrawTheCarpet)
{
    QSignalSpy carpetApply(&panel.Carpet(), &CarpetPage::redrawWanted);
    Find<QCheckBox>("useDataFileBox")->click();
    EXPECT_EQ(carpetApply.count(), 1) << "a check box redraws at once";
    Find<QLineEdit>("contrastField")->setText("3");
    EXPECT_EQ(carpetApply.count(), 1) << "the contrast redraws after the typing event";
    QCoreApplication::processEvents();
    EXPECT_EQ(carpetApply.count(), 2);

    const CarpetOptions options = panel.Carpet().CarpetSettings();
    EXPECT_EQ(options.contrast, 3);
    EXPECT_TRUE(options.showTrajectories);
    EXPECT_EQ(options.dataFile, std::optional<std::string>("nivaro.dat"));
    EXPECT_EQ(panel.Carpet().HighlightColour(), RgbColor(0, 0, 255)) << "blue by default";
}

TEST_F(ParameterPanelTest, TheContrastWaitsWhileTypedAndStaysWithinItsRange)
{
    QSignalSpy carpetApply(&panel.Carpet(), &CarpetPage::redrawWanted);
    auto* contrast = Find<QLineEdit>("contrastField");
    for (const char* typing : {"", "-", "x"}) {
        contrast->setText(QString::fromLatin1(typing));
        QCoreApplication::processEvents();
        EXPECT_EQ(panel.Carpet().CarpetSettings().contrast, 1) << "'" << typing << "' keeps the last whole number";
    }
    EXPECT_EQ(carpetApply.count(), 0) << "no redraw and no message while typing";
    contrast->setText("9");
    EXPECT_EQ(contrast->text(), "5");
    EXPECT_EQ(panel.Carpet().CarpetSettings().contrast, 5);
    contrast->setText("-2");
    EXPECT_EQ(contrast->text(), "0");
    QCoreApplication::processEvents();
    EXPECT_EQ(carpetApply.count(), 2);
}

TEST_F(ParameterPanelTest, ArrowKeysStepTheSlitsAndTheContrast)
{
    auto* slits = Find<QLineEdit>("slitsField");
    slits->setText("4");
    QTest::keyClick(slits, Qt::Key_Up);
    EXPECT_EQ(slits->text(), "5");
    QTest::keyClick(slits, Qt::Key_Down);
    QTest::keyClick(slits, Qt::Key_Down);
    EXPECT_EQ(slits->text(), "3");
    auto* contrast = Find<QLineEdit>("contrastField");
    QTest::keyClick(contrast, Qt::Key_Up);
    EXPECT_EQ(contrast->text(), "2");
}

TEST_F(ParameterPanelTest, AScaleFieldAlwaysShowsTheScaleInEffect)
{
    QSignalSpy refused(&panel, &ParameterPanel::refused);
    QSignalSpy wanted(&panel, &ParameterPanel::delayedApplyWanted);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    auto* field = Find<QLineEdit>("xScaleField");
    const auto typeAndLeave = [&](const char* text) {
        field->setFocus();
        field->setText(QString::fromLatin1(text));
        Find<QLineEdit>("lambdaField")->setFocus();
        QCoreApplication::processEvents();
    };
    typeAndLeave("3:1");
    EXPECT_EQ(state.scaleX.Factor(), 3.0);
    EXPECT_EQ(wanted.count(), 1);
    typeAndLeave("abc");
    EXPECT_EQ(field->text(), "3:1") << "back to the scale in effect";
    EXPECT_EQ(state.scaleX.Factor(), 3.0);
    ASSERT_EQ(refused.count(), 1);
    EXPECT_TRUE(refused.front().front().toString().contains("'abc'"));
    typeAndLeave("3:2");
    EXPECT_EQ(field->text(), "3:1");
    EXPECT_EQ(wanted.count(), 1) << "the same scale again does not recompute";
}

TEST_F(ParameterPanelTest, EveryPageChangeOfTheUserCountsHoweverMade)
{
    QSignalSpy chosen(&panel, &ParameterPanel::pageChosen);
    panel.SelectPage(ParameterPanel::Page::Surface);
    EXPECT_EQ(panel.CurrentPage(), ParameterPanel::Page::Surface);
    EXPECT_EQ(chosen.count(), 0) << "the window's own selection is not the user's";
    auto* pages = Find<QTabWidget>("pages");
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(panel.CurrentPage(), ParameterPanel::Page::Carpet);
    EXPECT_EQ(chosen.count(), 1) << "Ctrl+Tab";
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(0).center());
    EXPECT_EQ(panel.CurrentPage(), ParameterPanel::Page::Surface);
    EXPECT_EQ(chosen.count(), 2) << "a click";
}

// The wheel over a choice the user has not chosen to change scrolls the
// panel on; a choice with the focus turns.
TEST_F(ParameterPanelTest, TheWheelTurnsOnlyAChoiceWithTheFocus)
{
    panel.show();
    auto* tabs = Find<QTabWidget>("pages")->tabBar();
    const int page = tabs->currentIndex();
    for (const int delta : {120, -120}) {
        QWheelEvent wheel(QPointF(5, 5), tabs->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs, &wheel);
        EXPECT_EQ(tabs->currentIndex(), page) << "the wheel over the tabs keeps the page";
        EXPECT_FALSE(wheel.isAccepted()) << "and goes on to the panel's scroll area";
    }
    for (const char* name : {"massBox", "surfaceContentBox", "startModeBox", "highlightColourBox"}) {
        auto* box = Find<QComboBox>(name);
        const int before = box->currentIndex();
        const auto turn = [box] {
            QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &wheel);
            return wheel.isAccepted();
        };
        EXPECT_FALSE(turn()) << name << ": left to the scroll area";
        EXPECT_EQ(box->currentIndex(), before) << name;
        box->setFocus();
        QApplication::setActiveWindow(&panel);
        if (box->hasFocus()) {
            turn();
            EXPECT_NE(box->currentIndex(), before) << name << " with the focus";
        }
    }
}

// nxb at half the rows follows nx as it is typed; a typed nxb stays, and
// one beyond nx is refused in the words of the file and --set.
TEST_F(ParameterPanelTest, NxbFollowsNxUnlessTyped)
{
    auto* nx = Find<QLineEdit>("nxField");
    auto* nxb = Find<QLineEdit>("nxbField");
    nx->selectAll();
    QTest::keyClicks(nx, "2000");
    EXPECT_EQ(nxb->text(), "1000");
    EXPECT_EQ(panel.TakeOverParameters(state), std::nullopt);
    EXPECT_EQ(state.grid.nxb, 1000);

    nxb->selectAll();
    QTest::keyClicks(nxb, "400");
    nx->selectAll();
    QTest::keyClicks(nx, "300");
    EXPECT_EQ(nxb->text(), "400") << "typed, so kept";
    const std::optional<QString> refusal = panel.TakeOverParameters(state);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(*refusal, "nxb=400: must lie between 0 and nx (300)");
}

}  // namespace
}  // namespace nivaro
