// make-rotozoom OUTPUT_PPM: the intro's rotating picture, the emblem. Its
// black is transparent in the intro, so the laser trails show around and
// through it.
#include "pictures/emblem.h"
#include "pictures/netpbm.h"
#include "tool_main.h"

int main(int argc, char** argv) {
    return tool_main(argc, argv, 1, "make-rotozoom OUTPUT_PPM",
                     [](char** args) { netpbm::write_ppm(args[1], emblem::draw()); });
}
