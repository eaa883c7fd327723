#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nivaro {

inline constexpr const char* kDataFileName = "nivaro.dat";

// One line of the data file: a start position across in units of the slit
// period d, and the upper-case colour letter ('M', magenta, when none).
struct DataFileRecord {
    double position;
    char letter;
};

// Reads the records as the C scan "%lf %c" reads each line: a number (with
// "." as decimal point, whatever the locale), then the first non-blank
// character as the letter. Reading ends at the first line that does not begin
// with a number. Lines are read whole however long they are, and blank lines
// are skipped. Nothing when the file cannot be opened.
std::optional<std::vector<DataFileRecord>> ReadDataFile(const std::string& path);

// Parses one line; nothing when it does not begin with a number.
std::optional<DataFileRecord> ParseDataFileLine(const std::string& line);

// The line that records a start: the number with six decimals ("%f\n"),
// written with "." whatever the locale.
std::string DataFileLine(double position);

// Appends one start to the file, creating it; false when that fails.
bool AppendToDataFile(const std::string& path, double position);

// Deletes the file; a missing file is no error.
void DeleteDataFile(const std::string& path);

// Whether the file exists and may be written.
bool DataFileIsWritable(const std::string& path);

}  // namespace nivaro
