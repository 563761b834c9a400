// Writing a data tool's output file so that it appears only once complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

// Writes `header` and then `data` to a file beside `path` and renames it into
// place, so a failed run never leaves a truncated file behind for the build
// to pick up. Throws std::runtime_error when the file cannot be written.
inline void write_file_atomically(const std::string& path, const std::string& header,
                                  const std::vector<uint8_t>& data) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << header;
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!out) throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot create " + path);
}

inline void write_file_atomically(const std::string& path, const std::vector<uint8_t>& data) {
    write_file_atomically(path, std::string(), data);
}
