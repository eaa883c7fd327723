#include "ChartSeries.h"

#include <cmath>

#include "Chart.h"

namespace nivaro {

ChartSeries::ChartSeries()
{
    AddValueList("X");
    AddValueList("Y");
}

void ChartSeries::AddValueList(const char* name)
{
    valueLists_.push_back(std::make_unique<ValueList>(name));
}

int ChartSeries::AddXY(double x, double y, Rgb colour)
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
    } else if (colour != kAutomaticColour) {
        colours_.emplace(static_cast<std::size_t>(index), kAutomaticColour);
        colours_->insert(colours_->begin() + index, colour);
    }
    if (updateCount_ == 0 && active_) {
        Repaint();
    }
    return index;
}

void ChartSeries::Clear()
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

void ChartSeries::SetValueColor(int index, Rgb colour)
{
    if (!colours_) {
        if (colour == kAutomaticColour) {
            return;
        }
        colours_.emplace(static_cast<std::size_t>(Count()), kAutomaticColour);
    }
    (*colours_)[static_cast<std::size_t>(index)] = colour;
    Repaint();
}

Rgb ChartSeries::ValueColor(int index) const
{
    return colours_ ? (*colours_)[static_cast<std::size_t>(index)] : kAutomaticColour;
}

Rgb ChartSeries::GetValueColor(int index) const
{
    const Rgb own = ValueColor(index);
    return own == kAutomaticColour ? seriesColor_ : own;
}

void ChartSeries::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) {
        Repaint();
    }
}

void ChartSeries::SetActive(bool active)
{
    if (active != active_) {
        active_ = active;
        Repaint();
    }
}

void ChartSeries::Repaint() const
{
    if (parentChart_ != nullptr) {
        parentChart_->Invalidate();
    }
}

XyzSeries::XyzSeries()
{
    AddValueList("Z");
}

int XyzSeries::AddXYZ(double x, double y, double z)
{
    ZValues().SetStaged(z);
    return AddXY(x, y);
}

}  // namespace nivaro
