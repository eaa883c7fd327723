#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "numeric/Matrices.h"
#include "platform/RecordLayout.h"

namespace nivaro {

class AtomicFile;
class Hdf5Writer;

// The format of a numeric output, by its name's extension: ".npy" (NumPy),
// ".h5" (HDF5), anything else the text table.
enum class ArrayFormat { Text, Npy, Hdf5 };
ArrayFormat ArrayFormatOf(const std::string& path);

// The settings as the configuration stores them, and the program's version:
// the attributes of every HDF5 file the batch writes.
using SettingAttributes = std::vector<std::pair<std::string, std::string>>;

// One numeric output file, opened before the computation (so that a folder
// that cannot be written is told at once) and written when its array is
// ready: a text table in the given printf format, a .npy array, or an HDF5
// file holding the array as one dataset with its unit and the settings.
class ArrayOutput {
public:
    ArrayOutput(const std::string& path, const SettingAttributes& settings);
    ~ArrayOutput();

    void WriteReal(const RealMatrixT& values, const std::string& dataset, const std::string& unit,
                   const std::string& textFormat);
    void WriteComplex(const ComplexGrid& values, const std::string& dataset, const std::string& unit);
    // The grid's x and z (m) beside the array in an HDF5 file, as its
    // dimension scales x_m and z_m (other formats hold one array only);
    // before the array is written.
    void AddGridCoordinates(const std::vector<double>& x, const std::vector<double>& z);
    // `count` records, as a NumPy structured array or an HDF5 compound
    // dataset (.npy and .h5 only).
    void WriteRecords(const std::string& dataset, const RecordLayout& layout, const void* records, std::size_t count);

    ArrayFormat Format() const { return format_; }
    // A text output's stream, for a caller that writes its own text, and
    // putting that text in place.
    std::FILE* TextStream() const;
    void CommitText();

    // For a grid that does not fit in memory (.npy and .h5 only): its shape
    // first, then its blocks of columns in any order, then FinishColumns.
    // A .npy is written straight into its place in the file; an HDF5 dataset
    // is stored in chunks of blockColumns columns.
    static bool Streams(ArrayFormat format) { return format != ArrayFormat::Text; }
    void BeginColumns(bool complex, const std::string& dataset, int rows, int cols, int blockColumns,
                      const std::string& unit);
    void WriteColumns(int firstColumn, const GridView<const double>& values);
    void WriteColumns(int firstColumn, const GridView<const std::complex<double>>& values);
    void FinishColumns();

private:
    void WriteColumnBytes(int firstColumn, int count, const void* values, std::ptrdiff_t stride);

    void CommitHdf5(const std::string& dataset);

    std::string path_;
    ArrayFormat format_;
    bool gridCoordinates_ = false;
    std::string columnsDataset_;
    std::unique_ptr<AtomicFile> file_;
    std::unique_ptr<Hdf5Writer> hdf5_;
    // The shape of the grid written a block of columns at a time.
    struct ColumnLayout {
        std::size_t elementBytes = 0;
        std::size_t dataStart = 0;  // the header's length in a .npy
        int cols = 0;
        int rows = 0;
    } columns_;
};

// The grids as datasets of an HDF5 file.
void WriteRealDataset(Hdf5Writer& file, const std::string& name, const RealMatrixT& values, const std::string& unit);
void WriteComplexDataset(Hdf5Writer& file, const std::string& name, const ComplexGrid& values,
                         const std::string& unit);
void WriteSettingAttributes(Hdf5Writer& file, const SettingAttributes& settings);

}  // namespace nivaro
