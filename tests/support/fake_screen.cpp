#include "fake_screen.h"

#include <cstdlib>

#include "screen/screen.h"

namespace fake_screen {

int32_t presents = 0;
Image* last_frame = nullptr;
std::function<int32_t(int32_t)> key_event;
std::function<void(const Image*)> on_present;

void reset() {
    presents = 0;
    if (last_frame) img_destroy(&last_frame);
    key_event = nullptr;
    on_present = nullptr;
}

std::function<int32_t(int32_t)> press_at(int32_t presented, uint8_t code) {
    return [presented, code](int32_t now) { return now == presented ? int32_t{code} : -1; };
}

}  // namespace fake_screen

namespace {
Screen* open_screen = nullptr;
KeyState* open_keys = nullptr;
}  // namespace

Screen* screen_open() {
    if (open_screen) return open_screen;
    open_screen = static_cast<Screen*>(std::calloc(1, sizeof(Screen)));
    screen_set_mode(open_screen, 256, 256);
    return open_screen;
}

void screen_set_mode(Screen* screen, int32_t width, int32_t height) {
    if (!screen || screen != open_screen || width < 0 || height < 0) return;
    screen->width = width;
    screen->height = height;
    screen->depth = 32;
}

void screen_present(Screen* screen, const Image* image) {
    if (!screen || screen != open_screen || !image || !image->pixels) return;
    if (image->width != screen->width || image->height != screen->height) return;
    ++fake_screen::presents;
    if (fake_screen::last_frame) img_destroy(&fake_screen::last_frame);
    fake_screen::last_frame = img_clone(image);
    if (fake_screen::on_present) fake_screen::on_present(image);
}

void screen_present_swap(Screen* screen, const Image* image) { screen_present(screen, image); }
void screen_present_blit(Screen*, const Image*) {}

void screen_close(Screen** screen) {
    if (!screen || !*screen || *screen != open_screen) return;
    std::free(open_screen);
    open_screen = nullptr;
    *screen = nullptr;
}

const char* screen_to_text(const Screen* screen) { return screen && screen == open_screen ? "" : nullptr; }
Screen* screen_from_text(const char*) { return nullptr; }
int32_t screen_equal(const Screen* a, const Screen* b) { return a && a == b && a == open_screen; }
Screen* screen_clone(Screen* screen) { return screen && screen == open_screen ? screen : nullptr; }
void screen_error() {}

KeyState* keys_open() {
    if (!open_screen) return nullptr;
    if (open_keys) return open_keys;
    open_keys = static_cast<KeyState*>(std::calloc(1, sizeof(KeyState)));
    open_keys->buffer = static_cast<uint8_t*>(std::calloc(8, 1));
    return open_keys;
}

void keys_poll(KeyState* keys) {
    if (!keys || !fake_screen::key_event) return;
    const int32_t code = fake_screen::key_event(fake_screen::presents);
    if (code >= 0) keys->buffer[0] = static_cast<uint8_t>(code);
}

void keys_close(KeyState** keys) {
    if (!keys || !*keys) return;
    std::free((*keys)->buffer);
    std::free(*keys);
    open_keys = nullptr;
    *keys = nullptr;
}

const char* keys_to_text(const KeyState* keys) { return keys ? "" : nullptr; }
KeyState* keys_from_text(const char*) { return nullptr; }
int32_t keys_equal(const KeyState* a, const KeyState* b) { return a && a == b; }
KeyState* keys_clone(const KeyState*) { return nullptr; }
