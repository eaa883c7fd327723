#include "ResultExports.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

#include "CarpetView.h"
#include "ComputationRunner.h"
#include "ProgressView.h"
#include "UserDialogs.h"
#include "carpet/TableWriter.h"
#include "output/ArrayOutput.h"
#include "output/RunFile.h"
#include "output/VisibilityCsv.h"
#include "platform/AtomicFile.h"

namespace nivaro {
namespace {

constexpr int kChartJpegQuality = 75;
constexpr int kCarpetJpegQuality = 90;

struct FileKind {
    const char* suffix;
    const char* filter;
};

FileKind KindOf(ChartFileFormat format)
{
    switch (format) {
    case ChartFileFormat::Jpeg:
        return {"jpg", "JPG files (*.jpg)"};
    case ChartFileFormat::Png:
        return {"png", "PNG files (*.png)"};
    case ChartFileFormat::Bmp:
        break;
    }
    return {"bmp", "BMP files (*.bmp)"};
}

}  // namespace

ResultExports::ResultExports(Sources sources, ComputationRunner& runner, ProgressView& progress, UserDialogs& dialogs,
                             const QString& saveFolder)
    : sources_(sources), runner_(runner), progress_(progress), dialogs_(dialogs), saveFolder_(saveFolder)
{
}

ChartPictureStyle ResultExports::PictureStyle(int scale) const
{
    return {scale, antialiasing_, true};
}

void ResultExports::SaveWithDialog(const char* suffix, const char* filter,
                                   const std::function<void(const std::string&)>& save)
{
    const std::optional<QString> name =
        dialogs_.AskSaveFileName({QString::fromLatin1(suffix), QString::fromLatin1(filter), saveFolder_});
    if (!name) {
        return;
    }
    saveFolder_ = QFileInfo(*name).absolutePath();
    try {
        save(name->toStdString());
    } catch (const std::exception& error) {
        dialogs_.ShowError(QStringLiteral("The file could not be saved.\n%1").arg(QString::fromUtf8(error.what())));
    }
}

void ResultExports::ExportFigure(const Figure& figure)
{
    if (figure.chart == nullptr && figure.picture.isNull()) {
        dialogs_.ShowError(QStringLiteral("There is no picture to export yet."));
        return;
    }
    SaveWithDialog("pdf", "PDF documents (*.pdf);;SVG drawings (*.svg);;PNG files (*.png)",
                   [this, &figure](const std::string& path) {
                       const FigurePage page;
                       if (QFileInfo(QString::fromStdString(path)).suffix().compare("png", Qt::CaseInsensitive) != 0) {
                           SaveFigure(figure, path, page);
                       } else if (const std::optional<int> scale =
                                      dialogs_.AskPictureScale(QSize(page.width, page.height))) {
                           SaveFigure(figure, path, {page.width * *scale, page.height * *scale, page.dpi * *scale});
                       }
                   });
}

void ResultExports::ExportChart()
{
    SaveWithDialog("png", "PNG files (*.png);;JPG files (*.jpg);;BMP files (*.bmp);;SVG drawings (*.svg)",
                   [this](const std::string& path) {
                       const int width = sources_.chartView.width();
                       const int height = sources_.chartView.height();
                       if (QFileInfo(QString::fromStdString(path)).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
                           ChartSaveToSvg(sources_.chart, path, width, height, PictureStyle(1));
                           return;
                       }
                       if (const std::optional<int> scale = dialogs_.AskPictureScale(QSize(width, height))) {
                           SavePicture(RenderChartImage(sources_.chart, width, height, PictureStyle(*scale)), path);
                       }
                   });
}

void ResultExports::SaveChart(ChartFileFormat format)
{
    const FileKind kind = KindOf(format);
    SaveWithDialog(kind.suffix, kind.filter, [this, format](const std::string& path) {
        const int width = sources_.chartView.width();
        const int height = sources_.chartView.height();
        switch (format) {
        case ChartFileFormat::Jpeg:
            ChartSaveToJPEGFile(sources_.chart, path, kChartJpegQuality, width, height, PictureStyle(1));
            break;
        case ChartFileFormat::Png:
            ChartSaveToPNG(sources_.chart, path, width, height, PictureStyle(1));
            break;
        case ChartFileFormat::Bmp:
            ChartSaveToBitmap(sources_.chart, path, width, height, PictureStyle(1));
            break;
        }
    });
}

void ResultExports::CopyChart()
{
    CopyToClipboardMetafile(sources_.chart, sources_.chartView.width(), sources_.chartView.height(), PictureStyle(1));
}

bool ResultExports::HasCarpetPicture()
{
    if (!sources_.carpetView.HasPicture()) {
        dialogs_.ShowError(QStringLiteral("There is no carpet yet: show the 2D page first."));
        return false;
    }
    return true;
}

void ResultExports::ExportCarpet()
{
    if (HasCarpetPicture()) {
        SaveWithDialog("png", "PNG files (*.png);;JPG files (*.jpg);;BMP files (*.bmp)",
                       [this](const std::string& path) { SavePicture(sources_.carpetView.Picture(), path); });
    }
}

void ResultExports::SaveCarpet(ChartFileFormat format)
{
    const FileKind kind = KindOf(format);
    SaveWithDialog(kind.suffix, kind.filter, [this, format](const std::string& path) {
        const QImage& picture = sources_.carpetView.Picture();
        switch (format) {
        case ChartFileFormat::Jpeg:
            SaveImageAsJpeg(picture, path, kCarpetJpegQuality);
            break;
        case ChartFileFormat::Png:
            SaveImageAsPng(picture, path);
            break;
        case ChartFileFormat::Bmp:
            SaveImageAsBmp(picture, path);
            break;
        }
    });
}

void ResultExports::CopyCarpet()
{
    if (HasCarpetPicture()) {
        QGuiApplication::clipboard()->setImage(sources_.carpetView.Picture());
    }
}

void ResultExports::SaveDensityTable()
{
    SaveWithDialog("txt", "Text files (*.txt);;NumPy arrays (*.npy);;HDF5 files (*.h5)", [this](const std::string& path) {
        ArrayOutput(path, AttributesOf(sources_.computedTexts, sources_.shown))
            .WriteReal(sources_.shown.densityField, "density", kDensityUnit, kDefaultValueFormat);
    });
}

void ResultExports::SaveVisibilityTable()
{
    SaveWithDialog("csv", "CSV files (*.csv)", [this](const std::string& path) {
        AtomicFile(path).CommitText(VisibilityCsv(FringeVisibility(sources_.shown, sources_.shown.densityField.View()),
                                                  sources_.shown.parameters.TalbotLength()));
    });
}

void ResultExports::ExportRun()
{
    SaveWithDialog("h5", "HDF5 files (*.h5)", [this](const std::string& path) {
        // psi is computed for the file when the run kept none: off the window's thread.
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Untouched);
        const SettingAttributes attributes = AttributesOf(sources_.computedTexts, sources_.shown);
        runner_.Run(progress_, [&](ProgressSink&) { WriteRunFile(path, sources_.shown, attributes); });
    });
}

}  // namespace nivaro
