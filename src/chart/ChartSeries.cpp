#include "ChartSeries.h"

#include <cmath>

#include "Chart.h"

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

TColor TChartSeries::GetValueColor(int index) const
{
    const TColor own = ValueColor(index);
    return own == clAutomatic ? seriesColor_ : own;
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

}  // namespace nivaro
