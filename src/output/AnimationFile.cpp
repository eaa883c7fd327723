#include "AnimationFile.h"

#include <gif_lib.h>

#include <signal.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr int kGreys = 128;
constexpr int kMagentas = 64;
constexpr int kCubeSide = 4;

// The shared palette: the carpet's greys, the magentas its trajectories
// leave (green cleared from a grey), and a small cube for everything else.
std::array<GifColorType, 256> SharedPalette()
{
    std::array<GifColorType, 256> colours{};
    int next = 0;
    for (int g = 0; g < kGreys; ++g) {
        const auto level = static_cast<GifByteType>(std::lround(g * 255.0 / (kGreys - 1)));
        colours[next++] = {level, level, level};
    }
    for (int m = 0; m < kMagentas; ++m) {
        const auto level = static_cast<GifByteType>(std::lround(m * 255.0 / (kMagentas - 1)));
        colours[next++] = {level, 0, level};
    }
    for (int r = 0; r < kCubeSide; ++r) {
        for (int g = 0; g < kCubeSide; ++g) {
            for (int b = 0; b < kCubeSide; ++b) {
                const auto step = [](int i) { return static_cast<GifByteType>(i * 255 / (kCubeSide - 1)); };
                colours[next++] = {step(r), step(g), step(b)};
            }
        }
    }
    return colours;
}

// The nearest palette entry: greys and magentas exactly where a pixel is
// one, else the nearest of all by squared distance.
class PaletteIndex {
public:
    explicit PaletteIndex(const std::array<GifColorType, 256>& colours) : colours_(colours) {}

    GifByteType operator()(int r, int g, int b) const
    {
        if (r == g && g == b) {
            return static_cast<GifByteType>(std::lround(r * (kGreys - 1) / 255.0));
        }
        if (g == 0 && r == b) {
            return static_cast<GifByteType>(kGreys + std::lround(r * (kMagentas - 1) / 255.0));
        }
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < 256; ++i) {
            const long dr = r - colours_[static_cast<std::size_t>(i)].Red;
            const long dg = g - colours_[static_cast<std::size_t>(i)].Green;
            const long db = b - colours_[static_cast<std::size_t>(i)].Blue;
            const long distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        return static_cast<GifByteType>(best);
    }

private:
    const std::array<GifColorType, 256>& colours_;
};

// The GIF's bytes into its file; a failed write keeps the system's reason,
// which the library's own text only guesses at.
struct GifOutput {
    std::FILE* stream;
    int writeError = 0;
};

int WriteToFile(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto& output = *static_cast<GifOutput*>(gif->UserData);
    const std::size_t written = std::fwrite(bytes, 1, static_cast<std::size_t>(length), output.stream);
    if (written < static_cast<std::size_t>(length) && output.writeError == 0) {
        output.writeError = errno != 0 ? errno : EIO;
    }
    return static_cast<int>(written);
}

class GifAnimation final : public AnimationFile {
public:
    GifAnimation(const std::string& path, int framesPerSecond)
        : path_(path),
          file_(path, true),
          output_{file_.Stream()},
          palette_(SharedPalette()),
          delay_(std::max(1, static_cast<int>(std::lround(100.0 / framesPerSecond))))
    {
    }
    ~GifAnimation() override
    {
        if (gif_ != nullptr) {
            int error = 0;
            EGifCloseFile(gif_, &error);
        }
    }

    void AddFrame(int width, int height, const FrameRows& rows) override
    {
        if (gif_ == nullptr) {
            Begin(width, height);
        } else if (width != width_ || height != height_) {
            throw std::runtime_error("the frames of an animation must have one size: " + std::to_string(width_) + "x" +
                                     std::to_string(height_) + ", then " + std::to_string(width) + "x" +
                                     std::to_string(height));
        }
        const GifByteType control[4] = {0, static_cast<GifByteType>(delay_ & 0xFF), static_cast<GifByteType>(delay_ >> 8), 0};
        Check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, control));
        Check(EGifPutImageDesc(gif_, 0, 0, width, height, false, nullptr));
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
        std::vector<GifByteType> line(static_cast<std::size_t>(width));
        const PaletteIndex index(palette_);
        for (int row = 0; row < height; ++row) {
            rows(row, rgb.data());
            for (int x = 0; x < width; ++x) {
                const std::size_t at = static_cast<std::size_t>(x) * 3;
                line[static_cast<std::size_t>(x)] = index(rgb[at], rgb[at + 1], rgb[at + 2]);
            }
            Check(EGifPutLine(gif_, line.data(), width));
        }
        ++frames_;
    }

    void Finish() override
    {
        if (gif_ == nullptr) {
            throw std::runtime_error("an animation needs at least one frame");
        }
        int error = 0;
        const int closed = EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        if (closed != GIF_OK) {
            Fail(error);
        }
        file_.Commit();
    }

    int Frames() const override { return frames_; }

