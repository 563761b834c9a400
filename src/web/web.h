// The web edition's parts around the intro: a libmikmod output driver that
// feeds the page's Web Audio output, registered before the intro registers
// the library's own drivers so that MikMod_Init("") takes it; and what the
// page gives the program (page/program.js).
#pragma once

#include <cstdint>

void web_register_sound_driver();

extern "C" {

// Hands a frame of R, G, B, A bytes to the page and waits (ASYNCIFY) until
// the page lets the show go on.
void web_show_frame(const uint32_t* rgba, int32_t width, int32_t height);
// Waits (ASYNCIFY) until the page starts a show.
void web_wait_for_start();
// Gives the page its turn (ASYNCIFY): the program goes on in a task of its
// own.
void web_pause();
// The desktop's key code of the last key pressed on the page, 0 after a
// release.
int32_t web_key_code();

// The sound output: its sample rate, the stereo sample frames it wants now,
// the mix (interleaved 16-bit stereo), and the end of the music.
int32_t web_audio_rate();
int32_t web_audio_wanted();
void web_audio_send(const int16_t* samples, int32_t count);
void web_audio_stop();

}
