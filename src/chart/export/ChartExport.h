#pragma once

#include <QByteArray>
#include <QImage>
#include <QPicture>
#include <string>

#include "chart/Chart.h"

namespace nivaro {

// Every export paints the chart afresh, off screen, at the size asked for;
// what is on the screen does not change (the chart only asks its host to
// repaint, since the paint moved its geometry to the export's size). Files
// are written beside their target and renamed into place; failures throw
// FileError or std::runtime_error naming the file and the reason.

// How a chart picture is drawn. Fitted: the chart is laid out anew for the
// picture (text scale times larger, the zoom chosen to fit), at scale times
// the given size; the view the chart had is restored afterwards. Otherwise
// drawn with the chart's view as it stands, pixel for pixel.
struct ChartPictureStyle {
    int scale = 1;
    bool antialiased = false;
    bool fitted = false;
};

QImage RenderChartImage(Chart& chart, int width, int height, ChartPictureStyle style = {});
// Lays the chart out for a picture of width by height with its text
// textScale times larger: the zoom and offsets that fit (measured on an
// off-screen picture of that size, whose fonts give the text its size).
void LayOutChart(Chart& chart, int width, int height, int textScale);
// The picture without asking the chart's host to repaint: for the host, which
// keeps the chart laid out at its device resolution.
QImage DrawChartImage(Chart& chart, int width, int height, bool antialiased);
// The chart recorded as drawing commands at width by height, to be replayed
// into a page (a figure's SVG or PDF then keeps it as lines and text).
QPicture RecordChart(Chart& chart, int width, int height, ChartPictureStyle style = {});
// The chart drawn through the same device layer into SVG.
QByteArray RenderChartSvg(Chart& chart, int width, int height, ChartPictureStyle style = {});

// ".jpg" is appended when the name has no extension; returns the name used.
std::string ChartSaveToJPEGFile(Chart& chart, const std::string& path, int quality, int width, int height,
                                ChartPictureStyle style = {});
// 8-bit RGB, top row first, compression level 9.
void ChartSaveToPNG(Chart& chart, const std::string& path, int width, int height, ChartPictureStyle style = {});
// A 24-bit BMP of the given size.
void ChartSaveToBitmap(Chart& chart, const std::string& path, int width, int height, ChartPictureStyle style = {});
void ChartSaveToSvg(Chart& chart, const std::string& path, int width, int height, ChartPictureStyle style = {});
// An encoded file (an SVG drawing, a PDF) written beside its target and
// renamed.
void SaveBytes(const QByteArray& bytes, const std::string& path);
// The chart as a vector image (SVG) together with a PNG of it, for programs
// that paste either.
void CopyToClipboardMetafile(Chart& chart, int width, int height, ChartPictureStyle style = {});

// Picture files of any image: JPEG and PNG through libjpeg and libpng, BMP
// as 24-bit; shared with the carpet's exports.
void SaveImageAsJpeg(const QImage& image, const std::string& path, int quality);
void SaveImageAsPng(const QImage& image, const std::string& path);
void SaveImageAsBmp(const QImage& image, const std::string& path);
// By the name's extension: .jpg or .jpeg (quality 90), .bmp, else PNG.
void SavePicture(const QImage& image, const std::string& path);

}  // namespace nivaro
