// Fuzzes the text form's parser over the input as a NUL-terminated text. A
// picture that is read must also come back unchanged through img_to_text.
#include <string>

#include "fuzz_checks.h"
#include "img/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Image* img = img_from_text(text.c_str());
    if (img) {
        check_text_round_trip(img);
        img_destroy(&img);
    }
    text_find(text.c_str(), "IMG");
    return 0;
}
