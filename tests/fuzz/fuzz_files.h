// The scratch file a fuzz target hands its input to a file reader through.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// A path in the temporary folder, unique to this process and `suffix`.
inline std::string scratch_path(const char* target, const char* suffix) {
    const std::string name = std::string("tarnovex_") + target + "_" + std::to_string(::getpid()) + suffix;
    return (std::filesystem::temp_directory_path() / name).string();
}

inline void write_file(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}
