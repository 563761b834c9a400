// A capture program for one screen height: the intro's own start-up, show and
// shutdown, recorded instead of shown.
#include <cstdio>

#include "capture/capture.h"
#include "intro/intro.h"

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    switch (capture_parse_args(argc, argv, &options, &error)) {
        case CaptureParse::help: std::fputs(capture_usage(), stdout); return 0;
        case CaptureParse::error: capture_fail(error);
        case CaptureParse::run: break;
    }
    if (options.height != SCREEN_HEIGHT) capture_fail("this program records the show at height " +
                                                      std::to_string(SCREEN_HEIGHT) + " only");
    capture_begin(options, SCREEN_WIDTH, SCREEN_HEIGHT);
    capture_set_key_script(options.frames);
    capture_register_sound_driver();
    intro_main();
    capture_end();
    return 0;
}
