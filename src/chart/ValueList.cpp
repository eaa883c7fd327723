#include "ValueList.h"

#include <cmath>

namespace nivaro {

void ValueList::MakeRoom()
{
    if (values_.size() == values_.capacity()) {
        values_.reserve(values_.capacity() + kChartDefaultCapacity);
    }
}

int ValueList::AddChartValue()
{
    MakeRoom();
    values_.push_back(staged_);
    stale_ = true;
    return Count() - 1;
}

void ValueList::InsertChartValue(int index, double value)
{
    MakeRoom();
    values_.insert(values_.begin() + index, value);
    stale_ = true;
}

void ValueList::Clear()
{
    std::vector<double>().swap(values_);
    stale_ = true;
}

const ValueList::Summary& ValueList::Statistics() const
{
    if (!stale_) {
        return summary_;
    }
    summary_ = Summary{};
    if (!values_.empty()) {
        summary_.min = summary_.max = values_.front();
        for (const double value : values_) {
            if (value < summary_.min) {
                summary_.min = value;
            } else if (value > summary_.max) {
                summary_.max = value;
            }
            summary_.total += value;
            summary_.totalAbs += std::abs(value);
        }
    }
    stale_ = false;
    return summary_;
}

}  // namespace nivaro
