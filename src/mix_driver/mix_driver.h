// A libmikmod output driver that mixes in software: the library's own
// VC_ mixer does all the work, and the driver hands each mix to wherever its
// program sends the sound (a video file, a web page). Such a driver is
// registered before the library's own drivers and always says it is present,
// so MikMod_Init("") takes it.
#pragma once

#include <mikmod.h>

// The mix format these drivers hand on: 16-bit stereo at `rate` samples a second.
inline int mix_driver_init(UWORD rate) {
    md_mixfreq = rate;
    md_mode = static_cast<UWORD>((md_mode | DMODE_16BITS | DMODE_STEREO) & ~DMODE_FLOAT);
    return VC_Init();
}

// The driver record: `init` sets the format (through mix_driver_init),
// `reset` starts the mixer again, `exit` stops it, and `update` mixes and
// hands on one stretch. A paused player mixes nothing.
inline MDRIVER mix_driver(const CHAR* name, const CHAR* description, const CHAR* alias, int (*init)(),
                          int (*reset)(), void (*exit)(), void (*update)()) {
    return MDRIVER{
        nullptr,  name, description,  0, 255, alias, "", nullptr, [] { return BOOL{1}; },
        VC_SampleLoad, VC_SampleUnload, VC_SampleSpace, VC_SampleLength, init, exit, reset,
        VC_SetNumVoices, VC_PlayStart, VC_PlayStop, update, [] {},
        VC_VoiceSetVolume, VC_VoiceGetVolume, VC_VoiceSetFrequency, VC_VoiceGetFrequency,
        VC_VoiceSetPanning, VC_VoiceGetPanning, VC_VoicePlay, VC_VoiceStop, VC_VoiceStopped,
        VC_VoiceGetPosition, VC_VoiceRealVolume,
    };
}
