// The standard descriptors of a program.
#pragma once

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that
// no file the program opens later takes one of their numbers and receives
// what is meant for standard output or error. Called first thing in main;
// when /dev/null cannot be opened the program ends with status 2 at once.
void standard_files_ensure_open();
