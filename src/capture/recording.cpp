// The recording in progress: the output's folder and the temporary file in
// it, the frame and sample count, the progress bar, and the clean-up on a
// failure or on a signal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "capture/capture.h"
#include "capture/video_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// Read by the signal handler, so plain values set before it is installed:
// the output's folder, opened where the capture was started, and the partial
// file's name in it. The name is short, so any OUTPUT name that fits the
// folder lets it fit too.
int output_folder = -1;
char temporary_name[32] = {};
// The signals that remove the partial file and end the capture.
sigset_t stopping_signals;

constexpr int BAR = 20;

struct Recording {
    CaptureOptions options;
    std::string output_name;  // OUTPUT without its folder
    int temporary_fd = -1;
    int32_t width = 0, height = 0;
    std::unique_ptr<capture::VideoFile> file;
    int64_t frames = 0;
    bool frame_has_sound = true;  // the last frame added has its music
    bool show_progress = false;
    int scroll_echo = -1;     // read end of the pipe that took standard output's place
    std::string scroll_tail;  // its latest text, shown in the bar
    Clock::time_point started, last_progress;
};
Recording recording;

void remove_temporary() {
    if (temporary_name[0]) unlinkat(output_folder, temporary_name, 0);
    temporary_name[0] = '\0';
}

void stop_on_signal(int signal) {
    if (temporary_name[0]) unlinkat(output_folder, temporary_name, 0);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Signals whose default action ends the process, and which can be caught.
bool ends_the_capture(int signal) {
    switch (signal) {
        case SIGKILL:
        case SIGSTOP:
        case SIGCHLD:
        case SIGCONT:
        case SIGTSTP:
        case SIGTTIN:
        case SIGTTOU:
        case SIGURG:
        case SIGWINCH: return false;
        default: return true;
    }
}

// Every signal that would end the capture removes the partial file first;
// one ignored when the capture started (nohup) stays ignored. A file size
// limit shows as a write error, as a full disk does.
void remove_temporary_on_signals() {
    std::signal(SIGXFSZ, SIG_IGN);
    sigemptyset(&stopping_signals);
    struct sigaction stop = {};
    stop.sa_handler = stop_on_signal;
    sigemptyset(&stop.sa_mask);
    for (int signal = 1; signal <= SIGRTMAX; ++signal) {
        struct sigaction before = {};
        if (!ends_the_capture(signal) || sigaction(signal, nullptr, &before) != 0) continue;
        if (before.sa_handler == SIG_IGN) continue;
        if (sigaction(signal, &stop, nullptr) == 0) sigaddset(&stopping_signals, signal);
    }
}

int64_t sample_at(int64_t frame) { return frame * CAPTURE_SAMPLE_RATE / recording.options.fps; }

int64_t frames_in_all() { return recording.options.frames + FADE_FRAMES; }

// The bar: '#' for the part done; with the scroll text caught, its latest
// characters instead, the part done in reverse video.
std::string progress_bar(int filled) {
    if (recording.scroll_echo < 0) return std::string(filled, '#') + std::string(BAR - filled, '.');
    const std::string& tail = recording.scroll_tail;
    const std::string text = std::string(BAR - tail.size(), ' ') + tail;
    return "\033[7m" + text.substr(0, filled) + "\033[27m" + text.substr(filled);
}

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
    const int filled = static_cast<int>(done * BAR / total);
    std::fprintf(stderr, "\r%7lld/%lld frames [%s] %6.1fx real time, %lld:%02lld left\033[K%s",
                 static_cast<long long>(done), static_cast<long long>(total), progress_bar(filled).c_str(), speed,
                 static_cast<long long>(left / 60), static_cast<long long>(left % 60), last ? "\n" : "");
}

bool same_terminal(int a, int b) {
    struct stat first, second;
    return isatty(a) && isatty(b) && fstat(a, &first) == 0 && fstat(b, &second) == 0 &&
           first.st_rdev == second.st_rdev;
}

// When standard output is the progress bar's terminal, the scroll text
// echoed there would break the bar's line: a pipe takes its place, and the
// bar shows the latest text.
void catch_scroll_text_on_the_terminal() {
    int ends[2];
    if (!same_terminal(STDOUT_FILENO, STDERR_FILENO) || pipe2(ends, O_CLOEXEC) != 0) return;
    std::fflush(stdout);
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    recording.scroll_echo = ends[0];
}

void read_scroll_text() {
    char text[256];
    ssize_t got;
    while ((got = read(recording.scroll_echo, text, sizeof text)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            recording.scroll_tail += std::isprint(c) ? static_cast<char>(c) : ' ';
        }
    }
    std::string& tail = recording.scroll_tail;
    if (tail.size() > BAR) tail.erase(0, tail.size() - BAR);
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

[[noreturn]] void fail_to_write(int error) {
    capture_fail("cannot write " + recording.options.output + ": " + std::strerror(error));
}

// Opens OUTPUT's folder, relative to the current one, and checks OUTPUT's
// own name: everything a finished recording could still trip over at its
// rename is found before the first frame.
void open_output_folder(const std::string& output) {
    const size_t slash = output.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : output.substr(0, slash);
    recording.output_name = slash == std::string::npos ? output : output.substr(slash + 1);
    output_folder = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (output_folder < 0) fail_to_write(errno);
    if (recording.output_name.size() > NAME_MAX) fail_to_write(ENAMETOOLONG);
    struct stat existing;
    if (fstatat(output_folder, recording.output_name.c_str(), &existing, 0) == 0 && S_ISDIR(existing.st_mode)) {
        capture_fail(output + " is a folder");
    }
}

// A new hidden file in the output's folder, with the usual permissions.
void make_temporary() {
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[sizeof temporary_name];
        std::snprintf(name, sizeof name, ".tarnovex-%08x", static_cast<unsigned>(entropy()));
        const int fd = openat(output_folder, name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::memcpy(temporary_name, name, sizeof name);
            recording.temporary_fd = fd;
            return;
        }
        if (errno != EEXIST) fail_to_write(errno);
    }
    fail_to_write(EEXIST);
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
    remove_temporary_on_signals();
    open_output_folder(options.output);
    make_temporary();
    // Through its descriptor, the file stays the same whichever folder the
    // capture works in from now on.
    const std::string path = "/proc/self/fd/" + std::to_string(recording.temporary_fd);
    or_fail([&] {
        recording.file = std::make_unique<capture::VideoFile>(
            capture::VideoSettings{path, options.output, width, height, options.scale, options.fps, options.lossless,
                                  options.bitexact});
    });
    recording.show_progress = isatty(STDERR_FILENO);
    if (recording.show_progress) catch_scroll_text_on_the_terminal();
    recording.started = Clock::now();
}

void capture_frame(const Image* frame) {
    if (!frame || frame->width != recording.width || frame->height != recording.height) return;
    add_silence_if_due();
    or_fail([&] { recording.file->add_frame(frame->pixels); });
    ++recording.frames;
    recording.frame_has_sound = false;
    if (recording.scroll_echo >= 0) read_scroll_text();
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
    sigset_t before;
    sigprocmask(SIG_BLOCK, &stopping_signals, &before);
    if (renameat(output_folder, temporary_name, output_folder, recording.output_name.c_str()) != 0) {
        fail_to_write(errno);
    }
    temporary_name[0] = '\0';
    sigprocmask(SIG_SETMASK, &before, nullptr);
}
