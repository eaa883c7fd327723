#pragma once

#include <QImage>
#include <QPainter>
#include <functional>
#include <optional>
#include <string>

namespace nivaro {

class Chart;

// A value axis along one side of a figure's picture: the values at its two
// edges (left then right, bottom then top) and its title with the unit.
struct FigureAxis {
    double first = 0.0;
    double last = 1.0;
    std::string title;
};

// The colour scale beside a figure's view.
struct FigureColourScale {
    std::function<QColor(double)> colourOf;
    double lowest = 0.0;
    double highest = 1.0;
    std::string title;  // the quantity and its unit
    // Values above it were drawn in its colour; the scale says so.
    std::optional<double> clippedAbove;
};

// What a figure shows: an optional title line, a view and its colour scale.
// The view is a chart, drawn with its own axes, or a picture with an axis
// below it and one on its left; picture row 0 is drawn at the top.
struct Figure {
    std::string title;
    Chart* chart = nullptr;
    QImage picture;
    FigureAxis horizontal;
    FigureAxis vertical;
    std::optional<FigureColourScale> colourScale;
};

// A figure's page in pixels, and the resolution its PNG and PDF record.
struct FigurePage {
    int width = 1200;
    int height = 900;
    int dpi = 150;
};

// The figure laid out on painter's device of the page's size, all of its
// text in one sans-serif font that grows with the page. A chart is laid out
// anew for its part of the page and keeps its own view.
void PaintFigure(QPainter& painter, const Figure& figure, const FigurePage& page);
QImage RenderFigure(const Figure& figure, const FigurePage& page);
// By the name's extension: .png, .svg or .pdf (text stays text in the last
// two). Throws std::invalid_argument for another extension, FileError when
// the file cannot be written.
void SaveFigure(const Figure& figure, const std::string& path, const FigurePage& page);
// Whether SaveFigure takes a file of this name.
bool IsFigureFileName(const std::string& path);

// A colour scale in area, for a figure and for the window's colour bar: its
// title on top, then a note and a flat band of the top colour when values
// were clipped, the bar and its ticks at round values.
void PaintColourScale(QPainter& painter, const FigureColourScale& scale, const QRectF& area);

}  // namespace nivaro
