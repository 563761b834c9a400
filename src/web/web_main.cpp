// The web edition: the intro's show in the page's canvas with its music
// through Web Audio. The data files are made first, while the page waits for
// its start click, one at a time with the page's turn between them, so that
// no long task keeps a tap waiting; after a quit and its fade the page offers
// to play again, and the show starts afresh, as a new program would.
#include <utility>

#include "intro/intro.h"
#include "web/memory_files.h"
#include "web/web.h"
#include "web/web_data.h"

// main waits here and, through intro_main, at every frame: ASYNCIFY
// unwinds it under the names emscripten gives it (main, __main_argc_argv,
// __original_main in src/web/asyncify_only.json).
int main() {
    for (int index = 0; index < web_data_file_count(); ++index) {
        DataFile file = web_data_file(index);
        memory_file_add(std::move(file.name), std::move(file.bytes));
        web_pause();
    }
    web_register_sound_driver();
    for (;;) {
        web_wait_for_start();
        intro_main();
        intro_reset();
    }
}
