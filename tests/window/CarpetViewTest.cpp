#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "window/CarpetView.h"

namespace nivaro {
namespace {

TEST(CarpetView, ShowsThePictureAtOnePixelPerGridPoint)
{
    CarpetView view;
    EXPECT_FALSE(view.HasPicture());
    QImage picture(40, 30, QImage::Format_RGB888);
    picture.fill(Qt::gray);
    picture.setPixelColor(39, 29, Qt::blue);
    view.ShowPicture(picture);
    ASSERT_TRUE(view.HasPicture());
    EXPECT_EQ(view.size(), QSize(40, 30));
    EXPECT_EQ(view.grab().toImage().pixelColor(39, 29), QColor(Qt::blue)) << "the picture is painted unscaled";
    view.Clear();
    EXPECT_FALSE(view.HasPicture());
}

TEST(CarpetView, ReportsHoverAndLeftClicksInPicturePixels)
{
    CarpetView view;
    QImage picture(40, 30, QImage::Format_RGB888);
    picture.fill(Qt::white);
    view.ShowPicture(picture);
    view.show();
    QSignalSpy hovered(&view, &CarpetView::hovered);
    QSignalSpy clicked(&view, &CarpetView::clicked);
    QTest::mouseMove(&view, QPoint(12, 7));
    ASSERT_EQ(hovered.count(), 1);
    EXPECT_EQ(hovered.front().front().toPoint(), QPoint(12, 7));
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(3, 4));
    EXPECT_EQ(clicked.count(), 0) << "the right button opens the menu instead";
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(3, 4));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.front().front().toPoint(), QPoint(3, 4));
}

}  // namespace
}  // namespace nivaro
