// tarnovex [--full] [--200] [--scale K] [--fps RATE]: starts the installed
// intro. It picks one of the four programs, changes to the data folder the
// programs read from and runs the program in its own place, so the scroll
// text, the keys and the exit status are the program's.
//
// Both folders are found relative to the launcher's own file (its real path,
// with symbolic links resolved), so an installed tree works wherever it was
// put as a whole: under /usr, /usr/local, a home folder or a staging folder.
//
// The program is given, through SDL's environment settings, the desktop
// entry's window class (so docks show TARNOVEX's icon and name) and, for a
// window, a whole scale that suits the screen; and, through its own pace
// setting, the show's 60 frames a second whatever the display's refresh
// rate. That setting also tells the program it was started from here, where
// closing the window quits.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "own_folder/own_folder.h"
#include "screen/desktop.h"
#include "screen/frame_pace.h"
#include "standard_files/standard_files.h"

namespace {

constexpr int FAILURE = 2;
constexpr int SCREEN_WIDTH = 320;
constexpr int MAX_SCALE = 8;
// The desktop entry's name, which is also its StartupWMClass.
constexpr char WINDOW_CLASS[] = "org.tarnovex.tarnovex";
constexpr char SCALING_SETTING[] = "SDL12COMPAT_WINDOW_SCALING";
// The show was made for 60 frames a second.
constexpr char SHOW_RATE[] = "60";
constexpr char USAGE[] =
    "usage: tarnovex [--full] [--200] [--scale K] [--fps RATE]\n"
    "Plays the TARNOVEX demo intro in a window, as large as suits the screen.\n"
    "  --full       full screen instead of a window\n"
    "  --200        320 x 200 instead of 320 x 240\n"
    "  --scale K    a window K times the size, K from 1 to 8 (not with --full)\n"
    "  --fps RATE   frames a second, 1 to 1000 (default 60), or display: one\n"
    "               frame each refresh of the display\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "Keys: Escape or q quits, space moves on, u i o p set the scroll speed.\n"
    "Closing the window quits too.\n";

struct Choice {
    bool full = false;
    bool short_screen = false;
    bool help = false;
    bool version = false;
    int scale = 0;     // 0: chosen from the desktop's size
    std::string pace;  // empty: the user's setting, or the show's rate
};

std::optional<int> parse_scale(const char* text) {
    if (!text) return std::nullopt;
    const std::string_view digits = text;
    int scale = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), scale);
    if (error != std::errc() || end != digits.data() + digits.size() || scale < 1 || scale > MAX_SCALE) {
        return std::nullopt;
    }
    return scale;
}

std::optional<Choice> parse(int argc, char** argv) {
    Choice choice;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--full") {
            choice.full = true;
        } else if (argument == "--200") {
            choice.short_screen = true;
        } else if (argument == "--help") {
            choice.help = true;
        } else if (argument == "--version") {
            choice.version = true;
        } else if (argument == "--scale") {
            const std::optional<int> scale = parse_scale(argv[++i]);
            if (!scale) {
                std::cerr << "tarnovex: --scale wants a whole number from 1 to " << MAX_SCALE << "\n";
                return std::nullopt;
            }
            choice.scale = *scale;
        } else if (argument == "--fps") {
            const char* pace = argv[++i];
            if (!frame_pace::rate(pace)) {
                std::cerr << "tarnovex: --fps wants a whole number from 1 to " << frame_pace::MAX_RATE << " or "
                          << frame_pace::DISPLAY_PACE << "\n";
                return std::nullopt;
            }
            choice.pace = pace;
        } else {
            std::cerr << "tarnovex: unknown argument " << argument << "\n";
            return std::nullopt;
        }
    }
    if (choice.full && choice.scale) {
        std::cerr << "tarnovex: --scale sizes the window; full screen fills the screen by itself\n";
        return std::nullopt;
    }
    return choice;
}

int screen_height(const Choice& choice) { return choice.short_screen ? 200 : 240; }

std::string program_name(const Choice& choice) {
    return "intro-320x" + std::to_string(screen_height(choice)) + (choice.full ? "-full" : "-window");
}

bool has_display() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// The largest whole scale at which the window fits in seven eighths of the
// desktop, leaving room for panels and the title bar: 3 on 1080 lines.
int fitting_scale(int screen_h) {
    int32_t width = 0;
    int32_t height = 0;
    if (!screen_desktop_size(&width, &height)) return 1;
    return std::max(1, std::min(width * 7 / 8 / SCREEN_WIDTH, height * 7 / 8 / screen_h));
}

// A scale the user set in the environment stands unless --scale was given.
void choose_window_scale(const Choice& choice) {
    if (choice.full) return;
    if (choice.scale) {
        setenv(SCALING_SETTING, std::to_string(choice.scale).c_str(), 1);
    } else if (!std::getenv(SCALING_SETTING)) {
        setenv(SCALING_SETTING, std::to_string(fitting_scale(screen_height(choice))).c_str(), 1);
    }
}

// A pace the user set in the environment stands unless --fps was given; one
// the programs cannot read is refused rather than passed on.
bool choose_pace(const Choice& choice) {
    if (!choice.pace.empty()) {
        setenv(frame_pace::SETTING, choice.pace.c_str(), 1);
        return true;
    }
    const char* own = std::getenv(frame_pace::SETTING);
    if (!own) {
        setenv(frame_pace::SETTING, SHOW_RATE, 1);
        return true;
    }
    if (frame_pace::rate(own)) return true;
    std::cerr << "tarnovex: " << frame_pace::SETTING << "=" << own << " is neither a whole number from 1 to "
              << frame_pace::MAX_RATE << " nor " << frame_pace::DISPLAY_PACE << "\n";
    return false;
}

void set_window_class() {
    setenv("SDL_VIDEO_X11_WMCLASS", WINDOW_CLASS, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", WINDOW_CLASS, 0);
}

int failure(const std::string& what, const std::filesystem::path& path) {
    std::cerr << "tarnovex: " << what << " " << path.string() << ": " << std::strerror(errno) << "\n";
    return FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
    standard_files_ensure_open();
    const std::optional<Choice> choice = parse(argc, argv);
    if (!choice) {
        std::cerr << USAGE;
        return FAILURE;
    }
    if (choice->help) {
        std::cout << USAGE;
        return 0;
    }
    if (choice->version) {
        std::cout << "tarnovex " TARNOVEX_VERSION "\n";
        return 0;
    }
    if (!has_display()) {
        std::cerr << "tarnovex: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): "
                     "start it from a desktop session\n";
        return FAILURE;
    }
    std::error_code error;
    const std::filesystem::path bin = own_folder(error);
    if (error) {
        std::cerr << "tarnovex: cannot find its own folder: " << error.message() << "\n";
        return FAILURE;
    }
    const std::string name = program_name(*choice);
    const std::filesystem::path program = (bin / TARNOVEX_PROGRAMS_FROM_BIN / name).lexically_normal();
    const std::filesystem::path data = (bin / TARNOVEX_DATA_FROM_BIN).lexically_normal();
    if (!choose_pace(*choice)) return FAILURE;
    if (chdir(data.c_str()) != 0) return failure("cannot enter", data);
    set_window_class();
    choose_window_scale(*choice);
    execl(program.c_str(), name.c_str(), static_cast<char*>(nullptr));
    return failure("cannot start", program);
}
