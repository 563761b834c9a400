// tarnovex-capture: checks the arguments and starts the capture program of
// the height asked, which lies beside this one.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "capture/capture.h"
#include "standard_files/standard_files.h"

int main(int argc, char** argv) {
    standard_files_ensure_open();
    const CaptureOptions options = capture_read_args(argc, argv, " (see tarnovex-capture --help)");
    const std::string program = capture_own_folder() + "/tarnovex-capture-" + std::to_string(options.height);
    execv(program.c_str(), argv);
    capture_fail("cannot start " + program + ": " + std::strerror(errno));
}
