#include "ChartExport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QSvgGenerator>
#include <filesystem>
#include <stdexcept>

#include "chart/ChartFit.h"
#include "platform/AtomicFile.h"
#include "platform/QPainterDevice.h"
#include "platform/RasterImageFile.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr int kPngCompressionLevel = 9;

// The chart laid out for one fitted picture, and back to its own view after.
class PictureLayout {
public:
    PictureLayout(Chart& chart, int width, int height, ChartPictureStyle style)
        : chart_(chart), kept_(chart.View3DOptions()), width_(width * style.scale), height_(height * style.scale)
    {
        if (style.fitted) {
            LayOutChart(chart_, width_, height_, style.scale);
        }
    }
    PictureLayout(const PictureLayout&) = delete;
    PictureLayout& operator=(const PictureLayout&) = delete;
    ~PictureLayout() { chart_.View3DOptions() = kept_; }

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    Chart& chart_;
    const ViewOptions3D kept_;
    int width_;
    int height_;
};

RgbRowSource RowsOf(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    return {rgb.width(), rgb.height(), [rgb](int row, std::uint8_t* out) {
                std::copy_n(rgb.constScanLine(row), 3 * rgb.width(), out);
            }};
}

void WriteBytes(const std::string& path, const QByteArray& bytes)
{
    AtomicFile file(path, true);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file.Stream());
    file.Commit();
}

}  // namespace

void LayOutChart(Chart& chart, int width, int height, int textScale)
{
    const bool autoRepaint = chart.AutoRepaint;
    chart.AutoRepaint = false;
    chart.View3DOptions().SetFontZoom(100 * textScale);
    QImage scratch(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    QPainterDevice measure(scratch);
    FitZoom(chart, measure);
    chart.AutoRepaint = autoRepaint;
}

QImage DrawChartImage(Chart& chart, int width, int height, bool antialiased)
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    QPainterDevice device(image);
    device.SetAntialiasing(antialiased);
    chart.Draw(device);
    return image;
}

QImage RenderChartImage(Chart& chart, int width, int height, ChartPictureStyle style)
{
    QImage image;
    {
        const PictureLayout layout(chart, width, height, style);
        image = DrawChartImage(chart, layout.Width(), layout.Height(), style.antialiased);
    }
    chart.Invalidate();
    return image;
}

QPicture RecordChart(Chart& chart, int width, int height, ChartPictureStyle style)
{
    QPicture picture;
    {
        const PictureLayout layout(chart, width, height, style);
        QPainterDevice device(picture, QSize(layout.Width(), layout.Height()));
        device.SetAntialiasing(style.antialiased);
        chart.Draw(device);
    }
    chart.Invalidate();
    return picture;
}

QByteArray RenderChartSvg(Chart& chart, int width, int height, ChartPictureStyle style)
{
    QByteArray svg;
    {
        const PictureLayout layout(chart, width, height, style);
        QBuffer buffer(&svg);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(layout.Width(), layout.Height()));
        generator.setViewBox(QRect(0, 0, layout.Width(), layout.Height()));
        generator.setTitle(QStringLiteral("Nivaro"));
        QPainterDevice device(generator, QSize(layout.Width(), layout.Height()));
        device.SetAntialiasing(style.antialiased);
        chart.Draw(device);
    }
    chart.Invalidate();
    return svg;
}

void SaveImageAsJpeg(const QImage& image, const std::string& path, int quality)
{
    WriteJpegFile(path, RowsOf(image), quality);
}

void SaveImageAsPng(const QImage& image, const std::string& path)
{
    WritePngFile(path, RowsOf(image), kPngCompressionLevel);
}

void SaveImageAsBmp(const QImage& image, const std::string& path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.canWrite() || !writer.write(image.convertToFormat(QImage::Format_RGB888))) {
        throw std::runtime_error(path + ": " + writer.errorString().toStdString());
    }
    WriteBytes(path, bytes);
}

std::string ChartSaveToJPEGFile(Chart& chart, const std::string& path, int quality, int width, int height,
                                ChartPictureStyle style)
{
    const std::string named = std::filesystem::path(path).has_extension() ? path : path + ".jpg";
    SaveImageAsJpeg(RenderChartImage(chart, width, height, style), named, quality);
    return named;
}

void ChartSaveToPNG(Chart& chart, const std::string& path, int width, int height, ChartPictureStyle style)
{
    SaveImageAsPng(RenderChartImage(chart, width, height, style), path);
}

void ChartSaveToBitmap(Chart& chart, const std::string& path, int width, int height, ChartPictureStyle style)
{
    SaveImageAsBmp(RenderChartImage(chart, width, height, style), path);
}

void ChartSaveToSvg(Chart& chart, const std::string& path, int width, int height, ChartPictureStyle style)
{
    SaveBytes(RenderChartSvg(chart, width, height, style), path);
}

void SaveBytes(const QByteArray& bytes, const std::string& path)
{
    WriteBytes(path, bytes);
}

void CopyToClipboardMetafile(Chart& chart, int width, int height, ChartPictureStyle style)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("image/svg+xml"), RenderChartSvg(chart, width, height, style));
    data->setImageData(RenderChartImage(chart, width, height, style));
    QGuiApplication::clipboard()->setMimeData(data.release());
}

void SavePicture(const QImage& image, const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    const auto is = [&extension](const char* wanted) { return EqualsIgnoringCase(extension, wanted); };
    if (is(".jpg") || is(".jpeg")) {
        SaveImageAsJpeg(image, path, 90);
    } else if (is(".bmp")) {
        SaveImageAsBmp(image, path);
    } else {
        SaveImageAsPng(image, path);
    }
}

}  // namespace nivaro
