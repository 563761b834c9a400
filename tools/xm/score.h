// The compiled song without its samples: an XM file whose samples are still
// empty, each named by the voice that fills it. The web edition carries the
// song in this form and synthesises the samples where it plays, so
// write_xm(build_module(read_score(write_score(song)))) is the module that
// make-song writes.
#pragma once

#include <cstdint>
#include <vector>

#include "xm/song_text.h"

namespace xm {

std::vector<uint8_t> write_score(const Song& song);
Song read_score(const std::vector<uint8_t>& bytes);

}  // namespace xm
