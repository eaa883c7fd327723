#include "IniFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <fstream>
#include <iterator>

#include "AtomicFile.h"
#include "FileError.h"
#include "TextMatching.h"

namespace nivaro {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The section name of a "[name]" line, or nothing.
bool SectionName(std::string_view line, std::string_view& name)
{
    line = Trimmed(line);
    if (line.empty() || line.front() != '[') {
        return false;
    }
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trimmed(line.substr(1, close - 1));
    return true;
}

bool IsEntry(std::string_view line)
{
    const std::string_view trimmed = Trimmed(line);
    return !trimmed.empty() && trimmed.front() != ';' && trimmed.find('=') != std::string_view::npos;
}

std::string_view EntryKey(std::string_view line)
{
    return Trimmed(line.substr(0, line.find('=')));
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where the value lies in an entry line: after '=' and its blanks, up to a
// comment (a ';' after a blank) and without the blanks before either end.
std::pair<std::size_t, std::size_t> ValueSpan(std::string_view line)
{
    std::size_t begin = line.find('=') + 1;
    while (begin < line.size() && IsBlank(line[begin])) {
        ++begin;
    }
    std::size_t end = line.size();
    for (std::size_t i = begin; i < line.size(); ++i) {
        if (line[i] == ';' && i > begin && IsBlank(line[i - 1])) {
            end = i;
            break;
        }
    }
    while (end > begin && (IsBlank(line[end - 1]) || line[end - 1] == '\r')) {
        --end;
    }
    return {begin, end};
}

std::string_view EntryValue(std::string_view line)
{
    const auto [begin, end] = ValueSpan(line);
    return line.substr(begin, end - begin);
}

// The length of the well-formed UTF-8 sequence at `at`, or 0: no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&text](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const auto within = [](unsigned value, unsigned low, unsigned high) { return value >= low && value <= high; };
    const unsigned lead = byte(at);
    const unsigned second = byte(at + 1);
    const bool thirdFollows = within(byte(at + 2), 0x80, 0xBF);
    const bool fourthFollows = within(byte(at + 3), 0x80, 0xBF);
    if (lead < 0x80) {
        return 1;
    }
    if (within(lead, 0xC2, 0xDF)) {
        return within(second, 0x80, 0xBF) ? 2 : 0;
    }
    if (within(lead, 0xE0, 0xEF)) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return within(second, low, high) && thirdFollows ? 3 : 0;
    }
    if (within(lead, 0xF0, 0xF4)) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return within(second, low, high) && thirdFollows && fourthFollows ? 4 : 0;
    }
    return 0;
}

// The text as far as it reads as UTF-8, or nothing when all of it does:
// bytes that are not well formed become '?' (a value keeps its length and
// never names another file), and those before the first well-formed one (a
// damaged byte-order mark) are left out so that the first line still reads.
std::optional<std::string> ReadableUtf8(std::string_view text)
{
    std::string kept;
    bool malformed = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            if (!kept.empty()) {
                kept.push_back('?');
            }
            malformed = true;
            ++i;
            continue;
        }
        kept.append(text.substr(i, length));
        i += length;
    }
    return malformed ? std::optional<std::string>(std::move(kept)) : std::nullopt;
}

// UTF-16 text as far as it can be read: ASCII characters kept, others '?'.
std::string FromUtf16(std::string_view bytes, bool littleEndian)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[littleEndian ? i : i + 1]);
        const auto high = static_cast<unsigned char>(bytes[littleEndian ? i + 1 : i]);
        text.push_back(high == 0 && low < 0x80 ? static_cast<char>(low) : '?');
    }
    return text;
}

}  // namespace

IniFile IniFile::Load(const std::string& path)
{
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        return IniFile{};
    }
    if (std::filesystem::is_directory(path, missing)) {
        throw FileError(path, EISDIR);
    }
    errno = 0;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw FileError(path, errno != 0 ? errno : EACCES);
    }
    std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (stream.bad()) {
        throw FileError(path, EIO);
    }
    return Parse(bytes);
}

