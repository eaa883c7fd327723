#include "Hdf5Writer.h"

#include <hdf5.h>
#include <hdf5_hl.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "FileError.h"

namespace nivaro {
namespace {

static_assert(sizeof(hid_t) == sizeof(std::int64_t), "the header keeps the file's identifier as int64");

// An identifier of the library, closed by its own close function.
class Id {
public:
    Id(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
    Id(Id&& other) noexcept : id_(std::exchange(other.id_, -1)), close_(other.close_) {}
    Id(const Id&) = delete;
    Id& operator=(const Id&) = delete;
    Id& operator=(Id&&) = delete;
    ~Id()
    {
        if (id_ >= 0) {
            close_(id_);
        }
    }
    hid_t operator*() const { return id_; }
    bool Valid() const { return id_ >= 0; }

private:
    hid_t id_;
    herr_t (*close_)(hid_t);
};

// Datasets may be named with a path; the groups on the way are created.
Id IntermediateGroups()
{
    Id list(H5Pcreate(H5P_LINK_CREATE), H5Pclose);
    H5Pset_create_intermediate_group(*list, 1);
    return list;
}

Id ComplexType()
{
    Id type(H5Tcreate(H5T_COMPOUND, 2 * sizeof(double)), H5Tclose);
    H5Tinsert(*type, "r", 0, H5T_NATIVE_DOUBLE);
    H5Tinsert(*type, "i", sizeof(double), H5T_NATIVE_DOUBLE);
    return type;
}

Id Utf8StringType()
{
    Id type(H5Tcopy(H5T_C_S1), H5Tclose);
    H5Tset_size(*type, H5T_VARIABLE);
    H5Tset_cset(*type, H5T_CSET_UTF8);
    return type;
}

bool WriteScalarAttribute(hid_t object, const std::string& name, hid_t type, const void* value)
{
    const Id space(H5Screate(H5S_SCALAR), H5Sclose);
    const Id attribute(H5Acreate2(object, name.c_str(), type, *space, H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
    return attribute.Valid() && H5Awrite(*attribute, type, value) >= 0;
}

bool WriteStringAttribute(hid_t object, const std::string& name, const std::string& value)
{
    const Id type = Utf8StringType();
    const char* text = value.c_str();
    return WriteScalarAttribute(object, name, *type, &text);
}

// The system's reason for the last failed call of the library on this
// thread (0 when it gave none): its error stack names the errno of a failed
// read or write, and is cleared by the next call.
thread_local int lastSystemError = 0;

herr_t KeepSystemError(unsigned, const H5E_error2_t* error, void*)
{
    const std::string_view description = error->desc != nullptr ? error->desc : "";
    const std::size_t at = description.find("errno = ");
    if (at != std::string_view::npos) {
        lastSystemError = std::atoi(description.data() + at + 8);
    }
    return 0;
}

// Instead of printing the error stack (the library's default), keep its reason.
herr_t OnLibraryFailure(hid_t stack, void*)
{
    H5Ewalk2(stack, H5E_WALK_DOWNWARD, KeepSystemError, nullptr);
    return 0;
}

}  // namespace

Hdf5Writer::Hdf5Writer(const std::string& target) : target_(target), file_(target, true)
{
    if (file_.TemporaryPath().empty()) {
        throw FileError(target_, "an HDF5 file must be a regular file");
    }
    H5Eset_auto2(H5E_DEFAULT, OnLibraryFailure, nullptr);
    lastSystemError = 0;
    fileId_ = H5Fcreate(file_.TemporaryPath().c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    if (fileId_ < 0) {
        Fail("the file");
    }
}

struct Hdf5Writer::OpenColumns {
    Id dataset;
    Id type;
    std::string name;
    std::string unit;
    int rows;
    int cols;
    int blockColumns;
};

Hdf5Writer::~Hdf5Writer()
{
    columns_.reset();
    DropUnfinished();
}

// What the library still writes of a dropped file goes to memory, so that
// closing it cannot fail for want of room (a file the library could not
// close would crash it at exit).
void Hdf5Writer::DropUnfinished() noexcept
{
    if (fileId_ < 0) {
        return;
    }
    void* handle = nullptr;
    if (H5Fget_vfd_handle(fileId_, H5P_DEFAULT, &handle) >= 0 && handle != nullptr) {
        const int scratch = ::memfd_create("nivaro-dropped-hdf5", 0);
        if (scratch >= 0) {
            ::dup2(scratch, *static_cast<int*>(handle));
            ::close(scratch);
        }
    }
    H5Fclose(fileId_);
    fileId_ = -1;
}

FileError Hdf5Writer::Failure(const std::string& what) const
{
    const int error = std::exchange(lastSystemError, 0);
    return error != 0 ? FileError(target_, error) : FileError(target_, "HDF5 could not write " + what);
}

void Hdf5Writer::Fail(const std::string& what) const
{
    throw Failure(what);
}

namespace {

// A rows by cols dataset, stored as the creation properties say.
Id CreateDataset(hid_t file, const std::string& name, hid_t type, int rows, int cols, hid_t creation)
{
    const hsize_t dims[2] = {static_cast<hsize_t>(rows), static_cast<hsize_t>(cols)};
    const Id space(H5Screate_simple(2, dims, nullptr), H5Sclose);
    const Id links = IntermediateGroups();
    return Id(H5Dcreate2(file, name.c_str(), type, *space, *links, creation, H5P_DEFAULT), H5Dclose);
}

// Writes a rows by cols dataset from one contiguous block in one call.
bool WriteArray(hid_t file, const std::string& name, hid_t fileType, hid_t memoryType, int rows, int cols,
                const std::string& unit, const void* values)
{
    const Id dataset = CreateDataset(file, name, fileType, rows, cols, H5P_DEFAULT);
    if (!dataset.Valid()) {
        return false;
    }
    const bool empty = rows == 0 || cols == 0;
    return (empty || H5Dwrite(*dataset, memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, values) >= 0) &&
           WriteStringAttribute(*dataset, "unit", unit);
}

}  // namespace

void Hdf5Writer::WriteReal(const std::string& name, const double* values, int rows, int cols, const std::string& unit)
{
    if (!WriteArray(fileId_, name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, rows, cols, unit, values)) {
        Fail(name);
    }
}

void Hdf5Writer::WriteComplex(const std::string& name, const std::complex<double>* values, int rows, int cols,
                              const std::string& unit)
{
    static_assert(sizeof(std::complex<double>) == 2 * sizeof(double), "the compound's fields are the parts in order");
    const Id type = ComplexType();
    if (!WriteArray(fileId_, name, *type, *type, rows, cols, unit, values)) {
        Fail(name);
    }
}

namespace {

// A one-dimensional dataset of `count` elements written in one call; not
// valid when it could not be created or written.
Id WriteVectorDataset(hid_t file, const std::string& name, hid_t fileType, hid_t memoryType, std::size_t count,
                      const void* values)
{
    const hsize_t dims[1] = {count};
    const Id space(H5Screate_simple(1, dims, nullptr), H5Sclose);
    const Id links = IntermediateGroups();
    Id dataset(H5Dcreate2(file, name.c_str(), fileType, *space, *links, H5P_DEFAULT, H5P_DEFAULT), H5Dclose);
    if (dataset.Valid() && count > 0 && H5Dwrite(*dataset, memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, values) < 0) {
        return Id(-1, H5Dclose);
    }
    return dataset;
}

Id CompoundType(const RecordLayout& layout)
{
    Id type(H5Tcreate(H5T_COMPOUND, layout.bytes), H5Tclose);
    for (const RecordField& field : layout.fields) {
        H5Tinsert(*type, field.name, field.offset,
                  field.type == RecordField::Type::Int64 ? H5T_NATIVE_INT64 : H5T_NATIVE_DOUBLE);
    }
    return type;
}

}  // namespace

void Hdf5Writer::WriteVector(const std::string& name, const std::vector<double>& values, const std::string& unit)
{
    const Id dataset =
        WriteVectorDataset(fileId_, name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, values.size(), values.data());
    if (!dataset.Valid() || !WriteStringAttribute(*dataset, "unit", unit)) {
        Fail(name);
    }
}

void Hdf5Writer::AttachScales(const std::string& dataset, const std::vector<std::string>& scales)
{
    const Id data(H5Dopen2(fileId_, dataset.c_str(), H5P_DEFAULT), H5Dclose);
    bool attached = data.Valid();
    for (std::size_t k = 0; attached && k < scales.size(); ++k) {
        const Id scale(H5Dopen2(fileId_, scales[k].c_str(), H5P_DEFAULT), H5Dclose);
        attached = scale.Valid() && (H5DSis_scale(*scale) > 0 || H5DSset_scale(*scale, scales[k].c_str()) >= 0) &&
                   H5DSattach_scale(*data, *scale, static_cast<unsigned>(k)) >= 0;
    }
    if (!attached) {
        Fail("the dimension scales of " + dataset);
    }
}

void Hdf5Writer::WriteRecords(const std::string& name, const RecordLayout& layout, const void* records,
                              std::size_t count)
{
    const Id type = CompoundType(layout);
    const Id dataset = WriteVectorDataset(fileId_, name, *type, *type, count, records);
    bool written = dataset.Valid();
    for (const RecordField& field : layout.fields) {
        written = written && WriteStringAttribute(*dataset, std::string(field.name) + "_unit", field.unit);
    }
    if (!written) {
        Fail(name);
    }
}

void Hdf5Writer::BeginColumns(const std::string& name, Element element, int rows, int cols, int blockColumns,
                              const std::string& unit)
{
    Id type = element == Element::Complex ? ComplexType() : Id(H5Tcopy(H5T_IEEE_F64LE), H5Tclose);
    const Id chunked(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
    const hsize_t chunk[2] = {static_cast<hsize_t>(std::max(rows, 1)),
                              static_cast<hsize_t>(std::clamp(blockColumns, 1, std::max(cols, 1)))};
    H5Pset_chunk(*chunked, 2, chunk);
    Id dataset = CreateDataset(fileId_, name, *type, rows, cols, *chunked);
    if (!dataset.Valid()) {
        Fail(name);
    }
    columns_ = std::make_unique<OpenColumns>(
        OpenColumns{std::move(dataset), std::move(type), name, unit, rows, cols, static_cast<int>(chunk[1])});
}

void Hdf5Writer::WriteColumns(int firstColumn, int count, const void* values, std::ptrdiff_t stride)
{
    const OpenColumns& open = *columns_;
    // A whole chunk laid out as the file keeps it goes in as it is, past the
    // library's conversion buffer (a fifth of the time at 16000 by 16000).
    if (count == open.blockColumns && stride == count && firstColumn % open.blockColumns == 0) {
        const hsize_t offset[2] = {0, static_cast<hsize_t>(firstColumn)};
        const std::size_t bytes = H5Tget_size(*open.type) * static_cast<std::size_t>(open.rows) * count;
        if (H5Dwrite_chunk(*open.dataset, H5P_DEFAULT, 0, offset, bytes, values) < 0) {
            Fail(open.name);
        }
        return;
    }
    const hsize_t fileDims[2] = {static_cast<hsize_t>(open.rows), static_cast<hsize_t>(open.cols)};
    const Id fileSpace(H5Screate_simple(2, fileDims, nullptr), H5Sclose);
    const hsize_t start[2] = {0, static_cast<hsize_t>(firstColumn)};
    const hsize_t extent[2] = {static_cast<hsize_t>(open.rows), static_cast<hsize_t>(count)};
    H5Sselect_hyperslab(*fileSpace, H5S_SELECT_SET, start, nullptr, extent, nullptr);
    const hsize_t memoryDims[2] = {static_cast<hsize_t>(open.rows), static_cast<hsize_t>(stride)};
    const Id memorySpace(H5Screate_simple(2, memoryDims, nullptr), H5Sclose);
    const hsize_t origin[2] = {0, 0};
    H5Sselect_hyperslab(*memorySpace, H5S_SELECT_SET, origin, nullptr, extent, nullptr);
    if (H5Dwrite(*open.dataset, *open.type, *memorySpace, *fileSpace, H5P_DEFAULT, values) < 0) {
        Fail(open.name);
    }
}

void Hdf5Writer::EndColumns()
{
    const std::unique_ptr<OpenColumns> open = std::move(columns_);
    if (!WriteStringAttribute(*open->dataset, "unit", open->unit)) {
        Fail(open->name);
    }
}

void Hdf5Writer::SetAttribute(const std::string& name, const std::string& value)
{
    if (!WriteStringAttribute(fileId_, name, value)) {
        Fail("the attribute " + name);
    }
}

void Hdf5Writer::SetAttribute(const std::string& name, double value)
{
    if (!WriteScalarAttribute(fileId_, name, H5T_NATIVE_DOUBLE, &value)) {
        Fail("the attribute " + name);
    }
}

void Hdf5Writer::Commit()
{
    // A close that fails leaves the file broken in the library, so
    // everything is written out first.
    if (H5Fflush(fileId_, H5F_SCOPE_GLOBAL) < 0) {
        const FileError failure = Failure("the file");
        DropUnfinished();
        throw failure;
    }
    const herr_t closed = H5Fclose(fileId_);
    fileId_ = -1;
    if (closed < 0) {
        Fail("the file");
    }
    file_.Commit();
}

}  // namespace nivaro
