// The image buffer: making, freeing, resizing, copying and comparing images,
// single-pixel access, darkening, and the toolkit's error reporter.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "img/heap_record.h"
#include "img/img.h"
#include "img/pixel_rows.h"

namespace {

size_t pixel_count(const Image* img) {
    return static_cast<size_t>(img->width) * static_cast<size_t>(img->height);
}

bool inside(const Image* img, int32_t x, int32_t y) {
    return x >= 0 && x < img->width && y >= 0 && y < img->height;
}

}  // namespace

void img_error() { std::printf("IMG error\n"); }

Image* img_create() {
    auto* img = heap_record_new<Image>(img_error);
    if (!img) return nullptr;
    img->width = 16;
    img->height = 16;
    img->pixels = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)));
    return heap_record_complete(img, img->pixels, img_error);
}

void img_destroy(Image** img) {
    heap_record_delete(img, img_error, [](Image& image) { std::free(image.pixels); });
}

void img_resize(Image* img, int32_t width, int32_t height) {
    if (!img || width < 0 || height < 0) {
        img_error();
        return;
    }
    std::free(img->pixels);
    // A failed allocation leaves a record with the new size and no pixels,
    // which every later pixel operation refuses.
    img->pixels = static_cast<uint32_t*>(
        std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), sizeof(uint32_t)));
    img->width = width;
    img->height = height;
}

void img_clear(Image* img) {
    if (!img || !img->pixels) {
        img_error();
        return;
    }
    std::fill_n(img->pixels, pixel_count(img), 0u);
}

Image* img_clone(const Image* src) {
    if (!src) {
        img_error();
        return nullptr;
    }
    Image* copy = img_create();
    if (!copy) return nullptr;
    img_resize(copy, src->width, src->height);
    if (copy->pixels && src->pixels) {
        std::memcpy(copy->pixels, src->pixels, pixel_count(src) * sizeof(uint32_t));
    }
    return copy;
}

int32_t img_equal(const Image* a, const Image* b) {
    if (!a || !b) {
        img_error();
        return 0;
    }
    if (a->width != b->width || a->height != b->height) return 0;
    const size_t n = pixel_count(a);
    if (n == 0) return 1;
    if (!a->pixels || !b->pixels) return a->pixels == b->pixels;
    return std::equal(a->pixels, a->pixels + n, b->pixels) ? 1 : 0;
}

uint32_t img_get_pixel(const Image* img, int32_t x, int32_t y) {
    if (!img || !img->pixels) {
        img_error();
        return 0;
    }
    return inside(img, x, y) ? img->pixels[static_cast<size_t>(y) * img->width + x] : 0;
}

void img_put_pixel(Image* img, int32_t x, int32_t y, uint32_t value) {
    if (!img || !img->pixels) {
        img_error();
        return;
    }
    if (inside(img, x, y)) img->pixels[static_cast<size_t>(y) * img->width + x] = value;
}

void img_darken(Image* img, uint8_t level) {
    if (!img) {
        img_error();
        return;
    }
    if (!img->pixels) {
        // Without pixels every pixel's read and write is refused in turn.
        for (size_t i = pixel_count(img); i > 0; --i) {
            img_error();
            img_error();
        }
        return;
    }
    pixel_rows::darken(img->pixels, pixel_count(img), level);
}
