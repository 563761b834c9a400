// A libmikmod output driver that hands the mix to the recording: each
// MikMod_Update mixes exactly the samples of the frame just recorded.
#include <mikmod.h>

#include <vector>

#include "capture/capture.h"

namespace {

BOOL always_present() { return 1; }

// The recording's format, whatever the library's defaults are.
int init_mixer() {
    md_mixfreq = CAPTURE_SAMPLE_RATE;
    md_mode = static_cast<UWORD>((md_mode | DMODE_16BITS | DMODE_STEREO) & ~DMODE_FLOAT);
    return VC_Init();
}

void mix_frame() {
    static std::vector<int16_t> samples;
    const int32_t count = capture_audio_share();
    samples.resize(static_cast<size_t>(count) * CAPTURE_CHANNELS);
    VC_WriteBytes(reinterpret_cast<SBYTE*>(samples.data()),
                  static_cast<ULONG>(samples.size() * sizeof(int16_t)));
    capture_audio(samples.data(), count);
}

// A paused player gives no samples; the recording fills the frame with silence.
void pause_mixer() {}

int reset_mixer() {
    VC_Exit();
    return init_mixer();
}

MDRIVER capture_driver = {
    nullptr,
    "Capture",
    "Capture to the video file",
    0,
    255,
    "capture",
    "",
    nullptr,
    always_present,
    VC_SampleLoad,
    VC_SampleUnload,
    VC_SampleSpace,
    VC_SampleLength,
    init_mixer,
    VC_Exit,
    reset_mixer,
    VC_SetNumVoices,
    VC_PlayStart,
    VC_PlayStop,
    mix_frame,
    pause_mixer,
    VC_VoiceSetVolume,
    VC_VoiceGetVolume,
    VC_VoiceSetFrequency,
    VC_VoiceGetFrequency,
    VC_VoiceSetPanning,
    VC_VoiceGetPanning,
    VC_VoicePlay,
    VC_VoiceStop,
    VC_VoiceStopped,
    VC_VoiceGetPosition,
    VC_VoiceRealVolume,
};

}  // namespace

void capture_register_sound_driver() { MikMod_RegisterDriver(&capture_driver); }
