// Fuzzes the memory PNM reader over exactly the bytes given: any read past
// them is an AddressSanitizer report. A picture that is read must also come
// back unchanged through the text form.
#include <cstdlib>

#include "fuzz_checks.h"
#include "img/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image* img = img_parse_pnm(data, size);
    if (img) {
        check_text_round_trip(img);
        img_destroy(&img);
    }
    return 0;
}
