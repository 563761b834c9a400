// Properties every picture the readers return must have. A broken property
// aborts, which libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <cstdlib>

#include "img/img.h"

// Writers keep only the low 24 bits of a pixel: the colour.
inline void check_same_colours(const Image* expected, const Image* actual) {
    if (actual->width != expected->width || actual->height != expected->height) std::abort();
    const size_t count = static_cast<size_t>(expected->width) * static_cast<size_t>(expected->height);
    for (size_t i = 0; i < count; ++i) {
        if ((expected->pixels[i] & 0xFFFFFF) != actual->pixels[i]) std::abort();
    }
}

inline void check_text_round_trip(const Image* img) {
    if (static_cast<size_t>(img->width) * static_cast<size_t>(img->height) == 0) return;
    char* text = img_to_text(img);
    if (!text) std::abort();
    Image* back = img_from_text(text);
    std::free(text);
    if (!back) std::abort();
    check_same_colours(img, back);
    img_destroy(&back);
}
