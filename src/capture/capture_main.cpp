// A capture program for one screen height: the intro's own start-up, show and
// shutdown, recorded instead of shown.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "capture/capture.h"
#include "intro/intro.h"
#include "standard_files/standard_files.h"

namespace {

// The show reads its data files from the current folder. A file it would
// refuse or not find fails the capture before the first frame, so a
// recording never shows a broken show.
void enter_data_folder(const std::string& folder) {
    if (chdir(folder.c_str()) != 0) {
        capture_fail("cannot enter the data folder " + folder + ": " + std::strerror(errno));
    }
    const char* refused = intro_refused_picture();
    if (!refused) refused = music_refused_file();
    if (refused) capture_fail("missing or unusable data file " + folder + "/" + refused);
}

}  // namespace

int main(int argc, char** argv) {
    standard_files_ensure_open();
    const CaptureOptions options = capture_read_args(argc, argv, "");
    if (options.height != SCREEN_HEIGHT) capture_fail("this program records the show at height " +
                                                      std::to_string(SCREEN_HEIGHT) + " only");
    capture_begin(options, SCREEN_WIDTH, SCREEN_HEIGHT);
    // First in libmikmod's list of drivers, before the music check registers the rest.
    capture_register_sound_driver();
    enter_data_folder(capture_data_folder(options));
    capture_set_key_script(options.frames);
    intro_main();
    capture_end();
    return 0;
}
