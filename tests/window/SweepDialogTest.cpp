#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "window/SweepDialog.h"

namespace nivaro {
namespace {

TEST(SweepDialog, EveryFieldSaysWhatItTakesInTheSettingsUnit)
{
    SweepDialog dialog(QStringLiteral("/tmp/"));
    auto* key = dialog.findChild<QComboBox*>(QStringLiteral("sweepKeyBox"));
    ASSERT_NE(key, nullptr);
    for (QWidget* field : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QSpinBox*>(field->parentWidget())) {
            continue;  // the spin box's own editor
        }
        if (qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) || qobject_cast<QSpinBox*>(field)) {
            EXPECT_FALSE(field->toolTip().isEmpty()) << field->metaObject()->className();
        }
    }
    const auto units = [&dialog] {
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            texts << label->text();
        }
        return texts;
    };
    EXPECT_EQ(key->currentText(), "z0");
    EXPECT_EQ(units().count("zt"), 2) << "From and To";
    EXPECT_TRUE(key->toolTip().contains("Talbot")) << key->toolTip().toStdString();

    key->setCurrentText(QStringLiteral("slit width"));
    ASSERT_EQ(key->currentText(), "slit width") << "the caption, not the file's key";
    EXPECT_EQ(units().count("m"), 2);
    EXPECT_TRUE(dialog.findChildren<QLineEdit*>().front()->toolTip().contains("in m"));
    QString why;
    const std::optional<SweepRequest> request = dialog.Request(why);
    ASSERT_TRUE(request) << why.toStdString();
    EXPECT_EQ(request->axis.key, "slite width");
}

}  // namespace
}  // namespace nivaro
