#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nivaro {

// A profile file of [SECTION] lines and key=value entries. Section and key
// names match without regard to case; values are read whole. Setting a
// value replaces it in place, appends a new key at the end of its section,
// or appends a new section at the end of the file; every other line, comments
// and unknown keys included, keeps its place.
class IniFile {
public:
    // A missing file gives an empty profile; a file that exists but cannot be
    // read throws FileError.
    static IniFile Load(const std::string& path);

    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // The key=value entries of a section in file order.
    std::vector<std::string> SectionEntries(std::string_view section) const;

    // Writes beside the target and renames, so the file is never half
    // written; throws FileError with the reason.
    void Save(const std::string& path) const;

private:
    struct SectionRange {
        std::size_t header;     // index of the [SECTION] line
        std::size_t end;        // one past its last line
    };
    SectionRange FindSection(std::string_view section) const;
    std::size_t FindKey(const SectionRange& range, std::string_view key) const;

    std::vector<std::string> lines_;
};

}  // namespace nivaro
