#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "output/AnimationFile.h"
#include "platform/FileError.h"

namespace nivaro {
namespace {

// The animations to try: the GIF, and the video where ffmpeg is installed.
std::vector<std::string> AnimationNames()
{
    if (ProgramInstalled("ffmpeg")) {
        return {"a.gif", "a.mp4"};
    }
    std::printf("ffmpeg is not installed: the video is not checked\n");
    return {"a.gif"};
}

// Runs writing one animation at once each write a temporary of their own,
// so that every one of them ends whole; the last to finish wins.
TEST(AnimationFile, TwoWritersOfOneFileEachEndWhole)
{
    const ScratchFolder folder;
    const FrameRows grey = [](int, std::uint8_t* rgb) { std::fill_n(rgb, 3 * 8, std::uint8_t{128}); };
    const std::vector<std::string> names = AnimationNames();
    for (const std::string& name : names) {
        const std::string path = (folder / name).string();
        const std::unique_ptr<AnimationFile> first = AnimationFile::Open(path, 10);
        const std::unique_ptr<AnimationFile> second = AnimationFile::Open(path, 10);
        first->AddFrame(8, 8, grey);
        second->AddFrame(8, 8, grey);
        second->AddFrame(8, 8, grey);
        EXPECT_NO_THROW(first->Finish()) << name;
        EXPECT_NO_THROW(second->Finish()) << name;
        EXPECT_GT(std::filesystem::file_size(path), 0u) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), std::ssize(names))
        << "no temporary is left";
}

// A target that cannot be written is found when the animation is opened,
// before any frame is computed.
TEST(AnimationFile, AnUnwritableTargetIsFoundWhenOpened)
{
    const ScratchFolder folder;
    for (const std::string& name : AnimationNames()) {
        std::filesystem::create_directory(folder / name);
        EXPECT_THROW(AnimationFile::Open((folder / name).string(), 10), FileError) << name;
    }
}

}  // namespace
}  // namespace nivaro