private:
    void Begin(int width, int height)
    {
        int error = 0;
        gif_ = EGifOpen(&output_, WriteToFile, &error);
        if (gif_ == nullptr) {
            Fail(error);
        }
        width_ = width;
        height_ = height;
        EGifSetGifVersion(gif_, true);
        ColorMapObject* colours = GifMakeMapObject(256, palette_.data());
        const int described = EGifPutScreenDesc(gif_, width, height, 8, 0, colours);
        GifFreeMapObject(colours);
        Check(described);
        // Loop for ever.
        const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        const GifByteType loop[] = {1, 0, 0};
        Check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE));
        Check(EGifPutExtensionBlock(gif_, sizeof application, application));
        Check(EGifPutExtensionBlock(gif_, sizeof loop, loop));
        Check(EGifPutExtensionTrailer(gif_));
    }

    void Check(int result) const
    {
        if (result != GIF_OK) {
            Fail(gif_->Error);
        }
    }

    [[noreturn]] void Fail(int gifError) const
    {
        if (output_.writeError != 0) {
            throw FileError(path_, output_.writeError);
        }
        throw FileError(path_, GifErrorString(gifError));
    }

    std::string path_;
    AtomicFile file_;
    GifOutput output_;
    std::array<GifColorType, 256> palette_;
    int delay_;
    GifFileType* gif_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int frames_ = 0;
};

bool FfmpegInstalled()
{
    return std::system("ffmpeg -version > /dev/null 2>&1") == 0;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Raw RGB frames through a pipe into ffmpeg, which writes the file's
// temporary; renamed into place once ffmpeg has finished well. ffmpeg's own
// messages are not shown: a failure is told as every writer tells it.
class VideoAnimation final : public AnimationFile {
public:
    VideoAnimation(const std::string& path, int framesPerSecond)
        : path_(path), file_(path, true), framesPerSecond_(framesPerSecond)
    {
        // An ffmpeg that stops early must show as a write error, not end the program.
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &previousPipeAction_);
    }
    ~VideoAnimation() override
    {
        if (pipe_ != nullptr) {
            pclose(pipe_);
        }
        sigaction(SIGPIPE, &previousPipeAction_, nullptr);
    }

    void AddFrame(int width, int height, const FrameRows& rows) override
    {
        if (pipe_ == nullptr) {
            width_ = width;
            height_ = height;
            const std::string messages =
                messages_ ? " 2>&" + std::to_string(fileno(messages_.get())) : std::string(" 2>/dev/null");
            const std::string command = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                                        std::to_string(width) + "x" + std::to_string(height) + " -r " +
                                        std::to_string(framesPerSecond_) + " -i - -vf 'pad=ceil(iw/2)*2:ceil(ih/2)*2' " +
                                        (IsWebm() ? "-c:v libvpx-vp9 " : "-pix_fmt yuv420p ") + "-f " +
                                        (IsWebm() ? "webm " : "mp4 ") + Quoted(Destination()) + messages;
            pipe_ = popen(command.c_str(), "w");
            if (pipe_ == nullptr) {
                throw FileError(path_, "ffmpeg could not be started");
            }
        } else if (width != width_ || height != height_) {
            throw std::runtime_error("the frames of an animation must have one size");
        }
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
        for (int row = 0; row < height; ++row) {
            rows(row, rgb.data());
            if (std::fwrite(rgb.data(), 1, rgb.size(), pipe_) != rgb.size()) {
                throw Failure("ffmpeg stopped taking frames");
            }
        }
        ++frames_;
    }

    void Finish() override
    {
        if (pipe_ == nullptr) {
            throw std::runtime_error("an animation needs at least one frame");
        }
        const int status = pclose(pipe_);
        pipe_ = nullptr;
        // ffmpeg may end well though it could not write the file's end.
        if (status != 0 || !Messages().empty()) {
            throw Failure("ffmpeg could not encode the video");
        }
        file_.Commit();
    }

    int Frames() const override { return frames_; }

private:
    bool IsWebm() const { return EqualsIgnoringCase(std::filesystem::path(path_).extension().string(), ".webm"); }
    // The temporary, or the target itself where it is written directly.
    const std::string& Destination() const { return file_.TemporaryPath().empty() ? path_ : file_.TemporaryPath(); }
    // What ffmpeg said so far.
    std::string Messages() const
    {
        std::string text;
        if (messages_) {
            std::fflush(messages_.get());
            std::rewind(messages_.get());
            char buffer[4096];
            for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, messages_.get())) > 0;) {
                text.append(buffer, read);
            }
        }
        return text;
    }
    // A full file system told as every writer tells it, else ffmpeg's own
    // first line, else what failed.
    FileError Failure(const std::string& otherwise) const
    {
        const std::string said = Messages();
        if (said.find("No space left on device") != std::string::npos) {
            return FileError(path_, ENOSPC);
        }
        if (!said.empty()) {
            return FileError(path_, "ffmpeg: " + said.substr(0, said.find('\n')));
        }
        return WriteFailure(path_, Destination(), otherwise);
    }

    std::string path_;
    AtomicFile file_;
    int framesPerSecond_;
    std::FILE* pipe_ = nullptr;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> messages_{std::tmpfile(), std::fclose};
    struct sigaction previousPipeAction_ = {};
    int width_ = 0;
    int height_ = 0;
    int frames_ = 0;
};

}  // namespace

std::unique_ptr<AnimationFile> AnimationFile::Open(const std::string& path, int framesPerSecond)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    if (EqualsIgnoringCase(extension, ".mp4") || EqualsIgnoringCase(extension, ".webm")) {
        if (!FfmpegInstalled()) {
            throw std::runtime_error("a video (" + path +
                                     ") is encoded by the ffmpeg program, which is not installed; install it (Debian: "
                                     "apt-get install ffmpeg) or write an animated GIF instead");
        }
        return std::make_unique<VideoAnimation>(path, framesPerSecond);
    }
    return std::make_unique<GifAnimation>(path, framesPerSecond);
}

}  // namespace nivaro
