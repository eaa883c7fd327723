#include "ArrayOutput.h"

#include <algorithm>
#include <cctype>

#include "carpet/NpyWriter.h"
#include "carpet/TableWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Hdf5Writer.h"

namespace nivaro {

ArrayFormat ArrayFormatOf(const std::string& path)
{
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.ends_with(".npy")) {
        return ArrayFormat::Npy;
    }
    if (lower.ends_with(".h5")) {
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

ArrayOutput::ArrayOutput(const std::string& path, const SettingAttributes& settings) : format_(ArrayFormatOf(path))
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
        hdf5_->Commit();
        break;
    }
}

void ArrayOutput::WriteComplex(const ComplexGrid& values, const std::string& dataset, const std::string& unit)
{
    if (format_ == ArrayFormat::Hdf5) {
        WriteComplexDataset(*hdf5_, dataset, values, unit);
        hdf5_->Commit();
    } else {
        WriteNpy(file_->Stream(), values);
        file_->Commit();
    }
}

}  // namespace nivaro
