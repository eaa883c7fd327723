#include "IniFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "AtomicFile.h"
#include "FileError.h"
#include "TextMatching.h"

namespace nivaro {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

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

std::string_view EntryValue(std::string_view line)
{
    return Trimmed(line.substr(line.find('=') + 1));
}

}  // namespace

IniFile IniFile::Load(const std::string& path)
{
    IniFile file;
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        return file;
    }
    errno = 0;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw FileError(path, errno != 0 ? errno : EACCES);
    }
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        file.lines_.push_back(std::move(line));
    }
    if (stream.bad()) {
        throw FileError(path, EIO);
    }
    return file;
}

IniFile::SectionRange IniFile::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (SectionName(lines_[i], name) && EqualsIgnoringCase(name, section)) {
            std::size_t end = i + 1;
            std::string_view next;
            while (end < lines_.size() && !SectionName(lines_[end], next)) {
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
        if (IsEntry(lines_[i]) && EqualsIgnoringCase(EntryKey(lines_[i]), key)) {
            return i;
        }
    }
    return kNone;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const std::size_t line = FindKey(FindSection(section), key);
    return std::string(line == kNone ? defaultValue : EntryValue(lines_[line]));
}

void IniFile::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    const SectionRange range = FindSection(section);
    const std::size_t existing = FindKey(range, key);
    if (existing != kNone) {
        lines_[existing] = std::string(EntryKey(lines_[existing])) + "=" + std::string(value);
        return;
    }
    const std::string entry = std::string(key) + "=" + std::string(value);
    if (range.header == kNone) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(entry);
        return;
    }
    // After the section's last non-blank line, so blank separators stay below it.
    std::size_t insertAt = range.end;
    while (insertAt > range.header + 1 && Trimmed(lines_[insertAt - 1]).empty()) {
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
        if (IsEntry(lines_[i])) {
            entries.push_back(std::string(EntryKey(lines_[i])) + "=" + std::string(EntryValue(lines_[i])));
        }
    }
    return entries;
}

void IniFile::Save(const std::string& path) const
{
    AtomicFile file(path);
    for (const std::string& line : lines_) {
        std::fputs(line.c_str(), file.Stream());
        std::fputc('\n', file.Stream());
    }
    file.Commit();
}

}  // namespace nivaro
