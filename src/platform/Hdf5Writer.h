#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/RecordLayout.h"

namespace nivaro {

// An HDF5 file of datasets and attributes, written under a temporary name
// beside its target and renamed into place on Commit (without Commit nothing
// is left). Complex values are a compound of float64 fields "r" and "i",
// which h5py and Julia's HDF5 read as complex numbers. A name with '/'
// creates the groups it passes. Every failure throws FileError naming the
// target and what could not be written.
class Hdf5Writer {
public:
    explicit Hdf5Writer(const std::string& target);
    Hdf5Writer(const Hdf5Writer&) = delete;
    Hdf5Writer& operator=(const Hdf5Writer&) = delete;
    ~Hdf5Writer();

    // A rows by cols array, row after row, written in one call.
    void WriteReal(const std::string& name, const double* values, int rows, int cols, const std::string& unit);
    void WriteComplex(const std::string& name, const std::complex<double>* values, int rows, int cols,
                      const std::string& unit);
    void WriteVector(const std::string& name, const std::vector<double>& values, const std::string& unit);
    // `count` records one after the other as a one-dimensional compound
    // dataset; each field's unit is the dataset's attribute "FIELD_unit".
    void WriteRecords(const std::string& name, const RecordLayout& layout, const void* records, std::size_t count);

    // A rows by cols dataset written a block of columns at a time, stored in
    // chunks of blockColumns whole columns, for grids that do not fit in
    // memory. One such dataset is open at a time, until EndColumns.
    enum class Element { Real, Complex };
    void BeginColumns(const std::string& name, Element element, int rows, int cols, int blockColumns,
                      const std::string& unit);
    // Columns firstColumn .. firstColumn + count - 1 from rows of `values`
    // that lie stride elements apart.
    void WriteColumns(int firstColumn, int count, const void* values, std::ptrdiff_t stride);
    void EndColumns();
    // Makes each of the vectors `scales` (written before) a dimension scale
    // of dimension k of `dataset` (written before), so that tools show the
    // dataset against its coordinates.
    void AttachScales(const std::string& dataset, const std::vector<std::string>& scales);
    // An attribute of the file (its root group).
    void SetAttribute(const std::string& name, const std::string& value);
    void SetAttribute(const std::string& name, double value);

    void Commit();

private:
    // The system's reason when the library gave one, else what failed.
    FileError Failure(const std::string& what) const;
    [[noreturn]] void Fail(const std::string& what) const;
    void DropUnfinished() noexcept;

    std::string target_;
    AtomicFile file_;
    std::int64_t fileId_ = -1;  // the library's identifier of the open file
    // The dataset written a block of columns at a time, while it is open.
    struct OpenColumns;
    std::unique_ptr<OpenColumns> columns_;
};

}  // namespace nivaro