IniFile IniFile::Parse(std::string_view bytes)
{
    IniFile file;
    std::string_view text = bytes;
    std::string decoded;
    if (text.starts_with(kUtf8ByteOrderMark)) {
        file.byteOrderMark_ = kUtf8ByteOrderMark;
        text.remove_prefix(kUtf8ByteOrderMark.size());
    } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        decoded = FromUtf16(text.substr(2), text[0] == '\xFF');
        text = decoded;
        file.unwritableEncoding_ = "UTF-16 text";
    }
    if (!file.unwritableEncoding_) {
        if (std::optional<std::string> readable = ReadableUtf8(text)) {
            decoded = std::move(*readable);
            text = decoded;
            file.unwritableEncoding_ = "neither ASCII nor UTF-8 text";
        }
    }
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view content = text.substr(0, newline);
        Line line;
        if (newline == std::string_view::npos) {
            line.text = std::string(content);
        } else if (content.ends_with('\r')) {
            line.text = std::string(content.substr(0, content.size() - 1));
            line.ending = "\r\n";
        } else {
            line.text = std::string(content);
            line.ending = "\n";
        }
        file.lines_.push_back(std::move(line));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
    return file;
}

IniFile::SectionRange IniFile::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (SectionName(lines_[i].text, name) && EqualsIgnoringCase(name, section)) {
            std::size_t end = i + 1;
            std::string_view next;
            while (end < lines_.size() && !SectionName(lines_[end].text, next)) {
                ++end;
            }
            return {i, end};
        }
    }
    return {kNone, kNone};
}

std::size_t IniFile::FindKey(const SectionRange& range, std::string_view key) const
{
    if (range.header == kNone) {
        return kNone;
    }
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (IsEntry(lines_[i].text) && EqualsIgnoringCase(EntryKey(lines_[i].text), key)) {
            return i;
        }
    }
    return kNone;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const std::size_t line = FindKey(FindSection(section), key);
    return std::string(line == kNone ? defaultValue : EntryValue(lines_[line].text));
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const
{
    return FindKey(FindSection(section), key) != kNone;
}

// New lines end like the file's first line, or with LF in a new file.
std::string IniFile::NewLineEnding() const
{
    return lines_.empty() || lines_.front().ending.empty() ? "\n" : lines_.front().ending;
}

void IniFile::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    const SectionRange range = FindSection(section);
    const std::size_t existing = FindKey(range, key);
    if (existing != kNone) {
        std::string& text = lines_[existing].text;
        const auto [begin, end] = ValueSpan(text);
        text.replace(begin, end - begin, value);
        return;
    }
    const std::string ending = NewLineEnding();
    if (!lines_.empty() && lines_.back().ending.empty()) {
        lines_.back().ending = ending;
    }
    const Line entry{std::string(key) + "=" + std::string(value), ending};
    if (range.header == kNone) {
        lines_.push_back({"[" + std::string(section) + "]", ending});
        lines_.push_back(entry);
        return;
    }
    // After the section's last non-blank line, so blank separators stay below it.
    std::size_t insertAt = range.end;
    while (insertAt > range.header + 1 && Trimmed(lines_[insertAt - 1].text).empty()) {
        --insertAt;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

std::vector<std::string> IniFile::SectionEntries(std::string_view section) const
{
    std::vector<std::string> entries;
    const SectionRange range = FindSection(section);
    if (range.header == kNone) {
        return entries;
    }
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (IsEntry(lines_[i].text)) {
            entries.push_back(std::string(EntryKey(lines_[i].text)) + "=" + std::string(EntryValue(lines_[i].text)));
        }
    }
    return entries;
}

std::string IniFile::Text() const
{
    std::string text = byteOrderMark_;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    return text;
}

void IniFile::Save(const std::string& path) const
{
    if (unwritableEncoding_) {
        throw FileError(path, "the file is " + *unwritableEncoding_ + " and is not rewritten");
    }
    AtomicFile(path).CommitText(Text());
}

}  // namespace nivaro
