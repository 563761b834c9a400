// The web edition's files: kept in memory and read through the C library as
// from disk (open, fstat, read, seek, close), so the intro opens its data
// files by name as it does on the desktop. Read-only; standard output and
// standard error go to the page's console as before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

void memory_file_add(std::string name, std::vector<uint8_t> bytes);
