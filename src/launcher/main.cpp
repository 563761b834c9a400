// tarnovex [--full] [--200]: starts the installed intro. It picks one of the
// four programs, changes to the data folder the programs read from and runs
// the program in its own place, so the scroll text, the keys and the exit
// status are the program's.
//
// Both folders are found relative to the launcher's own file (its real path,
// with symbolic links resolved), so an installed tree works wherever it was
// put as a whole: under /usr, /usr/local, a home folder or a staging folder.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "standard_files/standard_files.h"

namespace {

constexpr int FAILURE = 2;
constexpr char USAGE[] =
    "usage: tarnovex [--full] [--200]\n"
    "Plays the TARNOVEX demo intro in a 320 x 240 window.\n"
    "  --full   full screen instead of a window\n"
    "  --200    320 x 200 instead of 320 x 240\n"
    "  --help   show this text\n"
    "Keys: Escape or q quits, space moves on, u i o p set the scroll speed.\n";

struct Choice {
    bool full = false;
    bool short_screen = false;
    bool help = false;
};

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
        } else {
            std::cerr << "tarnovex: unknown argument " << argument << "\n";
            return std::nullopt;
        }
    }
    return choice;
}

std::string program_name(const Choice& choice) {
    return std::string("intro-320x") + (choice.short_screen ? "200" : "240") + (choice.full ? "-full" : "-window");
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
    std::error_code error;
    const std::filesystem::path bin = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) {
        std::cerr << "tarnovex: cannot find its own folder: " << error.message() << "\n";
        return FAILURE;
    }
    const std::string name = program_name(*choice);
    const std::filesystem::path program = (bin / TARNOVEX_PROGRAMS_FROM_BIN / name).lexically_normal();
    const std::filesystem::path data = (bin / TARNOVEX_DATA_FROM_BIN).lexically_normal();
    if (chdir(data.c_str()) != 0) return failure("cannot enter", data);
    execl(program.c_str(), name.c_str(), static_cast<char*>(nullptr));
    return failure("cannot start", program);
}
