// A libmikmod output driver that hands the mix to the recording: each
// MikMod_Update mixes exactly the samples of the frame just recorded.
#include <vector>

#include "capture/capture.h"
#include "mix_driver/mix_driver.h"

namespace {

// The recording's format, whatever the library's defaults are.
int init_mixer() { return mix_driver_init(CAPTURE_SAMPLE_RATE); }

int reset_mixer() {
    VC_Exit();
    return init_mixer();
}

// The frames recorded when the last share was mixed: that share was the
// last frame's. Only the frame right after it is caught up, never the last
// frame of a show that a new show's music follows.
int64_t mixed_until = 0;

void mix_frame() {
    static std::vector<int16_t> samples;
    mixed_until = capture_frames_done();
    const int32_t count = capture_audio_share();
    samples.resize(static_cast<size_t>(count) * CAPTURE_CHANNELS);
    VC_WriteBytes(reinterpret_cast<SBYTE*>(samples.data()),
                  static_cast<ULONG>(samples.size() * sizeof(int16_t)));
    capture_audio(samples.data(), count);
}

MDRIVER capture_driver =
    mix_driver("Capture", "Capture to the video file", "capture", init_mixer, reset_mixer, VC_Exit, mix_frame);

}  // namespace

void capture_register_sound_driver() { MikMod_RegisterDriver(&capture_driver); }

void capture_music_runs_on() {
    if (capture_frames_done() == mixed_until + 1 && Player_Active()) MikMod_Update();
}
