#pragma once

#include <memory>
#include <vector>

#include "chart/Chart.h"
#include "chart/ColourMap.h"
#include "chart/PointSeries3D.h"
#include "chart/SurfaceSeries.h"

namespace nivaro {

// The density chart as the main window lays it out: the view, the margins
// and the two drawn axes.
void ConfigureMainView(Chart& chart);
// The surface's pen, colour range and stored palette.
void ConfigureMainSurface(SurfaceSeries& surface);
// The surface coloured by a map: green-red is the configured range and
// palette; the others span the values from lowest to highest.
void ApplyColourMap(SurfaceSeries& surface, ColourMapKind kind, double lowest, double highest);

inline constexpr int kMainChartWidth = 832;
inline constexpr int kMainChartHeight = 740;

// The density chart with its surface and the trajectory series it
// owns, filled from points with x, y and z members. The window and the batch
// program draw the same chart with it.
class MainChart {
public:
    MainChart();
    ~MainChart();
    MainChart(const MainChart&) = delete;
    MainChart& operator=(const MainChart&) = delete;

    Chart& Plot() { return chart_; }
    SurfaceSeries& Surface() { return surface_; }

    // Clears the surface, sets its grid size, drops the trajectory series
    // and adds the points, X varying slowest.
    template <typename Points>
    void FillSurface(int numX, int numZ, const Points& points)
    {
        surface_.Clear();
        surface_.SetNumXValues(numX);
        surface_.SetNumZValues(numZ);
        RemoveTrajectories();
        for (const auto& point : points) {
            surface_.AddXYZ(point.x, point.y, point.z);
        }
        ColourSurface();
    }

    // One point series per trajectory: small dots in the series colour joined
    // by a black line.
    template <typename Trajectories>
    void AddTrajectories(const Trajectories& trajectories)
    {
        for (const auto& points : trajectories) {
            PointSeries3D& series = NewTrajectorySeries();
            for (const auto& point : points) {
                series.AddXYZ(point.x, point.y, point.z);
            }
        }
    }

    void RemoveTrajectories();

    ColourMapKind ColourMap() const { return colourMap_; }
    // Recolours the surface at once.
    void SetColourMap(ColourMapKind kind);

private:
    void ColourSurface();
    PointSeries3D& NewTrajectorySeries();

    Chart chart_;
    SurfaceSeries surface_;
    std::vector<std::unique_ptr<PointSeries3D>> trajectories_;
    ColourMapKind colourMap_ = ColourMapKind::GreenRed;
};

}  // namespace nivaro
