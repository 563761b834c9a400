#include "intro/intro.h"
#include "sound_output/sound_output.h"
#include "standard_files/standard_files.h"

int main() {
    standard_files_ensure_open();
    sound_output_register_driver();
    return intro_main();
}
