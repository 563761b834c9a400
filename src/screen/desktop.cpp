// Asked before any video mode is set, SDL 1.2 reports the desktop's mode as
// the current one. SDL is shut down again, so the caller may start another
// program on the same display.
#include <SDL.h>

#include "screen/desktop.h"

int32_t screen_desktop_size(int32_t* width, int32_t* height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    const bool known = info && info->current_w > 0 && info->current_h > 0;
    if (known) {
        *width = info->current_w;
        *height = info->current_h;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
    return known ? 1 : 0;
}
