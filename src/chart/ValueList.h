#pragma once

#include <string>
#include <vector>

namespace nivaro {

// One coordinate of every point of a series ("X", "Y" or "Z"), in insertion
// order. Room grows in steps of kChartDefaultCapacity values; the statistics
// are computed on the first query after a change.
class ValueList {
public:
    static constexpr int kChartDefaultCapacity = 1000;

    explicit ValueList(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    int Count() const { return static_cast<int>(values_.size()); }
    int Capacity() const { return static_cast<int>(values_.capacity()); }
    double operator[](int index) const { return values_[static_cast<std::size_t>(index)]; }

    // The value that the next add stores.
    void SetStaged(double value) { staged_ = value; }
    double Staged() const { return staged_; }

    // Appends the staged value; returns its index.
    int AddChartValue();
    void InsertChartValue(int index, double value);
    // Removes every value and releases the storage.
    void Clear();

    double MinValue() const { return Statistics().min; }
    double MaxValue() const { return Statistics().max; }
    double Range() const { return MaxValue() - MinValue(); }
    double Total() const { return Statistics().total; }
    double TotalABS() const { return Statistics().totalAbs; }

private:
    struct Summary {
        double min = 0.0;
        double max = 0.0;
        double total = 0.0;
        double totalAbs = 0.0;
    };
    const Summary& Statistics() const;
    void MakeRoom();

    std::string name_;
    std::vector<double> values_;
    double staged_ = 0.0;
    mutable Summary summary_;
    mutable bool stale_ = true;
};

}  // namespace nivaro
