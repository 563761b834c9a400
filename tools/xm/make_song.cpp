// make-song SONG_TEXT OUTPUT_XM: compiles the song text into an XM module
// with synthesised samples.
#include <iostream>

#include "xm/song_text.h"
#include "xm/synth.h"
#include "xm/xm_module.h"
#include "atomic_file.h"
#include "tool_main.h"

int main(int argc, char** argv) {
    return tool_main(argc, argv, 2, "make-song SONG_TEXT OUTPUT_XM", [](char** args) {
        const xm::Module module = xm::build_module(xm::parse_song(read_text_file(args[1])));
        const std::vector<uint8_t> bytes = xm::write_xm(module);
        write_file_atomically(args[2], bytes);
        std::cout << args[2] << ": " << module.channels << " channels, " << module.orders.size() << " orders, "
                  << xm::song_seconds(module) << " s, " << bytes.size() << " bytes\n";
    });
}
