// The song's voices, synthesised into 16-bit samples.
#pragma once

#include <string>
#include <vector>

#include "xm/song_text.h"
#include "xm/xm_module.h"

namespace xm {

// Samples are made at 4 x 8363 Hz and given a relative note so that every
// voice sounds at the pitch written in the pattern.
constexpr int SYNTH_RATE = 4 * 8363;

// The voices the text may name: kick, snare, hihat, crash, bass, pluck, lead,
// pad.
const std::vector<std::string>& voice_names();

// Fills the sample of an instrument (data, loop, relative note, name) with
// the named voice; throws SongError for an unknown voice.
void synthesize(const std::string& voice, Sample& sample);

// The song with every instrument's sample synthesised: ready to write.
Module build_module(const Song& song);

}  // namespace xm
