#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"

namespace nivaro {

// The rows of a rows by cols array of doubles.
struct RealRows {
    int rows;
    int cols;
    std::function<const double*(int row)> row;
};

// The rows of a complex array; fill writes cols (re, im) pairs.
struct ComplexRows {
    int rows;
    int cols;
    std::function<void(int row, double* interleaved)> fill;
};

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

    void WriteReal(const std::string& name, const RealRows& rows, const std::string& unit);
    void WriteComplex(const std::string& name, const ComplexRows& rows, const std::string& unit);
    void WriteVector(const std::string& name, const std::vector<double>& values, const std::string& unit);
    // An attribute of the file (its root group).
    void SetAttribute(const std::string& name, const std::string& value);
    void SetAttribute(const std::string& name, double value);

    void Commit();

private:
    [[noreturn]] void Fail(const std::string& what) const;
    void CloseFile() noexcept;

    std::string target_;
    AtomicFile file_;
    std::int64_t fileId_ = -1;  // the library's identifier of the open file
};

}  // namespace nivaro
