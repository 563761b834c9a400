// The web edition: the intro's show in the page's canvas with its music
// through Web Audio. After a quit and its fade the page offers to play
// again, and the show starts afresh, as a new program would.
#include <emscripten.h>

#include "intro/intro.h"
#include "web/web.h"

// Suspends the program (ASYNCIFY) until the page's "play again" is chosen.
EM_JS(void, web_wait_for_replay, (), {
    Asyncify.handleSleep(function(wakeUp) { Module.onShowEnded(wakeUp); });
});

int main() {
    web_register_sound_driver();
    for (;;) {
        intro_main();
        web_wait_for_replay();
        intro_reset();
    }
}
