// Fuzzes the file PNM reader through a temporary file. A picture that is read
// must also come back unchanged through img_save_ppm and the file reader.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_checks.h"
#include "fuzz_files.h"
#include "img/img.h"

namespace {

// The input file and the written copy, removed when the fuzzer exits.
struct ScratchFiles {
    std::string input = scratch_path("fuzz_pnm_load", ".pnm");
    std::string output = scratch_path("fuzz_pnm_load", ".ppm");

    ~ScratchFiles() {
        std::remove(input.c_str());
        std::remove(output.c_str());
    }
};

void check_ppm_round_trip(const Image* img, const std::string& path) {
    if (img_save_ppm(img, path.c_str()) != 1) std::abort();
    Image* back = img_load_pnm(path.c_str());
    if (!back) std::abort();
    check_same_colours(img, back);
    img_destroy(&back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFiles files;
    write_file(files.input, data, size);
    Image* img = img_load_pnm(files.input.c_str());
    if (img) {
        check_ppm_round_trip(img, files.output);
        img_destroy(&img);
    }
    return 0;
}
