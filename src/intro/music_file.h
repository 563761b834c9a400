// Reading a module file for the music.
#pragma once

#include <mikmod.h>

// The module in `path` for `voices` voices, or null with MikMod_errno set.
// Only a regular file of bounded size reaches the library: a pipe or a
// device would block its reader. A file the show refuses (see
// music_file.cpp) counts as one that cannot be opened, so its error text is
// the library's own for a missing file. Needs libmikmod's loaders registered
// and a driver started.
MODULE* music_load_file(const char* path, int voices);
