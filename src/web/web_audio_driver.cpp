// A libmikmod output driver that hands the mix to the page's Web Audio
// output: each MikMod_Update mixes as many whole ticks as the page asks for
// to keep its queue a little ahead of what the speakers play.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "mix_driver/mix_driver.h"
#include "web/web.h"

namespace {

int init_mixer() { return mix_driver_init(static_cast<UWORD>(web_audio_rate())); }

void exit_mixer() {
    VC_Exit();
    web_audio_stop();
}

// The longest mix for one frame, however long the page was away: a quarter
// of a second.
int32_t longest_mix() { return md_mixfreq / 4; }

// Sample frames in one tick of the playing song, as libmikmod's mixer counts them.
int32_t tick_length(const MODULE& song) { return md_mixfreq * 125 / (song.bpm * 50); }

// Whole ticks, and none after the one in which the player finds the song's
// end: the song then sounds for its rows and that one tick, exactly as long
// as in a capture, and the reloaded song follows on the next tick. So the
// music keeps its place against the show's frames pass after pass.
void mix() {
    static std::vector<int16_t> samples;
    const int32_t wanted = std::clamp(web_audio_wanted(), 0, longest_mix());
    int32_t count = 0;
    while (Player_Active()) {
        const int32_t tick = tick_length(*Player_GetModule());
        if (count + tick > wanted) break;
        samples.resize(static_cast<size_t>(count + tick) * 2);
        VC_WriteBytes(reinterpret_cast<SBYTE*>(samples.data() + static_cast<size_t>(count) * 2),
                      static_cast<ULONG>(tick * 2 * sizeof(int16_t)));
        count += tick;
    }
    if (count > 0) web_audio_send(samples.data(), count);
}

int reset_mixer() {
    VC_Exit();
    return init_mixer();
}

MDRIVER web_audio_driver =
    mix_driver("Web Audio", "Web Audio output of the page", "webaudio", init_mixer, reset_mixer, exit_mixer, mix);

}  // namespace

void web_register_sound_driver() { MikMod_RegisterDriver(&web_audio_driver); }
