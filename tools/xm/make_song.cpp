// make-song SONG_TEXT OUTPUT_XM: compiles the song text into an XM module
// with synthesised samples.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "xm/song_text.h"
#include "xm/synth.h"
#include "xm/xm_module.h"
#include "tool_main.h"

namespace {

std::string read_text(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes beside the target and renames, so a failed run never leaves a
// truncated module behind for the build to pick up.
void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot create " + path);
}

}  // namespace

int main(int argc, char** argv) {
    return tool_main(argc, argv, 2, "make-song SONG_TEXT OUTPUT_XM", [](char** args) {
        const xm::Module module = xm::build_module(xm::parse_song(read_text(args[1])));
        const std::vector<uint8_t> bytes = xm::write_xm(module);
        write_file(args[2], bytes);
        std::cout << args[2] << ": " << module.channels << " channels, " << module.orders.size() << " orders, "
                  << xm::song_seconds(module) << " s, " << bytes.size() << " bytes\n";
    });
}
