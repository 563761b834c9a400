// The one display of the process, over SDL 1.2 (sdl12-compat).
//
// SDL is never initialised explicitly: the first SDL_SetVideoMode brings the
// video subsystem up. A frame is shown by copying it straight into the
// display surface when that surface holds 0x00RRGGBB pixels in rows exactly
// width * 4 bytes apart; any other layout (a 16-bit desktop, a padded pitch)
// goes through SDL's converting blit.
//
// Frames are shown as fast as presentation allows, unless the launcher asks
// for a rate of frames a second: then each frame also waits for its time.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "screen/backend.h"
#include "screen/frame_pace.h"
#include "screen/screen.h"

namespace {

constexpr uint32_t VIDEO_FLAGS = TARNOVEX_VIDEO_FLAGS;
constexpr char CAPTION[] = "TARNOVEX";

SDL_Surface* display_surface = nullptr;
uint32_t video_flags = 0;
bool double_buffered = false;
std::optional<frame_pace::Deadlines> frame_deadlines;  // when a rate was asked for

// Settings read when the first mode set brings SDL up; a user's own
// settings of these variables win.
// - Presenting waits for the display refresh: that is the program's pace
//   unless the launcher asks for a rate, and even then it keeps frames from
//   tearing.
// - When sdl12-compat scales the 320-pixel picture (full screen, window
//   scaling) the pixels should stay sharp.
// - SDL would otherwise turn SIGINT and SIGTERM into quit events, which the
//   keyboard drops unless the launcher started the program: Ctrl-C and kill
//   could not stop it.
void configure_sdl() {
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
}

void choose_pace() {
    const std::optional<int> rate = frame_pace::rate(std::getenv(frame_pace::SETTING));
    if (rate && *rate > 0) {
        frame_deadlines.emplace(*rate);
    } else {
        frame_deadlines.reset();
    }
}

using screen_backend::is_open;

bool fits_screen(const Screen* screen, const Image* image) {
    return image && image->pixels && image->width == screen->width && image->height == screen->height;
}

// True when the image's bytes can go into the display surface unchanged.
bool display_takes_raw_frames(const Screen* screen) {
    const SDL_PixelFormat* format = display_surface->format;
    return format->BitsPerPixel == 32 && format->Rmask == 0x00FF0000 && format->Gmask == 0x0000FF00 &&
           format->Bmask == 0x000000FF && display_surface->w == screen->width &&
           display_surface->h == screen->height && display_surface->pitch == screen->width * 4;
}

void show_surface() {
    if (frame_deadlines) {
        std::this_thread::sleep_until(frame_deadlines->next(frame_pace::Deadlines::Clock::now()));
    }
    if (double_buffered) {
        SDL_Flip(display_surface);
    } else {
        SDL_UpdateRect(display_surface, 0, 0, 0, 0);
    }
}

// Converts the top-left part of the image that fits the screen to the
// display's format and blits it onto the display's top-left corner.
void blit_converted(const Screen* screen, const Image* image) {
    const int w = std::min(image->width, screen->width);
    const int h = std::min(image->height, screen->height);
    // A surface made around the image's pixels: with sdl12-compat, pointing
    // an existing surface's pixel pointer at them would convert that
    // surface's own (blank) memory instead. The top byte is unused, not alpha.
    SDL_Surface* view = SDL_CreateRGBSurfaceFrom(image->pixels, w, h, 32, image->width * 4, 0x00FF0000,
                                                 0x0000FF00, 0x000000FF, 0);
    if (!view) return;
    SDL_Surface* converted = SDL_DisplayFormat(view);
    if (converted) {
        SDL_UpperBlit(converted, nullptr, display_surface, nullptr);
        SDL_FreeSurface(converted);
    }
    SDL_FreeSurface(view);
}

bool can_present(const Screen* screen, const Image* image) {
    return is_open(screen) && display_surface && fits_screen(screen, image);
}

}  // namespace

bool screen_backend::prepare() {
    video_flags = VIDEO_FLAGS;
    configure_sdl();
    choose_pace();
    return true;
}

void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!is_open(screen) || width < 0 || height < 0) {
        screen_error();
        return;
    }
    if (display_surface) SDL_FreeSurface(display_surface);
    display_surface = SDL_SetVideoMode(width, height, 0, video_flags);
    if (!display_surface) {
        screen_error();
        return;
    }
    SDL_WM_SetCaption(CAPTION, CAPTION);
    screen->depth = display_surface->format->BitsPerPixel;
    screen->width = width;
    screen->height = height;
    double_buffered = (display_surface->flags & SDL_DOUBLEBUF) != 0;
}

void screen_present(Screen* screen, const Image* image) {
    if (!can_present(screen, image)) {
        screen_error();
        return;
    }
    if (!display_takes_raw_frames(screen)) {
        blit_converted(screen, image);
    } else {
        SDL_LockSurface(display_surface);
        std::memcpy(display_surface->pixels, image->pixels,
                    static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4);
        SDL_UnlockSurface(display_surface);
    }
    show_surface();
}

void screen_present_blit(Screen* screen, const Image* image) {
    if (!is_open(screen) || !display_surface || !image || !image->pixels) {
        screen_error();
        return;
    }
    blit_converted(screen, image);
    show_surface();
}

// SDL 1.2 leaves the video surface itself alone: the window stays until the
// process ends.
void screen_backend::release() {
    if (display_surface) SDL_FreeSurface(display_surface);
    display_surface = nullptr;
}
