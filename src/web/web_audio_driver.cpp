// A libmikmod output driver that hands the mix to the page's Web Audio
// output: each MikMod_Update mixes as many samples as the page asks for to
// keep its queue a little ahead of what the speakers play.
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

void mix() {
    static std::vector<int16_t> samples;
    const int32_t count = std::clamp(web_audio_wanted(), 0, longest_mix());
    if (count == 0) return;
    samples.resize(static_cast<size_t>(count) * 2);
    VC_WriteBytes(reinterpret_cast<SBYTE*>(samples.data()),
                  static_cast<ULONG>(samples.size() * sizeof(int16_t)));
    web_audio_send(samples.data(), count);
}

int reset_mixer() {
    VC_Exit();
    return init_mixer();
}

MDRIVER web_audio_driver =
    mix_driver("Web Audio", "Web Audio output of the page", "webaudio", init_mixer, reset_mixer, exit_mixer, mix);

}  // namespace

void web_register_sound_driver() { MikMod_RegisterDriver(&web_audio_driver); }
