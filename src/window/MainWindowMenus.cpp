#include "MainWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

#include "ChartHost.h"
#include "WindowTexts.h"
#include "UserDialogs.h"
#include "ProgressView.h"
#include "carpet/DataFile.h"
#include "carpet/TableWriter.h"
#include "chart/export/ChartExport.h"
#include "engine/TrajectoryStarts.h"
#include "platform/AtomicFile.h"

namespace nivaro {

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

}  // namespace nivaro
