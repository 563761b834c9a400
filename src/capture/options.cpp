// The capture programs' command line.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "capture/capture.h"

namespace {

constexpr int64_t MAX_FRAMES = 100'000'000;
constexpr int64_t MAX_PASSES = MAX_FRAMES / PASS_FRAMES;
constexpr int64_t MAX_FPS = 240;
constexpr int64_t MAX_SCALE = 6;

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

// A whole decimal number within [low, high]; nothing for a missing text.
std::optional<int64_t> parse_number(const char* text, int64_t low, int64_t high) {
    if (!text || *text < '0' || *text > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high) return std::nullopt;
    return number;
}

std::string needs_number(std::string_view option, int64_t low, int64_t high) {
    return std::string(option) + " needs a whole number from " + std::to_string(low) + " to " +
           std::to_string(high);
}

std::string usage() {
    return "Usage: tarnovex-capture OUTPUT [--height 200|240] [--passes N | --frames N]\n"
           "                        [--fps N] [--scale K] [--lossless] [--bitexact]\n"
           "                        [--data DIR]\n"
           "Renders the TARNOVEX show with its music into a video file, frame by frame.\n"
           "\n"
           "  OUTPUT        a .mp4 file (H.264 and AAC) or a .mkv file (FFV1 and FLAC,\n"
           "                lossless), taken from the current folder; an existing file\n"
           "                is replaced\n"
           "  --height H    screen height, 200 or 240 (default 240)\n"
           "  --passes N    N passes of the show's three parts (" +
           std::to_string(PASS_FRAMES) +
           " frames; default 1)\n"
           "  --frames N    N frames of the show instead; the " +
           std::to_string(FADE_FRAMES) +
           "-frame fade follows\n"
           "  --fps N       frames per second of the video, 1 to 240 (default 60)\n"
           "  --scale K     enlarge each frame K times, 1 to 6 (default 1)\n"
           "  --lossless    the lossless codecs; needs a .mkv file\n"
           "  --bitexact    the same bytes for the same show on any machine (the\n"
           "                encoders' threads fixed, no library versions in the file)\n"
           "  --data DIR    read the show's data files from DIR (default: the installed\n"
           "                data folder, or the program's own folder in a build tree)\n"
           "  --help        this text\n"
           "  --version     the version\n"
           "\n"
           "Exit status: 0 when the file is complete, 2 on an error (no file is left),\n"
           "also when a data file is missing or refused.\n";
}

// The output's name decides the codecs.
std::optional<std::string> check_output(CaptureOptions* options) {
    const std::string& output = options->output;
    if (output.empty()) return "no output file given";
    if (ends_with(output, ".mkv")) {
        options->lossless = true;
    } else if (!ends_with(output, ".mp4")) {
        return "the output file must end in .mp4 or .mkv: " + output;
    } else if (options->lossless) {
        return "--lossless writes FFV1 and FLAC into a .mkv file, not " + output;
    }
    return std::nullopt;
}

// Reads the arguments into `options`; returns what is wrong with them, if
// anything. Sets `help` when --help, `version` when --version comes before
// any error. An option's value
// is the next argument, argv[argc] being null.
std::optional<std::string> parse(int argc, char** argv, CaptureOptions* options, bool* help, bool* version) {
    bool length_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            *help = true;
            return std::nullopt;
        } else if (arg == "--version") {
            *version = true;
            return std::nullopt;
        } else if (arg == "--lossless") {
            options->lossless = true;
        } else if (arg == "--bitexact") {
            options->bitexact = true;
        } else if (arg == "--data") {
            const char* folder = argv[++i];
            if (!folder || !*folder) return "--data needs a folder";
            options->data_folder = folder;
        } else if (arg == "--height") {
            const std::optional<int64_t> height = parse_number(argv[++i], 200, 240);
            if (!height || (*height != 200 && *height != 240)) return "--height needs 200 or 240";
            options->height = static_cast<int32_t>(*height);
        } else if (arg == "--passes" || arg == "--frames") {
            const bool passes = arg == "--passes";
            const int64_t most = passes ? MAX_PASSES : MAX_FRAMES;
            const std::optional<int64_t> count = parse_number(argv[++i], 1, most);
            if (!count) return needs_number(arg, 1, most);
            if (length_given) return "give --passes or --frames, not both";
            length_given = true;
            options->frames = passes ? *count * PASS_FRAMES : *count;
        } else if (arg == "--fps") {
            const std::optional<int64_t> fps = parse_number(argv[++i], 1, MAX_FPS);
            if (!fps) return needs_number(arg, 1, MAX_FPS);
            options->fps = static_cast<int32_t>(*fps);
        } else if (arg == "--scale") {
            const std::optional<int64_t> scale = parse_number(argv[++i], 1, MAX_SCALE);
            if (!scale) return needs_number(arg, 1, MAX_SCALE);
            options->scale = static_cast<int32_t>(*scale);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + std::string(arg);
        } else if (!options->output.empty()) {
            return "one output file only";
        } else {
            options->output = arg;
        }
    }
    return check_output(options);
}

}  // namespace

CaptureOptions capture_read_args(int argc, char** argv, const std::string& hint) {
    CaptureOptions options;
    bool help = false;
    bool version = false;
    const std::optional<std::string> error = parse(argc, argv, &options, &help, &version);
    if (help || version) {
        std::fputs(help ? usage().c_str() : "tarnovex-capture " TARNOVEX_VERSION "\n", stdout);
        std::exit(0);
    }
    if (error) capture_fail(*error + hint);
    return options;
}
