// tarnovex-capture: checks the arguments and starts the capture program of
// the height asked, which lies beside this one.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "capture/capture.h"
#include "standard_files/standard_files.h"

int main(int argc, char** argv) {
    standard_files_ensure_open();
    CaptureOptions options;
    std::string error;
    switch (capture_parse_args(argc, argv, &options, &error)) {
        case CaptureParse::help: std::fputs(capture_usage(), stdout); return 0;
        case CaptureParse::error: capture_fail(error + " (see tarnovex-capture --help)");
        case CaptureParse::run: break;
    }
    const std::string program = capture_own_folder() + "/tarnovex-capture-" + std::to_string(options.height);
    execv(program.c_str(), argv);
    capture_fail("cannot start " + program + ": " + std::strerror(errno));
}
