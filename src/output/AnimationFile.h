#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace nivaro {

// Fills one row of a frame with width RGB triples.
using FrameRows = std::function<void(int row, std::uint8_t* rgb)>;

// An animation written frame by frame as the frames come, so that memory
// does not grow with their number: an animated GIF (a shared palette of
// greys, magentas and a colour cube; fps sets the delay), or a video encoded
// by the ffmpeg program when the name ends in .mp4 or .webm. The file
// appears whole at Finish (written beside its target and renamed); an
// animation destroyed unfinished leaves nothing.
class AnimationFile {
public:
    virtual ~AnimationFile() = default;

    // Throws std::runtime_error for a frame of another size than the first.
    virtual void AddFrame(int width, int height, const FrameRows& rows) = 0;
    virtual void Finish() = 0;
    virtual int Frames() const = 0;

    // Throws FileError when the file cannot be created, and
    // std::runtime_error when a video is asked for and ffmpeg is missing.
    static std::unique_ptr<AnimationFile> Open(const std::string& path, int framesPerSecond);
};

}  // namespace nivaro
