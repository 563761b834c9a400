// The video file of a capture, written through the FFmpeg libraries: H.264
// and AAC in MP4, or FFV1 (RGB, bit-exact) and FLAC in Matroska.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace capture {

// Any failure of the libraries or of the file, with a message for the user.
struct VideoFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct VideoSettings {
    std::string path;  // written as is; the caller names and renames it
    std::string name;  // the file the messages name: the one the user asked for
    int32_t width, height;  // of the frames handed in, before scaling
    int32_t scale;
    int32_t fps;
    bool lossless;
    bool bitexact;  // the same bytes on any machine with the same libraries
};

class VideoFile {
  public:
    explicit VideoFile(const VideoSettings& settings);
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    // One frame of width x height pixels 0x00RRGGBB, rows packed.
    void add_frame(const uint32_t* pixels);
    // `count` interleaved 16-bit stereo sample frames.
    void add_audio(const int16_t* samples, int32_t count);
    // Flushes the encoders and writes the file's index; nothing may follow.
    void finish();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace capture
