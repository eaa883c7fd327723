#include "ChartExport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QSvgGenerator>
#include <filesystem>
#include <stdexcept>

#include "platform/AtomicFile.h"
#include "platform/QPainterDevice.h"
#include "platform/RasterImageFile.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr int kPngCompressionLevel = 9;

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

QImage DrawChartImage(Chart& chart, int width, int height, ChartPictureStyle style)
{
    const QSize size(std::max(1, width), std::max(1, height));
    if (style.scale == 1 && !style.antialiased) {
        QImage image(size, QImage::Format_RGB32);
        QPainterDevice device(image);
        chart.Draw(device);
        return image;
    }
    QImage image(size * style.scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(style.scale);
    QPainterDevice device(image, size);
    device.SetAntialiasing(style.antialiased);
    chart.Draw(device);
    return image;
}

QImage RenderChartImage(Chart& chart, int width, int height, ChartPictureStyle style)
{
    QImage image = DrawChartImage(chart, width, height, style);
    chart.Invalidate();
    return image;
}

QByteArray RenderChartSvg(Chart& chart, int width, int height)
{
    QByteArray svg;
    QBuffer buffer(&svg);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(QStringLiteral("Nivaro"));
    {
        QPainterDevice device(generator, QSize(width, height));
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

std::string ChartSaveToJPEGFile(Chart& chart, const std::string& path, int quality, int width, int height)
{
    const std::string named = std::filesystem::path(path).has_extension() ? path : path + ".jpg";
    SaveImageAsJpeg(RenderChartImage(chart, width, height), named, quality);
    return named;
}

void ChartSaveToPNG(Chart& chart, const std::string& path, int width, int height)
{
    SaveImageAsPng(RenderChartImage(chart, width, height), path);
}

void ChartSaveToBitmap(Chart& chart, const std::string& path, int width, int height)
{
    SaveImageAsBmp(RenderChartImage(chart, width, height), path);
}

void ChartSaveToSvg(Chart& chart, const std::string& path, int width, int height)
{
    SaveSvg(RenderChartSvg(chart, width, height), path);
}

void SaveSvg(const QByteArray& svg, const std::string& path)
{
    WriteBytes(path, svg);
}

void CopyToClipboardMetafile(Chart& chart, int width, int height)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("image/svg+xml"), RenderChartSvg(chart, width, height));
    data->setImageData(RenderChartImage(chart, width, height));
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
