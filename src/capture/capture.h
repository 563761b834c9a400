// Capture: renders the show frame by frame into a video file with its music.
//
// The intro is built once per screen height, so each height has its own
// capture program (tarnovex-capture-200, tarnovex-capture-240); the program
// tarnovex-capture checks the arguments and starts the one for the height
// asked. A capture program supplies the screen and keyboard of the intro:
// every presented frame goes to the video file, the keys follow a script
// (nothing, then Escape once the requested frames are shown), and a
// libmikmod output driver of its own hands each frame's share of the music
// to the file.
#pragma once

#include <cstdint>
#include <string>

#include "img/img.h"
#include "intro/show_length.h"

// ---- Arguments ------------------------------------------------------------

constexpr int32_t CAPTURE_SAMPLE_RATE = 44100;
constexpr int32_t CAPTURE_CHANNELS = 2;

struct CaptureOptions {
    std::string output;
    int32_t height = 240;
    int64_t frames = PASS_FRAMES;  // frames of the show before the fade
    int32_t fps = 60;
    int32_t scale = 1;
    bool lossless = false;  // FFV1 + FLAC in Matroska, else H.264 + AAC in MP4
    bool bitexact = false;  // fixed encoder threads, no library versions
    std::string data_folder;  // empty: the one found beside the program
};

// Reads the command line. A name ending in ".mkv" asks for the lossless
// file, ".mp4" for the compressed one unless --lossless is given (which needs
// ".mkv"). --help prints the usage, --version the version, and both exit
// with status 0; a wrong argument fails through capture_fail, `hint` added to
// the message.
CaptureOptions capture_read_args(int argc, char** argv, const std::string& hint);

// The folder of the running program, its symbolic links resolved.
std::string capture_own_folder();
// The folder of the show's data files: the one given with --data, else the
// installed data folder relative to the program's own folder, else (in the
// build tree, where they lie beside the programs) the program's own folder.
std::string capture_data_folder(const CaptureOptions& options);

// Prints "tarnovex-capture: <message>" on standard error, removes the
// partial file and exits with status 2.
[[noreturn]] void capture_fail(const std::string& message);

// ---- The recording ----------------------------------------------------------

// Checks OUTPUT (taken from the current folder) and opens the temporary file
// in its folder, for frames of width x height (before scaling). Fails through
// capture_fail. Every signal that ends the capture from now on removes the
// partial file. With standard output and error on the same terminal, the
// scroll text is shown inside the progress bar instead of echoed.
void capture_begin(const CaptureOptions& options, int32_t width, int32_t height);
// Adds one presented frame; the previous frame gets silence if no music was
// mixed for it.
void capture_frame(const Image* frame);
// Number of frames added so far.
int64_t capture_frames_done();
// Sample frames of music due for the last frame added: frame i lasts from
// sample floor(i * rate / fps) to floor((i + 1) * rate / fps).
int32_t capture_audio_share();
// Adds the music of the last frame added: `count` 16-bit stereo sample frames.
void capture_audio(const int16_t* samples, int32_t count);
// Completes the file and gives it the output's name.
void capture_end();

// The keyboard of the capture: no key until `frames` frames are recorded,
// then Escape, so the show ends there and its fade follows.
void capture_set_key_script(int64_t frames);

// The libmikmod output driver that mixes each frame's share into the
// recording. Registered before the intro registers the library's drivers, it
// is the first in the list and always present, so MikMod_Init("") takes it.
void capture_register_sound_driver();
// Mixes the share of the last frame recorded if it got no music update and a
// song plays: the frame on which the show reloads the song that has just
// ended, or one whose key ended its part. A viewer's sound output runs on
// across such a frame, so the recording's does too. Called before the next
// frame is recorded; after a quit no song plays and the frame stays silent.
void capture_music_runs_on();
