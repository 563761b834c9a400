// make-icons OUTPUT_FOLDER: the application icon in the hicolor sizes, as
// OUTPUT_FOLDER/NxN/apps/tarnovex.png, drawn from the emblem. The emblem's
// black is transparent; every icon pixel averages the emblem over its cell,
// so the edges of the ring and the star come out smooth.
#include <png.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "pictures/emblem.h"
#include "pictures/netpbm.h"
#include "tool_main.h"

namespace {

constexpr int SIZES[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Row-major RGBA, 8 bits a channel.
std::vector<uint8_t> shrunk(const netpbm::Picture& picture, int side) {
    std::vector<uint8_t> rgba;
    rgba.reserve(static_cast<size_t>(side) * side * 4);
    const auto cell_start = [&](int cell) { return cell * picture.width / side; };
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            unsigned long red = 0, green = 0, blue = 0, lit = 0, all = 0;
            for (int y = cell_start(row); y < cell_start(row + 1); ++y) {
                for (int x = cell_start(column); x < cell_start(column + 1); ++x) {
                    const uint32_t pixel = picture.at(x, y);
                    ++all;
                    if (pixel == 0) continue;
                    ++lit;
                    red += (pixel >> 16) & 0xff;
                    green += (pixel >> 8) & 0xff;
                    blue += pixel & 0xff;
                }
            }
            const unsigned long share = lit ? lit : 1;
            rgba.push_back(static_cast<uint8_t>(red / share));
            rgba.push_back(static_cast<uint8_t>(green / share));
            rgba.push_back(static_cast<uint8_t>(blue / share));
            rgba.push_back(static_cast<uint8_t>((lit * 255 + all / 2) / all));
        }
    }
    return rgba;
}

std::vector<uint8_t> png_file(const std::vector<uint8_t>& rgba, int side) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(side);
    image.height = static_cast<png_uint_32>(side);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, rgba.data(), 0, nullptr)) {
        throw std::runtime_error(std::string("cannot encode the icon: ") + image.message);
    }
    std::vector<uint8_t> file(size);
    if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) {
        throw std::runtime_error(std::string("cannot encode the icon: ") + image.message);
    }
    file.resize(size);
    return file;
}

void make_icons(const std::filesystem::path& folder) {
    const netpbm::Picture picture = emblem::draw();
    for (int side : SIZES) {
        const std::string size = std::to_string(side);
        const std::filesystem::path apps = folder / (size + "x" + size) / "apps";
        std::filesystem::create_directories(apps);
        write_file_atomically(apps / "tarnovex.png", png_file(shrunk(picture, side), side));
    }
}

}  // namespace

int main(int argc, char** argv) {
    return tool_main(argc, argv, 1, "make-icons OUTPUT_FOLDER", [](char** args) { make_icons(args[1]); });
}
