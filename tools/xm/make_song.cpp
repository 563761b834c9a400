// make-song SONG_TEXT OUTPUT_XM: compiles the song text into an XM module
// with synthesised samples.
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "xm/song_text.h"
#include "xm/synth.h"
#include "xm/xm_module.h"
#include "atomic_file.h"
#include "tool_main.h"

namespace {

std::string read_text(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    return tool_main(argc, argv, 2, "make-song SONG_TEXT OUTPUT_XM", [](char** args) {
        const xm::Module module = xm::build_module(xm::parse_song(read_text(args[1])));
        const std::vector<uint8_t> bytes = xm::write_xm(module);
        write_file_atomically(args[2], bytes);
        std::cout << args[2] << ": " << module.channels << " channels, " << module.orders.size() << " orders, "
                  << xm::song_seconds(module) << " s, " << bytes.size() << " bytes\n";
    });
}
