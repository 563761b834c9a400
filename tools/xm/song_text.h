// The song's text form, compiled to a module whose samples are still to be
// synthesised. A ';' starts a comment that runs to the end of the line.
//
//   title    Ocean                 ; module name, at most 20 characters
//   tracker  TARNOVEX songc        ; tracker name shown by players
//   channels 4
//   speed    6                     ; ticks per row
//   bpm      125
//   order    00 01 02              ; may be repeated; patterns in hex
//   instrument 01 kick name "Kick" volume 64 panning 128
//              envelope 0:64 10:40 40:0 sustain 1 fadeout 512
//              vibrato sine 8 2 6  ; type sweep depth rate
//   pattern 00
//   00 | C-4 01 40 ... | --- .. .. ... | ...
//   01 | === .. .. 037 | ...
//
// A cell is note ("C-4", "C#4", "---" none, "===" key off), instrument (hex
// or ".."), volume (hex 00..40 or "..") and effect (letter or digit and two
// hex digits, or "..."). Rows are numbered from 00 in decimal; a pattern runs
// until the next line that is not a row. An instrument's keywords may follow
// on continuation lines that start with whitespace.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "xm/xm_module.h"

namespace xm {

// A mistake in the text, with its line number in the message.
struct SongError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Song {
    Module module;                     // instruments without sample data yet
    std::vector<std::string> patches;  // synthesiser voice of each instrument
};

Song parse_song(const std::string& text);

}  // namespace xm
