#include "TChartSeries.h"

#include <cmath>

#include "TChart.h"

namespace nivaro {

TChartSeries::TChartSeries()
{
    AddValueList("X");
    AddValueList("Y");
}

void TChartSeries::AddValueList(const char* name)
{
    valueLists_.push_back(std::make_unique<TChartValueList>(name));
}

int TChartSeries::AddXY(double x, double y, TColor colour)
{
    XValues().SetStaged(x);
    YValues().SetStaged(y);
    const int index = XValues().AddChartValue();
    YValues().InsertChartValue(index, y);
    for (std::size_t list = 2; list < valueLists_.size(); ++list) {
        valueLists_[list]->InsertChartValue(index, valueLists_[list]->Staged());
    }
    if (colours_) {
        colours_->insert(colours_->begin() + index, colour);
    } else if (colour != clAutomatic) {
        colours_.emplace(static_cast<std::size_t>(index), clAutomatic);
        colours_->insert(colours_->begin() + index, colour);
    }
    if (updateCount_ == 0 && active_) {
        Repaint();
    }
    return index;
}

void TChartSeries::Clear()
{
    firstVisible_ = -1;
    lastVisible_ = -1;
    for (const auto& list : valueLists_) {
        list->Clear();
    }
    colours_.reset();
    if (active_) {
        Repaint();
    }
}

void TChartSeries::SetValueColor(int index, TColor colour)
{
    if (!colours_) {
        if (colour == clAutomatic) {
            return;
        }
        colours_.emplace(static_cast<std::size_t>(Count()), clAutomatic);
    }
    (*colours_)[static_cast<std::size_t>(index)] = colour;
    Repaint();
}

TColor TChartSeries::ValueColor(int index) const
{
    return colours_ ? (*colours_)[static_cast<std::size_t>(index)] : clAutomatic;
}

void TChartSeries::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) {
        Repaint();
    }
}

void TChartSeries::SetActive(bool active)
{
    if (active != active_) {
        active_ = active;
        Repaint();
    }
}

void TChartSeries::Repaint() const
{
    if (parentChart_ != nullptr) {
        parentChart_->Invalidate();
    }
}

TCustom3DSeries::TCustom3DSeries()
{
    AddValueList("Z");
}

int TCustom3DSeries::AddXYZ(double x, double y, double z)
{
    ZValues().SetStaged(z);
    return AddXY(x, y);
}

TCustom3DGridSeries::TCustom3DGridSeries()
{
    ResetGridIndex();
}

void TCustom3DGridSeries::SetNumXValues(int count)
{
    if (count != numXValues_) {
        numXValues_ = count;
        Clear();
    }
}

void TCustom3DGridSeries::SetNumZValues(int count)
{
    if (count != numZValues_) {
        numZValues_ = count;
        Clear();
    }
}

void TCustom3DGridSeries::Clear()
{
    TCustom3DSeries::Clear();
    ResetGridIndex();
}

void TCustom3DGridSeries::ResetGridIndex()
{
    gridIndex_.assign(static_cast<std::size_t>(numXValues_ + 1) * static_cast<std::size_t>(numZValues_ + 1), -1);
}

void TCustom3DGridSeries::DoBeforeDrawChart()
{
    if (Count() > 0) {
        FillGridIndex(0);
    }
}

void TCustom3DGridSeries::FillGridIndex(int firstIndex)
{
    const auto round = [](double value) { return static_cast<int>(std::nearbyint(value)); };
    const int xOffset = round(XValues().MinValue()) - 1;
    const int zOffset = round(ZValues().MinValue()) - 1;
    numXValues_ = round(XValues().MaxValue()) - xOffset;
    numZValues_ = round(ZValues().MaxValue()) - zOffset;
    ResetGridIndex();
    for (int i = firstIndex; i < Count(); ++i) {
        const int row = round(XValues()[i]) - xOffset;
        const int column = round(ZValues()[i]) - zOffset;
        gridIndex_[static_cast<std::size_t>(row) * static_cast<std::size_t>(numZValues_ + 1) +
                   static_cast<std::size_t>(column)] = i;
    }
}

int TCustom3DGridSeries::GridIndex(int row, int column) const
{
    return gridIndex_[static_cast<std::size_t>(row) * static_cast<std::size_t>(numZValues_ + 1) +
                      static_cast<std::size_t>(column)];
}

}  // namespace nivaro
