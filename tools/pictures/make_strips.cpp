// make-strips OUTPUT_FOLDER: the twelve colour strips "roll1.ppm" ...
// "rollc.ppm".
#include <string>

#include "pictures/strips.h"
#include "tool_main.h"

int main(int argc, char** argv) {
    return tool_main(argc, argv, 1, "make-strips OUTPUT_FOLDER", [](char** args) {
        for (int slot = 0; slot < strips::COUNT; ++slot) {
            netpbm::write_ppm(std::string(args[1]) + "/" + strips::file_name(slot), strips::draw(slot));
        }
    });
}
