#include "ArrayOutput.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "carpet/NpyWriter.h"
#include "carpet/TableWriter.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/Hdf5Writer.h"
#include "platform/TextMatching.h"

namespace nivaro {

ArrayFormat ArrayFormatOf(const std::string& path)
{
    if (EndsWithIgnoringCase(path, ".npy")) {
        return ArrayFormat::Npy;
    }
    if (EndsWithIgnoringCase(path, ".h5")) {
        return ArrayFormat::Hdf5;
    }
    return ArrayFormat::Text;
}

void WriteRealDataset(Hdf5Writer& file, const std::string& name, const RealMatrixT& values, const std::string& unit)
{
    file.WriteReal(name, values.Data(), values.Rows(), values.Cols(), unit);
}

void WriteComplexDataset(Hdf5Writer& file, const std::string& name, const ComplexGrid& values,
                         const std::string& unit)
{
    file.WriteComplex(name, values.Data(), values.Rows(), values.Cols(), unit);
}

void WriteSettingAttributes(Hdf5Writer& file, const SettingAttributes& settings)
{
    for (const auto& [key, value] : settings) {
        file.SetAttribute(key, value);
    }
}

ArrayOutput::ArrayOutput(const std::string& path, const SettingAttributes& settings)
    : path_(path), format_(ArrayFormatOf(path))
{
    if (format_ == ArrayFormat::Hdf5) {
        hdf5_ = std::make_unique<Hdf5Writer>(path);
        WriteSettingAttributes(*hdf5_, settings);
    } else {
        file_ = std::make_unique<AtomicFile>(path, format_ == ArrayFormat::Npy);
    }
}

ArrayOutput::~ArrayOutput() = default;

void ArrayOutput::WriteReal(const RealMatrixT& values, const std::string& dataset, const std::string& unit,
                            const std::string& textFormat)
{
    switch (format_) {
    case ArrayFormat::Text:
        WriteTable(file_->Stream(), values, nullptr, textFormat.c_str());
        file_->Commit();
        break;
    case ArrayFormat::Npy:
        WriteNpy(file_->Stream(), values);
        file_->Commit();
        break;
    case ArrayFormat::Hdf5:
        WriteRealDataset(*hdf5_, dataset, values, unit);
        CommitHdf5(dataset);
        break;
    }
}

void ArrayOutput::AddGridCoordinates(const std::vector<double>& x, const std::vector<double>& z)
{
    if (hdf5_) {
        hdf5_->WriteVector("x_m", x, "m");
        hdf5_->WriteVector("z_m", z, "m");
        gridCoordinates_ = true;
    }
}

void ArrayOutput::CommitHdf5(const std::string& dataset)
{
    if (gridCoordinates_) {
        hdf5_->AttachScales(dataset, {"x_m", "z_m"});
    }
    hdf5_->Commit();
}

void ArrayOutput::WriteComplex(const ComplexGrid& values, const std::string& dataset, const std::string& unit)
{
    if (format_ == ArrayFormat::Hdf5) {
        WriteComplexDataset(*hdf5_, dataset, values, unit);
        CommitHdf5(dataset);
    } else {
        WriteNpy(file_->Stream(), values);
        file_->Commit();
    }
}

void ArrayOutput::WriteRecords(const std::string& dataset, const RecordLayout& layout, const void* records,
                               std::size_t count)
{
    if (format_ == ArrayFormat::Hdf5) {
        hdf5_->WriteRecords(dataset, layout, records, count);
        hdf5_->Commit();
    } else {
        WriteNpyRecords(file_->Stream(), layout, records, count);
        file_->Commit();
    }
}

std::FILE* ArrayOutput::TextStream() const
{
    return file_->Stream();
}

void ArrayOutput::CommitText()
{
    file_->Commit();
}

void ArrayOutput::BeginColumns(bool complex, const std::string& dataset, int rows, int cols, int blockColumns,
                               const std::string& unit)
{
    columns_ = {complex ? 2 * sizeof(double) : sizeof(double), 0, cols, rows};
    if (format_ == ArrayFormat::Hdf5) {
        columnsDataset_ = dataset;
        hdf5_->BeginColumns(dataset, complex ? Hdf5Writer::Element::Complex : Hdf5Writer::Element::Real, rows, cols,
                            blockColumns, unit);
        return;
    }
    if (file_->TemporaryPath().empty()) {
        throw FileError(path_, "a grid written a block at a time must go to a regular file");
    }
    const std::string header = NpyHeader(complex ? "<c16" : "<f8", rows, cols);
    columns_.dataStart = header.size();
    std::FILE* stream = file_->Stream();
    std::fwrite(header.data(), 1, header.size(), stream);
    const off_t size = static_cast<off_t>(header.size() + columns_.elementBytes * rows * static_cast<std::size_t>(cols));
    if (std::fflush(stream) != 0 || ftruncate(fileno(stream), size) != 0) {
        throw FileError(path_, errno);
    }
}

void ArrayOutput::WriteColumns(int firstColumn, const GridView<const double>& values)
{
    WriteColumnBytes(firstColumn, values.cols, values.data, values.stride);
}

void ArrayOutput::WriteColumns(int firstColumn, const GridView<const std::complex<double>>& values)
{
    WriteColumnBytes(firstColumn, values.cols, values.data, values.stride);
}

void ArrayOutput::WriteColumnBytes(int firstColumn, int count, const void* values, std::ptrdiff_t stride)
{
    if (format_ == ArrayFormat::Hdf5) {
        hdf5_->WriteColumns(firstColumn, count, values, stride);
        return;
    }
    const int descriptor = fileno(file_->Stream());
    const std::size_t element = columns_.elementBytes;
    const auto* bytes = static_cast<const char*>(values);
    for (int row = 0; row < columns_.rows; ++row) {
        const char* from = bytes + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride) * element;
        std::size_t left = static_cast<std::size_t>(count) * element;
        auto at = static_cast<off_t>(columns_.dataStart +
                                     (static_cast<std::size_t>(row) * columns_.cols + firstColumn) * element);
        while (left > 0) {
            const ssize_t written = pwrite(descriptor, from, left, at);
            if (written < 0) {
                throw FileError(path_, errno);
            }
            from += written;
            left -= static_cast<std::size_t>(written);
            at += written;
        }
    }
}

void ArrayOutput::FinishColumns()
{
    if (format_ == ArrayFormat::Hdf5) {
        hdf5_->EndColumns();
        CommitHdf5(columnsDataset_);
    } else {
        file_->Commit();
    }
}

}  // namespace nivaro
