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
    AtomicFile file(occupied.string());
    std::fputs("x", file.Stream());
    EXPECT_THROW(file.Commit(), FileError) << "a folder cannot be replaced by a file";
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
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
