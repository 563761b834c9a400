// Writing raw PPM (P6) and raw PBM (P4) files for the data tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace netpbm {

// A picture of 0x00RRGGBB pixels, row-major.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Picture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}
    uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The bytes of a raw PPM file of the picture.
std::vector<uint8_t> ppm_file(const Picture& picture);
// The bytes of a raw PBM file: every non-zero pixel becomes a set bit (1).
std::vector<uint8_t> pbm_file(const Picture& picture);

// Both throw std::runtime_error when the file cannot be written; the file
// appears only once complete.
void write_ppm(const std::string& path, const Picture& picture);
void write_pbm(const std::string& path, const Picture& picture);

}  // namespace netpbm
