#pragma once

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"

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
