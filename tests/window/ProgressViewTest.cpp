#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

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
    EXPECT_EQ(caption->text(), "Loading...");

    view.Advance({ProgressKind::DensityColumns, 42, 90});
    EXPECT_EQ(bar->value(), 42);
    EXPECT_EQ(caption->text(), "Loading...  42%") << "two spaces for the density";
    EXPECT_EQ(statusLine.text(), "time = 90 sec (1.5 min)");

    view.Advance({ProgressKind::CarpetDataFileStarts, 7, 3});
    EXPECT_EQ(caption->text(), "Loading... 7%");
    EXPECT_EQ(statusLine.text(), "time = 3 sec (0.1 min)\n");

    statusLine.setText(QStringLiteral("kept"));
    view.Advance({ProgressKind::CarpetRegularStarts, 8, 4});
    EXPECT_EQ(caption->text(), "Loading... 8%");
    EXPECT_EQ(statusLine.text(), "kept") << "regular starts report the percent only";

    view.Advance({ProgressKind::CarpetRegularStarts, 8, 5});
    view.Advance({ProgressKind::DensityColumns, 8, 6});
    EXPECT_EQ(statusLine.text(), "kept") << "the same percent again is not shown";
}

}  // namespace
}  // namespace nivaro
