#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QTest>

#include "window/CarpetView.h"

namespace nivaro {
namespace {

// A 40 by 30 picture, grey with a blue last pixel, in a view larger than it.
class CarpetViewTest : public testing::Test {
protected:
    CarpetViewTest()
    {
        QImage picture(40, 30, QImage::Format_RGB888);
        picture.fill(Qt::gray);
        picture.setPixelColor(39, 29, Qt::blue);
        view.resize(400, 300);
        view.ShowPicture(picture);
        view.SetAxes({-3.0, 0.2, 5.0, 0.2, QStringLiteral("x [nm]"), QStringLiteral("z [nm]")});
    }

    CarpetView view;
};

TEST_F(CarpetViewTest, OpensFittedAndZoomsToWholeGridPoints)
{
    ASSERT_TRUE(view.HasPicture());
    EXPECT_TRUE(view.Fitted());
    const QRectF plot = view.PlotArea();
    EXPECT_DOUBLE_EQ(view.Zoom(), std::min(plot.width() / 40, plot.height() / 30));
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixelColor(view.WidgetPointOf(QPoint(39, 29))), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(view.WidgetPointOf(QPoint(0, 0))), QColor(Qt::gray));

    QTest::keyClick(&view, Qt::Key_1);
    EXPECT_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(view.grab().toImage().pixelColor(view.WidgetPointOf(QPoint(39, 29))), QColor(Qt::blue))
        << "one screen pixel per grid point, unsmoothed";
    QTest::keyClick(&view, Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.25);
    QTest::keyClick(&view, Qt::Key_0);
    EXPECT_TRUE(view.Fitted());

    view.Clear();
    EXPECT_FALSE(view.HasPicture());
}

// x grows upwards as on a plot: the picture's first row (the smallest x)
// at the foot, its last at the top; the picture itself keeps its rows.
TEST_F(CarpetViewTest, XGrowsUpwards)
{
    const QRectF plot = view.PlotArea();
    const QPoint first = view.WidgetPointOf(QPoint(39, 0));
    const QPoint last = view.WidgetPointOf(QPoint(39, 29));
    EXPECT_GT(first.y(), last.y());
    EXPECT_LT(last.y(), plot.center().y()) << "the last row in the upper half";
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixelColor(last), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(first), QColor(Qt::gray));
    EXPECT_EQ(view.PicturePixelAt(last), QPoint(39, 29));
    EXPECT_EQ(view.PicturePixelAt(first), QPoint(39, 0));
    EXPECT_EQ(view.Picture().pixelColor(39, 29), QColor(Qt::blue)) << "the rows as computed";
}

TEST_F(CarpetViewTest, CtrlWheelZoomsAboutTheMouseAndTheWheelPans)
{
    view.show();
    const QPoint anchor = view.WidgetPointOf(QPoint(10, 10));
    QWheelEvent zoomIn(anchor, view.mapToGlobal(anchor), {}, QPoint(0, 240), Qt::NoButton, Qt::ControlModifier,
                       Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &zoomIn);
    EXPECT_NEAR(view.WidgetPointOf(QPoint(10, 10)).x(), anchor.x(), view.Zoom());
    EXPECT_FALSE(view.Fitted());
    const QPoint before = view.WidgetPointOf(QPoint(10, 10));
    QWheelEvent scroll(anchor, view.mapToGlobal(anchor), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &scroll);
    EXPECT_LT(view.WidgetPointOf(QPoint(10, 10)).y(), before.y()) << "scrolling down moves the picture up";
}

TEST_F(CarpetViewTest, ReportsHoverAndLeftClicksInPicturePixels)
{
    view.show();
    QSignalSpy hovered(&view, &CarpetView::hovered);
    QSignalSpy clicked(&view, &CarpetView::clicked);
    QTest::mouseMove(&view, view.WidgetPointOf(QPoint(12, 7)));
    ASSERT_EQ(hovered.count(), 1);
    EXPECT_EQ(hovered.front().front().toPoint(), QPoint(12, 7));
    QTest::mouseMove(&view, QPoint(2, 2));
    EXPECT_EQ(hovered.back().front().toPoint(), QPoint(-1, -1)) << "outside the picture";
    QTest::mouseClick(&view, Qt::RightButton, {}, view.WidgetPointOf(QPoint(3, 4)));
    EXPECT_EQ(clicked.count(), 0) << "the right button opens the menu instead";
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.WidgetPointOf(QPoint(3, 4)));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.front().front().toPoint(), QPoint(3, 4));
}

}  // namespace
}  // namespace nivaro
