#pragma once

// Reading back what the program writes as .npy and HDF5 files.

#include <hdf5.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace nivaro {

// The values after a .npy file's header, which NpyWriterTest checks.
inline std::vector<double> NpyValues(const std::filesystem::path& path)
{
    const std::string bytes = ReadWholeFile(path);
    const std::size_t length = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    std::vector<double> values((bytes.size() - 10 - length) / sizeof(double));
    std::memcpy(values.data(), bytes.data() + 10 + length, values.size() * sizeof(double));
    return values;
}

inline std::vector<double> Hdf5Values(hid_t file, const char* name, hid_t memoryType, std::size_t doublesPerValue)
{
    const hid_t dataset = H5Dopen2(file, name, H5P_DEFAULT);
    const hid_t space = H5Dget_space(dataset);
    std::vector<double> values(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space)) * doublesPerValue);
    H5Dread(dataset, memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
    H5Sclose(space);
    H5Dclose(dataset);
    return values;
}

inline std::string Hdf5Attribute(hid_t file, const char* name)
{
    const hid_t attribute = H5Aopen(file, name, H5P_DEFAULT);
    const hid_t type = H5Aget_type(attribute);
    char* text = nullptr;
    H5Aread(attribute, type, &text);
    std::string value = text != nullptr ? text : "";
    H5free_memory(text);
    H5Tclose(type);
    H5Aclose(attribute);
    return value;
}

}  // namespace nivaro
