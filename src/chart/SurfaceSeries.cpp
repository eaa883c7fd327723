#include "SurfaceSeries.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "ChartRounding.h"
#include "ChartAxis.h"
#include "Canvas3D.h"

namespace nivaro {
namespace {

Rgb Compose(int red, int green, int blue)
{
    return static_cast<Rgb>(red + 256 * green + 65536 * blue);
}

}  // namespace

PaletteSeries3D::Channels PaletteSeries3D::Split(Rgb colour)
{
    return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
            static_cast<int>((colour >> 16) & 0xFF)};
}

void PaletteSeries3D::SetColors(Rgb start, Rgb middle, Rgb end)
{
    start_ = start;
    middle_ = middle;
    end_ = end;
    Repaint();
}

Rgb PaletteSeries3D::GetValueColor(int index) const
{
    const Rgb own = ValueColor(index);
    if (own != kAutomaticColour) {
        return own;
    }
    if (!UseColorRange && !UsePalette) {
        return SeriesColor();
    }
    return GetValueColorValue(YValues()[index]);
}

Rgb PaletteSeries3D::GetValueColorValue(double y) const
{
    if (UseColorRange) {
        return ColourOfOffset(y, minimumY_, maximumY_, rangeInverse_);
    }
    if (UsePalette && !palette_.empty()) {
        return GetSurfacePaletteColor(y);
    }
    return SeriesColor();
}

Rgb PaletteSeries3D::ColourInSpan(double y, double lowest, double highest) const
{
    if (!UseColorRange) {
        return GetValueColorValue(y);
    }
    const double span = highest - lowest;
    return ColourOfOffset(y, lowest, highest, span == 0.0 ? 0.0 : 1.0 / span);
}

Rgb PaletteSeries3D::ColourOfOffset(double y, double lowest, double highest, double inverseSpan) const
{
    const double offset = y - lowest;
    if (inverseSpan == 0.0 || offset < 0) {
        return end_;
    }
    if (y > highest) {
        return start_;
    }
    return RangePercent(std::min(offset * inverseSpan, 1.0));
}

Rgb PaletteSeries3D::RangePercent(double fraction) const
{
    const Channels e = Split(end_);
    const Channels s = Split(start_);
    if (middle_ == kNoColour) {
        return Compose(e.red + Round(fraction * (s.red - e.red)), e.green + Round(fraction * (s.green - e.green)),
                       e.blue + Round(fraction * (s.blue - e.blue)));
    }
    const Channels m = Split(middle_);
    if (fraction < 0.5) {
        const double f = 2 * fraction;
        return Compose(e.red + Round(f * (m.red - e.red)), e.green + Round(f * (m.green - e.green)),
                       e.blue + Round(f * (m.blue - e.blue)));
    }
    const double f = (fraction - 0.5) * 2;
    return Compose(m.red + Round(f * (s.red - m.red)), m.green + Round(f * (s.green - m.green)),
                   m.blue + Round(f * (s.blue - m.blue)));
}

Rgb PaletteSeries3D::GetSurfacePaletteColor(double y) const
{
    const auto above = std::upper_bound(palette_.begin(), palette_.end(), y,
                                        [](double value, const PaletteEntry& entry) { return value < entry.UpToValue; });
    return above == palette_.end() ? palette_.back().Color : above->Color;
}

int PaletteSeries3D::CountLegendItems() const
{
    if (Count() == 0 || (!UseColorRange && !UsePalette)) {
        return Count();
    }
    const int entries = static_cast<int>(palette_.size());
    return LegendEvery > 1 ? entries / LegendEvery + 1 : entries;
}

int PaletteSeries3D::LegendPaletteIndex(int item) const
{
    return static_cast<int>(palette_.size()) - item * LegendEvery - 1;
}

std::string PaletteSeries3D::LegendString(int item) const
{
    if (!UseColorRange && !UsePalette) {
        return item < Count() ? ChartAxis::FormatValue(YValues()[item]) : std::string();
    }
    const int entry = LegendPaletteIndex(item);
    if (item < 0 || item >= CountLegendItems() || entry < 0) {
        return {};
    }
    return ChartAxis::FormatValue(palette_[static_cast<std::size_t>(entry)].UpToValue);
}

Rgb PaletteSeries3D::LegendItemColor(int item) const
{
    const int entry = LegendPaletteIndex(item);
    if (entry < 0 || entry >= static_cast<int>(palette_.size())) {
        return SeriesColor();
    }
    if (UseColorRange) {
        return GetValueColorValue(palette_[static_cast<std::size_t>(entry)].UpToValue);
    }
    return UsePalette ? palette_[static_cast<std::size_t>(entry)].Color : SeriesColor();
}

