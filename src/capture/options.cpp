// The capture programs' command line.
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "capture/capture.h"

namespace {

constexpr int64_t MAX_FRAMES = 100'000'000;

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

// A whole decimal number within [low, high].
bool parse_number(const char* text, int64_t low, int64_t high, int64_t* value) {
    if (!text || *text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high) return false;
    *value = number;
    return true;
}

struct NumberOption {
    std::string_view name;
    int64_t low, high;
};

constexpr NumberOption NUMBER_OPTIONS[] = {
    {"--height", 200, 240},
    {"--passes", 1, MAX_FRAMES / CAPTURE_PASS_FRAMES},
    {"--frames", 1, MAX_FRAMES},
    {"--fps", 1, 240},
    {"--scale", 1, 6},
};

std::string allowed_values(const NumberOption& option) {
    if (option.name == "--height") return "200 or 240";
    return "a whole number from " + std::to_string(option.low) + " to " + std::to_string(option.high);
}

class Parser {
  public:
    Parser(CaptureOptions* options, std::string* error) : options_(options), error_(error) {}

    CaptureParse parse(int argc, char** argv) {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg == "--help" || arg == "-h") return CaptureParse::help;
            if (arg == "--lossless") {
                options_->lossless = true;
            } else if (arg == "--data") {
                if (i + 1 == argc || argv[i + 1][0] == '\0') return fail("--data needs a folder");
                options_->data_folder = argv[++i];
            } else if (const NumberOption* option = number_option(arg)) {
                int64_t value = 0;
                if (!parse_number(i + 1 < argc ? argv[i + 1] : nullptr, option->low, option->high, &value) ||
                    (option->name == "--height" && value != 200 && value != 240)) {
                    return fail(std::string(arg) + " needs " + allowed_values(*option));
                }
                ++i;
                if (!apply(option->name, value)) return CaptureParse::error;
            } else if (arg.size() > 1 && arg[0] == '-') {
                return fail("unknown option " + std::string(arg));
            } else if (!options_->output.empty()) {
                return fail("one output file only");
            } else {
                options_->output = arg;
            }
        }
        return check();
    }

  private:
    static const NumberOption* number_option(std::string_view arg) {
        for (const NumberOption& option : NUMBER_OPTIONS) {
            if (option.name == arg) return &option;
        }
        return nullptr;
    }

    bool apply(std::string_view name, int64_t value) {
        if (name == "--passes" || name == "--frames") {
            if (length_given_) {
                fail("give --passes or --frames, not both");
                return false;
            }
            length_given_ = true;
            options_->frames = name == "--passes" ? value * CAPTURE_PASS_FRAMES : value;
        } else if (name == "--height") {
            options_->height = static_cast<int32_t>(value);
        } else if (name == "--fps") {
            options_->fps = static_cast<int32_t>(value);
        } else {
            options_->scale = static_cast<int32_t>(value);
        }
        return true;
    }

    CaptureParse check() {
        const std::string& output = options_->output;
        if (output.empty()) return fail("no output file given");
        if (ends_with(output, ".mkv")) {
            options_->lossless = true;
        } else if (!ends_with(output, ".mp4")) {
            return fail("the output file must end in .mp4 or .mkv: " + output);
        } else if (options_->lossless) {
            return fail("--lossless writes FFV1 and FLAC into a .mkv file, not " + output);
        }
        return CaptureParse::run;
    }

    CaptureParse fail(const std::string& message) {
        *error_ = message;
        return CaptureParse::error;
    }

    CaptureOptions* options_;
    std::string* error_;
    bool length_given_ = false;
};

}  // namespace

CaptureParse capture_parse_args(int argc, char** argv, CaptureOptions* options, std::string* error) {
    *options = CaptureOptions{};
    return Parser(options, error).parse(argc, argv);
}

const char* capture_usage() {
    return "Usage: tarnovex-capture OUTPUT [--height 200|240] [--passes N | --frames N]\n"
           "                        [--fps N] [--scale K] [--lossless] [--data DIR]\n"
           "Renders the TARNOVEX show with its music into a video file, frame by frame.\n"
           "\n"
           "  OUTPUT        a .mp4 file (H.264 and AAC) or a .mkv file (FFV1 and FLAC,\n"
           "                lossless), taken from the current folder; an existing file\n"
           "                is replaced\n"
           "  --height H    screen height, 200 or 240 (default 240)\n"
           "  --passes N    N passes of the show's three parts (default 1)\n"
           "  --frames N    N frames of the show instead; the 64-frame fade follows\n"
           "  --fps N       frames per second of the video, 1 to 240 (default 60)\n"
           "  --scale K     enlarge each frame K times, 1 to 6 (default 1)\n"
           "  --lossless    the lossless codecs; needs a .mkv file\n"
           "  --data DIR    read the show's data files from DIR (default: the installed\n"
           "                data folder, or the program's own folder in a build tree)\n"
           "  --help        this text\n"
           "\n"
           "Exit status: 0 when the file is complete, 2 on an error (no file is left),\n"
           "also when a data file is missing or refused.\n";
}
