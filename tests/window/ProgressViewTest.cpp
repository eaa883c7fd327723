#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include "window/ProgressView.h"

namespace nivaro {
namespace {

TEST(ProgressView, EachKindOfComputationReportsInItsOwnWords)
{
    QLabel statusLine;
    ProgressView view(statusLine);
    auto* caption = view.findChild<QLabel*>(QStringLiteral("progressCaption"));
    auto* bar = view.findChild<QProgressBar*>(QStringLiteral("progressBar"));
    ASSERT_NE(caption, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(caption->text(), "Computing...");

    view.Advance({ProgressKind::DensityColumns, 42, 90});
    EXPECT_EQ(bar->value(), 42);
    EXPECT_EQ(caption->text(), "Computing...  42%") << "two spaces for the density";
    EXPECT_EQ(statusLine.text(), "time = 90 sec (1.5 min)");

    view.Advance({ProgressKind::CarpetDataFileStarts, 7, 3});
    EXPECT_EQ(caption->text(), "Computing... 7%");
    EXPECT_EQ(statusLine.text(), "time = 3 sec (0.1 min)\n");

    statusLine.setText(QStringLiteral("kept"));
    view.Advance({ProgressKind::CarpetRegularStarts, 8, 4});
    EXPECT_EQ(caption->text(), "Computing... 8%");
    EXPECT_EQ(statusLine.text(), "kept") << "regular starts report the percent only";

    view.Advance({ProgressKind::CarpetRegularStarts, 8, 5});
    view.Advance({ProgressKind::DensityColumns, 8, 6});
    EXPECT_EQ(statusLine.text(), "kept") << "the same percent again is not shown";
}

TEST(ProgressView, SaysThePercentOnceOffersCancelAndKeepsTheTimeTaken)
{
    QLabel statusLine;
    ProgressView view(statusLine);
    EXPECT_FALSE(view.findChild<QProgressBar*>(QStringLiteral("progressBar"))->isTextVisible());
    int cancels = 0;
    QObject::connect(&view, &ProgressView::cancelRequested, [&cancels] { ++cancels; });
    view.Begin();
    view.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    EXPECT_EQ(cancels, 1);
    view.Finish(false);
    EXPECT_TRUE(statusLine.text().contains(QRegularExpression(R"(^time = \d+\.\d\d sec \(\d+\.\d\d min\)$)")))
        << statusLine.text().toStdString();
    view.Finish(true);
    EXPECT_TRUE(statusLine.text().startsWith("Cancelled after ")) << statusLine.text().toStdString();
}

}  // namespace
}  // namespace nivaro
