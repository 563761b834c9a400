#include "fake_screen.h"

#include "screen/backend.h"
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

void screen_present(Screen* screen, const Image* image) {
    if (!screen_backend::fits(screen, image)) return;
    ++fake_screen::presents;
    if (fake_screen::last_frame) img_destroy(&fake_screen::last_frame);
    fake_screen::last_frame = img_clone(image);
    if (fake_screen::on_present) fake_screen::on_present(image);
}

void screen_present_blit(Screen*, const Image*) {}

void keys_poll(KeyState* keys) {
    if (!keys || !fake_screen::key_event) return;
    const int32_t code = fake_screen::key_event(fake_screen::presents);
    if (code >= 0) keys->buffer[0] = static_cast<uint8_t>(code);
}
