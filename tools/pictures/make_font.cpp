// make-font OUTPUT_PBM: the 8 x 8 glyph sheet.
#include "pictures/glyphs.h"
#include "tool_main.h"

int main(int argc, char** argv) {
    return tool_main(argc, argv, 1, "make-font OUTPUT_PBM",
                     [](char** args) { netpbm::write_pbm(args[1], glyphs::sheet()); });
}
