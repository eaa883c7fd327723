#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nivaro {

// A profile file of [SECTION] lines and key=value entries. Section and key
// names match without regard to case; a value is the text after '=' up to a
// comment (';' after a blank) or the end of the line, without surrounding
// blanks. Setting a value replaces just the value's characters in place,
// appends a new key at the end of its section, or appends a new section at
// the end of the file; every other byte keeps its place: line ends (LF or
// CRLF, line by line), a UTF-8 byte-order mark, comments, NUL bytes.
// A file that is not ASCII or UTF-8 text is read as far as possible and is
// never rewritten.
class IniFile {
public:
    // A missing file gives an empty profile; a file that exists but cannot be
    // read throws FileError.
    static IniFile Load(const std::string& path);
    // The profile of a file's bytes.
    static IniFile Parse(std::string_view bytes);

    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // The key=value entries of a section in file order.
    std::vector<std::string> SectionEntries(std::string_view section) const;

    // Why the file must not be rewritten ("UTF-16 text"), or nothing.
    const std::optional<std::string>& UnwritableEncoding() const { return unwritableEncoding_; }

    // The bytes Save writes.
    std::string Text() const;

    // Writes beside the target and renames, so the file is never half
    // written; throws FileError with the reason, also for a file whose
    // encoding it must not rewrite.
    void Save(const std::string& path) const;

private:
    struct Line {
        std::string text;
        std::string ending;  // "\n", "\r\n", or "" for a last line without one
    };
    struct SectionRange {
        std::size_t header;     // index of the [SECTION] line
        std::size_t end;        // one past its last line
    };
    SectionRange FindSection(std::string_view section) const;
    std::size_t FindKey(const SectionRange& range, std::string_view key) const;
    std::string NewLineEnding() const;

    std::string byteOrderMark_;
    std::vector<Line> lines_;
    std::optional<std::string> unwritableEncoding_;
};

}  // namespace nivaro