void PaletteSeries3D::Clear()
{
    XyzSeries::Clear();
    if (UsePalette && PaletteStyle != PaletteKind::Custom) {
        palette_.clear();
    }
}

void PaletteSeries3D::DoBeforeDrawChart()
{
    minimumY_ = YValues().MinValue();
    maximumY_ = YValues().MaxValue();
    const double range = maximumY_ - minimumY_;
    rangeInverse_ = range == 0.0 ? 0.0 : 1.0 / range;
}

GridSeries3D::GridSeries3D()
{
    ResetGridIndex();
}

void GridSeries3D::SetNumXValues(int count)
{
    if (count != numXValues_) {
        numXValues_ = count;
        Clear();
    }
}

void GridSeries3D::SetNumZValues(int count)
{
    if (count != numZValues_) {
        numZValues_ = count;
        Clear();
    }
}

void GridSeries3D::Clear()
{
    PaletteSeries3D::Clear();
    ResetGridIndex();
}

std::size_t GridSeries3D::Slot(int row, int column) const
{
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(numZValues_ + 1) + static_cast<std::size_t>(column);
}

void GridSeries3D::ResetGridIndex()
{
    gridIndex_.assign(static_cast<std::size_t>(numXValues_ + 1) * static_cast<std::size_t>(numZValues_ + 1), -1);
}

void GridSeries3D::DoBeforeDrawChart()
{
    PaletteSeries3D::DoBeforeDrawChart();
    if (Count() > 0) {
        FillGridIndex(0);
    }
}

void GridSeries3D::FillGridIndex(int firstIndex)
{
    const int xOffset = Round(XValues().MinValue()) - 1;
    const int zOffset = Round(ZValues().MinValue()) - 1;
    numXValues_ = Round(XValues().MaxValue()) - xOffset;
    numZValues_ = Round(ZValues().MaxValue()) - zOffset;
    ResetGridIndex();
    for (int i = firstIndex; i < Count(); ++i) {
        const int row = Round(XValues()[i]) - xOffset;
        const int column = Round(ZValues()[i]) - zOffset;
        gridIndex_[Slot(row, column)] = i;
    }
}

int GridSeries3D::GridIndex(int row, int column) const
{
    if (row < 0 || column < 0 || row > NumXValues() || column > NumZValues()) {
        return -1;
    }
    return gridIndex_[Slot(row, column)];
}

CellsOrientation SurfaceSeries::Orientation(const SeriesPaintContext& context) const
{
    const int rotation = context.rotation;
    const bool backFaced = context.depth.Inverted != (rotation > 90 && rotation < 270);
    const bool forward = context.horizontal.Inverted == context.invertedRotation;
    CellsOrientation orientation{};
    if (backFaced) {
        orientation = {0, 1, 0, 0, 1, NumZValues() - 1, false};
    } else {
        orientation = {0, -1, 0, 0, NumZValues(), 2, false};
    }
    if (forward) {
        orientation.dx = -1;
        orientation.firstRow = 2;
        orientation.lastRow = NumXValues();
    } else {
        orientation.dx = 1;
        orientation.firstRow = NumXValues() - 1;
        orientation.lastRow = 1;
    }
    orientation.headOn = context.perspective > 0 && (rotation % 360 == 0 || rotation % 360 == 180);
    return orientation;
}

std::vector<int> SurfaceSeries::RowOrder(const CellsOrientation& orientation)
{
    std::vector<int> ordinary;
    const int step = orientation.firstRow <= orientation.lastRow ? 1 : -1;
    for (int row = orientation.firstRow; row != orientation.lastRow + step; row += step) {
        ordinary.push_back(row);
    }
    if (!orientation.headOn || ordinary.empty()) {
        return ordinary;
    }
    std::vector<int> fromBothEnds;
    std::size_t low = 0;
    std::size_t high = ordinary.size();
    while (low < high) {
        fromBothEnds.push_back(ordinary[low++]);
        if (low < high) {
            fromBothEnds.push_back(ordinary[--high]);
        }
    }
    return fromBothEnds;
}

int SurfaceSeries::ColorCorner(int dx, int dz)
{
    if (dx > 0) {
        return dz > 0 ? 3 : 0;
    }
    return dz > 0 ? 2 : 1;
}

