// tarnovex-capture: checks the arguments and starts the capture program of
// the height asked, which lies beside this one.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "capture/capture.h"

namespace {

std::string own_folder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    const std::string self(path, static_cast<size_t>(length));
    return self.substr(0, self.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    switch (capture_parse_args(argc, argv, &options, &error)) {
        case CaptureParse::help: std::fputs(capture_usage(), stdout); return 0;
        case CaptureParse::error: capture_fail(error + " (see tarnovex-capture --help)");
        case CaptureParse::run: break;
    }
    const std::string program = own_folder() + "/tarnovex-capture-" + std::to_string(options.height);
    execv(program.c_str(), argv);
    capture_fail("cannot start " + program + ": " + std::strerror(errno));
}
