// The recording in progress: the temporary file, the frame and sample count,
// the progress bar, and the clean-up on a failure or Ctrl-C.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "capture/capture.h"
#include "capture/video_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// Read by the signal handler, so a plain array set before it is installed.
char temporary_path[PATH_MAX] = {};

struct Recording {
    CaptureOptions options;
    int32_t width = 0, height = 0;
    std::unique_ptr<capture::VideoFile> file;
    int64_t frames = 0;
    bool frame_has_sound = true;  // the last frame added has its music
    bool show_progress = false;
    Clock::time_point started, last_progress;
};
Recording recording;

void remove_temporary() {
    if (temporary_path[0]) unlink(temporary_path);
    temporary_path[0] = '\0';
}

void stop_on_signal(int signal) {
    if (temporary_path[0]) unlink(temporary_path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int64_t sample_at(int64_t frame) { return frame * CAPTURE_SAMPLE_RATE / recording.options.fps; }

int64_t frames_in_all() { return recording.options.frames + CAPTURE_FADE_FRAMES; }

// "  1234/3016 frames [#######.............]  31.2x real time, 0:05 left"
void print_progress(bool last) {
    const auto now = Clock::now();
    if (!last && now - recording.last_progress < std::chrono::milliseconds(200)) return;
    recording.last_progress = now;
    const double seconds = std::chrono::duration<double>(now - recording.started).count();
    const int64_t done = recording.frames, total = frames_in_all();
    const double speed = seconds > 0 ? done / (seconds * recording.options.fps) : 0;
    const double per_frame = done > 0 ? seconds / done : 0;
    const auto left = static_cast<int64_t>(per_frame * (total - done) + 0.5);
    constexpr int BAR = 20;
    const int filled = static_cast<int>(done * BAR / total);
    std::fprintf(stderr, "\r%7lld/%lld frames [%.*s%.*s] %6.1fx real time, %lld:%02lld left\033[K%s",
                 static_cast<long long>(done), static_cast<long long>(total), filled, "####################",
                 BAR - filled, "....................", speed, static_cast<long long>(left / 60),
                 static_cast<long long>(left % 60), last ? "\n" : "");
}

void add_silence_if_due() {
    if (recording.frame_has_sound) return;
    const std::vector<int16_t> silence(static_cast<size_t>(capture_audio_share()) * CAPTURE_CHANNELS, 0);
    capture_audio(silence.data(), capture_audio_share());
}

template <typename F>
void or_fail(F&& step) {
    try {
        step();
    } catch (const std::exception& error) {
        capture_fail(error.what());
    }
}

std::string temporary_name_beside(const std::string& output) {
    const size_t slash = output.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : output.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? output : output.substr(slash + 1);
    return folder + "." + name + ".XXXXXX";
}

void make_temporary(const std::string& output) {
    std::string pattern = temporary_name_beside(output);
    if (pattern.size() >= sizeof temporary_path) capture_fail("the output file's name is too long");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) capture_fail("cannot write " + output + ": " + std::strerror(errno));
    close(fd);
    std::memcpy(temporary_path, name.data(), name.size());
}

// A new file gets the usual permissions, not mkstemp's private ones.
void give_usual_permissions() {
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temporary_path, 0666 & ~mask);
}

}  // namespace

void capture_fail(const std::string& message) {
    if (recording.show_progress) std::fputc('\n', stderr);
    std::fprintf(stderr, "tarnovex-capture: %s\n", message.c_str());
    recording.file.reset();
    remove_temporary();
    std::exit(2);
}

void capture_begin(const CaptureOptions& options, int32_t width, int32_t height) {
    recording.options = options;
    recording.width = width;
    recording.height = height;
    make_temporary(options.output);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, stop_on_signal);
    // A file size limit shows as a write error, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    or_fail([&] {
        recording.file = std::make_unique<capture::VideoFile>(
            capture::VideoSettings{temporary_path, width, height, options.scale, options.fps, options.lossless});
    });
    recording.show_progress = isatty(STDERR_FILENO);
    recording.started = Clock::now();
}

void capture_frame(const Image* frame) {
    if (!frame || frame->width != recording.width || frame->height != recording.height) return;
    add_silence_if_due();
    or_fail([&] { recording.file->add_frame(frame->pixels); });
    ++recording.frames;
    recording.frame_has_sound = false;
    if (recording.show_progress) print_progress(false);
}

int64_t capture_frames_done() { return recording.frames; }

int32_t capture_audio_share() {
    const int64_t frame = recording.frames - 1;
    return frame < 0 ? 0 : static_cast<int32_t>(sample_at(frame + 1) - sample_at(frame));
}

void capture_audio(const int16_t* samples, int32_t count) {
    or_fail([&] { recording.file->add_audio(samples, count); });
    recording.frame_has_sound = true;
}

void capture_end() {
    add_silence_if_due();
    or_fail([] { recording.file->finish(); });
    recording.file.reset();
    if (recording.show_progress) print_progress(true);
    give_usual_permissions();
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    sigprocmask(SIG_BLOCK, &stops, &before);
    if (std::rename(temporary_path, recording.options.output.c_str()) != 0) {
        capture_fail("cannot write " + recording.options.output + ": " + std::strerror(errno));
    }
    temporary_path[0] = '\0';
    sigprocmask(SIG_SETMASK, &before, nullptr);
}