void SurfaceSeries::DrawAllValues(const SeriesPaintContext& context)
{
    if (Count() == 0 || NumXValues() < 2 || NumZValues() < 2) {
        return;
    }
    Canvas3D& canvas = context.canvas;
    canvas.SetPen(Pen);
    canvas.SetBrush({SeriesColor(), BrushStyle::Solid});
    const CellsOrientation orientation = Orientation(context);
    const int columnStep = orientation.firstColumn <= orientation.lastColumn ? 1 : -1;
    for (const int row : RowOrder(orientation)) {
        for (int column = orientation.firstColumn; column != orientation.lastColumn + columnStep; column += columnStep) {
            DrawCell(context, orientation, row, column);
        }
    }
}

bool SurfaceSeries::CellCorners(const CellsOrientation& orientation, int row, int column, int (&corners)[4]) const
{
    corners[0] = GridIndex(row, column);
    corners[1] = GridIndex(row + orientation.dx, column);
    corners[2] = GridIndex(row + orientation.dx, column + orientation.dz);
    corners[3] = GridIndex(row, column + orientation.dz);
    return std::all_of(std::begin(corners), std::end(corners), [](int corner) { return corner >= 0; });
}

void SurfaceSeries::ProjectCell(const SeriesPaintContext& context, const int (&corners)[4],
                                 DevicePoint (&points)[4]) const
{
    const int z0 = context.depth.CalcPosValue(ZValues()[corners[0]]);
    const int z1 = context.depth.CalcPosValue(ZValues()[corners[2]]);
    for (int k = 0; k < 4; ++k) {
        points[k] = context.canvas.Calc3DPos(context.horizontal.CalcPosValue(XValues()[corners[k]]),
                                             context.vertical.CalcPosValue(YValues()[corners[k]]), k < 2 ? z0 : z1);
    }
}

bool SurfaceSeries::InsideQuadrilateral(const DevicePoint (&corners)[4], int x, int y)
{
    bool inside = false;
    for (int k = 0; k < 4; ++k) {
        const DevicePoint& a = corners[(k + 3) % 4];
        const DevicePoint& b = corners[k];
        const bool spans = (a.y <= y && y < b.y) || (b.y <= y && y < a.y);
        if (spans && x < a.x + static_cast<double>(b.x - a.x) * (y - a.y) / (b.y - a.y)) {
            inside = !inside;
        }
    }
    return inside;
}

int SurfaceSeries::Clicked(const SeriesPaintContext& context, int x, int y) const
{
    if (Count() == 0 || NumXValues() < 2 || NumZValues() < 2) {
        return -1;
    }
    // The paint's columns in reverse order (nearest first), each cell now
    // based on its other column.
    CellsOrientation orientation = Orientation(context);
    if (orientation.dz == -1) {
        orientation.dz = 1;
        orientation.firstColumn = 1;
        orientation.lastColumn = NumZValues() - 1;
    } else {
        orientation.dz = -1;
        orientation.firstColumn = NumZValues();
        orientation.lastColumn = 2;
    }
    const int columnStep = orientation.firstColumn <= orientation.lastColumn ? 1 : -1;
    const std::vector<int> rows = RowOrder(orientation);
    for (int column = orientation.firstColumn; column != orientation.lastColumn + columnStep; column += columnStep) {
        for (const int row : rows) {
            int corners[4];
            if (!CellCorners(orientation, row, column, corners)) {
                continue;
            }
            DevicePoint points[4];
            ProjectCell(context, corners, points);
            if (InsideQuadrilateral(points, x, y)) {
                return corners[0];
            }
        }
    }
    return -1;
}

void SurfaceSeries::DrawCell(const SeriesPaintContext& context, const CellsOrientation& orientation, int row,
                              int column)
{
    int corners[4];
    if (!CellCorners(orientation, row, column, corners)) {
        return;
    }
    DevicePoint points[4];
    for (int k = 0; k < 4; ++k) {
        points[k] = {context.horizontal.CalcPosValue(XValues()[corners[k]]),
                     context.vertical.CalcPosValue(YValues()[corners[k]])};
    }
    const Rgb colour = GetValueColor(corners[ColorCorner(orientation.dx, orientation.dz)]);
    if (colour == kNoColour) {
        return;
    }
    const int z0 = context.depth.CalcPosValue(ZValues()[corners[0]]);
    const int z1 = context.depth.CalcPosValue(ZValues()[corners[2]]);
    Canvas3D& canvas = context.canvas;
    if (canvas.Brush().style != BrushStyle::Clear) {
        canvas.SetBrush({colour, canvas.Brush().style});
    }
    canvas.PlaneFour3D(points[0], points[1], points[2], points[3], z0, z1);
}

}  // namespace nivaro
