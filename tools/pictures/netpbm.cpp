#include "pictures/netpbm.h"

#include "atomic_file.h"

namespace netpbm {

namespace {

std::string size_line(const Picture& picture) {
    return std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n";
}

std::vector<uint8_t> with_header(const std::string& header, std::vector<uint8_t> data) {
    data.insert(data.begin(), header.begin(), header.end());
    return data;
}

}  // namespace

std::vector<uint8_t> ppm_file(const Picture& picture) {
    std::vector<uint8_t> data;
    data.reserve(picture.pixels.size() * 3);
    for (uint32_t pixel : picture.pixels) {
        data.push_back(static_cast<uint8_t>(pixel >> 16));
        data.push_back(static_cast<uint8_t>(pixel >> 8));
        data.push_back(static_cast<uint8_t>(pixel));
    }
    return with_header("P6\n" + size_line(picture) + "255\n", std::move(data));
}

std::vector<uint8_t> pbm_file(const Picture& picture) {
    const int row_bytes = (picture.width + 7) / 8;
    std::vector<uint8_t> data(static_cast<size_t>(row_bytes) * picture.height, 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.at(x, y) != 0) data[static_cast<size_t>(y) * row_bytes + x / 8] |= 0x80 >> (x % 8);
        }
    }
    return with_header("P4\n" + size_line(picture), std::move(data));
}

void write_ppm(const std::string& path, const Picture& picture) { write_file_atomically(path, ppm_file(picture)); }

void write_pbm(const std::string& path, const Picture& picture) { write_file_atomically(path, pbm_file(picture)); }

}  // namespace netpbm
