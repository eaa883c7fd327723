#pragma once

#include <vector>

#include "chart/ChartSeries.h"

namespace nivaro {

struct PaletteEntry {
    double UpToValue;
    Rgb Color;
};

enum class PaletteKind { Pale, Strong, GrayScale, InvGray, Rainbow, Custom };

// A 3D series coloured by value: a continuous range from EndColor at the
// smallest Y through MidColor to StartColor at the largest, or a stepped
// palette of (upper bound, colour) entries.
class PaletteSeries3D : public XyzSeries {
public:
    bool UseColorRange = true;
    bool UsePalette = false;
    PaletteKind PaletteStyle = PaletteKind::Pale;
    int LegendEvery = 1;

    void SetColors(Rgb start, Rgb middle, Rgb end);
    Rgb StartColor() const { return start_; }
    Rgb MidColor() const { return middle_; }
    Rgb EndColor() const { return end_; }
    // Entries in rising order of their upper bounds.
    void SetPalette(std::vector<PaletteEntry> palette) { palette_ = std::move(palette); }
    const std::vector<PaletteEntry>& Palette() const { return palette_; }

    Rgb GetValueColor(int index) const override;
    Rgb GetValueColorValue(double y) const;
    // The colour of y with the values spanning lowest .. highest; drawing
    // takes the span of the series' values when it starts, a colour bar
    // beside the chart takes it from the values it shows.
    Rgb ColourInSpan(double y, double lowest, double highest) const;
    Rgb RangePercent(double fraction) const;
    Rgb GetSurfacePaletteColor(double y) const;

    int CountLegendItems() const;
    int LegendPaletteIndex(int item) const;
    std::string LegendString(int item) const;
    Rgb LegendItemColor(int item) const;

    void Clear() override;
    // Refreshes the range of Y that the colours span.
    void DoBeforeDrawChart() override;

private:
    struct Channels {
        int red;
        int green;
        int blue;
    };
    static Channels Split(Rgb colour);
    Rgb ColourOfOffset(double y, double lowest, double highest, double inverseSpan) const;

    Rgb start_ = 0x800000;
    Rgb middle_ = kNoColour;
    Rgb end_ = 0xFFFFFF;
    std::vector<PaletteEntry> palette_;
    double minimumY_ = 0.0;
    double maximumY_ = 0.0;
    double rangeInverse_ = 0.0;
};

// A 3D series whose points sit on the nodes of a regular grid. The grid
// index tells which point sits at node (row, column); row and column 0 are
// never used and -1 means no point.
class GridSeries3D : public PaletteSeries3D {
public:
    GridSeries3D();

    int NumXValues() const { return numXValues_; }
    int NumZValues() const { return numZValues_; }
    // A changed size empties the series and its grid index.
    void SetNumXValues(int count);
    void SetNumZValues(int count);

    void Clear() override;
    // Refreshes the colours and rebuilds the grid shape and index from the
    // points (when there are any).
    void DoBeforeDrawChart() override;
    // Nodes from the rounded values (halves to even): row r(X) - r(min X) + 1,
    // column r(Z) - r(min Z) + 1; a later point replaces an earlier one.
    void FillGridIndex(int firstIndex);
    int GridIndex(int row, int column) const;

private:
    void ResetGridIndex();
    std::size_t Slot(int row, int column) const;

    int numXValues_ = 10;
    int numZValues_ = 10;
    std::vector<int> gridIndex_;
};

// The visiting order of the cells for a view: dx and dz step from a cell's
// base node to its other corners.
struct CellsOrientation {
    int dx;
    int dz;
    int firstRow;
    int lastRow;
    int firstColumn;
    int lastColumn;
    bool headOn;  // rows from both ends towards the middle
};

// The surface: one filled quadrilateral per grid cell, drawn back to front
// for the view so that nearer cells cover farther ones.
class SurfaceSeries : public GridSeries3D {
public:
    DevicePen Pen{0, 1, PenStyle::Solid};

    CellsOrientation Orientation(const SeriesPaintContext& context) const;
    // The rows of an orientation in drawing order.
    static std::vector<int> RowOrder(const CellsOrientation& orientation);
    // The corner whose colour paints the cell: the one with the smaller row
    // and the larger column.
    static int ColorCorner(int dx, int dz);

    void DrawAllValues(const SeriesPaintContext& context) override;
    // The value index of the base corner of the first cell whose projected
    // quadrilateral holds the device point: columns nearest first, rows in
    // paint order; -1 when none does.
    int Clicked(const SeriesPaintContext& context, int x, int y) const;
    // Even-odd rule over the edges P3-P0, P0-P1, P1-P2, P2-P3.
    static bool InsideQuadrilateral(const DevicePoint (&corners)[4], int x, int y);

private:
    void DrawCell(const SeriesPaintContext& context, const CellsOrientation& orientation, int row, int column);
    // The four corner indices of a cell; false when one of them is missing.
    bool CellCorners(const CellsOrientation& orientation, int row, int column, int (&corners)[4]) const;
    // The projected corners, as a paint draws them.
    void ProjectCell(const SeriesPaintContext& context, const int (&corners)[4], DevicePoint (&points)[4]) const;
};

}  // namespace nivaro
