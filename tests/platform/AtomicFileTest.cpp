#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/SystemMemory.h"

namespace nivaro {
namespace {

std::size_t EntriesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(AtomicFile, CommitReplacesTheTargetInOneStep)
{
    const ScratchFolder folder;
    const auto target = folder / "table.txt";
    std::ofstream(target) << "old";
    {
        AtomicFile file(target.string());
        std::fputs("new contents", file.Stream());
        EXPECT_EQ(ReadWholeFile(target), "old") << "the target changes only on commit";
        file.Commit();
    }
    EXPECT_EQ(ReadWholeFile(target), "new contents");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u) << "no temporary file is left";
}

TEST(AtomicFile, WithoutCommitTheTargetStaysAndTheTemporaryGoes)
{
    const ScratchFolder folder;
    const auto target = folder / "table.txt";
    std::ofstream(target) << "old";
    {
        AtomicFile file(target.string());
        std::fputs("half written", file.Stream());
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(AtomicFile, FailuresNameTheFileAndTheReason)
{
    const ScratchFolder folder;
    const std::string missing = (folder / "no-such-folder" / "x.txt").string();
    try {
        AtomicFile file(missing);
        FAIL() << "a file in a missing folder cannot be created";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), missing + ": No such file or directory");
    }

    const auto occupied = folder / "is-a-folder";
    std::filesystem::create_directory(occupied);
    try {
        AtomicFile file(occupied.string());
        FAIL() << "a folder cannot be replaced by a file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), occupied.string() + ": Is a directory");
    }
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(AtomicFile, ReplacesOnlyRegularFilesKeepingModeAndLinks)
{
    const ScratchFolder folder;
    const auto write = [](const std::string& target, const char* text) {
        AtomicFile file(target);
        std::fputs(text, file.Stream());
        file.Commit();
    };

    const auto real = folder / "real.ini";
    std::ofstream(real) << "old";
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const auto link = folder / "link.ini";
    std::filesystem::create_symlink(real, link);
    write(link.string(), "through the link");
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(ReadWholeFile(real), "through the link");
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "a private file stays private";

    const auto dangling = folder / "dangling.ini";
    std::filesystem::create_symlink(folder / "new.ini", dangling);
    write(dangling.string(), "created");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(ReadWholeFile(folder / "new.ini"), "created");

    const auto readOnly = folder / "read-only.txt";
    std::ofstream(readOnly) << "keep";
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    EXPECT_THROW(write(readOnly.string(), "replaced"), FileError) << "refused, also for root";
    EXPECT_EQ(ReadWholeFile(readOnly), "keep");

    write("/dev/null", "into the device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null")) << "a device is written, not replaced";

    EXPECT_EQ(AtomicFile("-").Stream(), stdout);
}

TEST(AtomicFile, TheTemporarySaysWhatItIs)
{
    const ScratchFolder folder;
    AtomicFile file((folder / "table.txt").string());
    const std::string name = std::filesystem::directory_iterator(folder.Path())->path().filename().string();
    EXPECT_EQ(name.rfind("table.txt.nivaro-unfinished-", 0), 0u) << name;
}

TEST(SystemMemory, ReportsSomeMemoryAndReadsMemAvailable)
{
    EXPECT_GT(PhysicalMemoryBytes(), 1u << 20);
    EXPECT_GT(AvailableMemoryBytes(), 1u << 20);
    EXPECT_LE(AvailableMemoryBytes(), PhysicalMemoryBytes());
    EXPECT_EQ(MemAvailableFromMeminfo("MemTotal:       24000000 kB\nMemFree:  1 kB\nMemAvailable:   2048 kB\n"),
              2048u * 1024u);
    EXPECT_EQ(MemAvailableFromMeminfo("MemTotal: 5 kB\n"), 0u);
    EXPECT_EQ(MemAvailableFromMeminfo("MemAvailable: lots"), 0u);
}

}  // namespace
}  // namespace nivaro
