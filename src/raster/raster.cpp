// Raster colour tables: create/destroy and the rest of the module pattern,
// painting an image one colour per row, and rolling the table.
#include "raster/raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A table of `count` zeroed colours, or null for a negative count or a failed
// allocation. An empty table still gets a real (one-entry) block, so a raster
// of size 0 keeps a non-null colours pointer that the other operations accept.
uint32_t* allocate_colours(int32_t count) {
    if (count < 0) return nullptr;
    const size_t entries = std::max<size_t>(static_cast<size_t>(count), 1);
    return static_cast<uint32_t*>(std::calloc(entries, sizeof(uint32_t)));
}

bool has_table(const Raster* raster) { return raster && raster->colours; }

// Paintable: a table with at least one colour and an image with pixels.
// A size-0 table has no colour to give any row, so it is refused as well.
bool can_paint(const Raster* raster, const Image* image) {
    return has_table(raster) && raster->size > 0 && image && image->pixels;
}

// Calls paint(row pixels, width, colour) for every row of the image, row i
// getting colour (position + i) mod size.
template <typename PaintRow>
void for_each_row(const Raster* raster, Image* image, PaintRow paint) {
    const int32_t size = raster->size;
    int32_t index = raster->position % size;
    if (index < 0) index += size;
    const size_t width = static_cast<size_t>(std::max(image->width, 0));
    for (int32_t row = 0; row < image->height; ++row) {
        paint(image->pixels + static_cast<size_t>(row) * width, width, raster->colours[index]);
        if (++index == size) index = 0;
    }
}

// Replaces every pixel p of a row by change(p). The row is walked in blocks
// of a fixed length so that the compiler vectorises the inner loop at -O2 as
// well (its cheap cost model skips loops of unknown length); the tail left
// over goes one pixel at a time.
template <typename Change>
void change_row(uint32_t* row, size_t width, Change change) {
    constexpr size_t kBlock = 16;
    size_t x = 0;
    for (; x + kBlock <= width; x += kBlock) {
        for (size_t k = 0; k < kBlock; ++k) row[x + k] = change(row[x + k]);
    }
    for (; x < width; ++x) row[x] = change(row[x]);
}

// Blends one pixel towards colour by alpha / 256 per channel, flooring, with
// the top byte cleared. Red and blue share one multiply: each lane's sum is at
// most 255 * 256, so it cannot carry into the other lane.
uint32_t blend(uint32_t pixel, uint32_t colour, uint32_t alpha) {
    const uint32_t keep = 256 - alpha;
    const uint32_t red_blue = ((pixel & 0xFF00FF) * keep + (colour & 0xFF00FF) * alpha) >> 8;
    const uint32_t green = ((pixel & 0x00FF00) * keep + (colour & 0x00FF00) * alpha) >> 8;
    return (red_blue & 0xFF00FF) | (green & 0x00FF00);
}

}  // namespace

void raster_error() { std::printf("RASTER error\n"); }

Raster* raster_create() {
    auto* raster = static_cast<Raster*>(std::calloc(1, sizeof(Raster)));
    if (!raster) {
        raster_error();
        return nullptr;
    }
    raster->colours = allocate_colours(256);
    if (!raster->colours) {
        std::free(raster);
        raster_error();
        return nullptr;
    }
    raster->size = 256;
    return raster;
}

void raster_destroy(Raster** raster) {
    if (!raster || !*raster) {
        raster_error();
        return;
    }
    std::free((*raster)->colours);
    std::free(*raster);
    *raster = nullptr;
}

char* raster_to_text(const Raster*) { return nullptr; }

Raster* raster_from_text(const char*) { return nullptr; }

int32_t raster_equal(const Raster* a, const Raster* b) {
    if (!has_table(a) || !has_table(b)) {
        raster_error();
        return 0;
    }
    if (a->size != b->size) return 0;
    return std::equal(a->colours, a->colours + a->size, b->colours) ? 1 : 0;
}

Raster* raster_clone(const Raster* src) {
    if (!has_table(src)) {
        raster_error();
        return nullptr;
    }
    Raster* copy = raster_create();
    if (!copy) return nullptr;
    raster_resize(copy, src->size);
    if (!copy->colours) {
        // The copy's table could not be allocated: no half-made clone.
        raster_destroy(&copy);
        raster_error();
        return nullptr;
    }
    std::copy_n(src->colours, std::max(src->size, 0), copy->colours);
    return copy;
}

void raster_resize(Raster* raster, int32_t count) {
    if (!raster) {
        raster_error();
        return;
    }
    std::free(raster->colours);
    raster->colours = allocate_colours(count);
    raster->size = count;
    raster->position = 0;
}

void raster_clear(Raster* raster) {
    if (!has_table(raster)) {
        raster_error();
        return;
    }
    std::fill_n(raster->colours, std::max(raster->size, 0), 0u);
}

Raster* raster_load(const char* path) {
    if (!path) {
        raster_error();
        return nullptr;
    }
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file) {
        raster_error();
        return nullptr;
    }
    Raster* raster = raster_create();
    if (raster) raster_resize(raster, 0);
    return raster;
}

int32_t raster_save(const Raster* raster, const char* path) {
    if (!has_table(raster) || !path || raster->size == 0) {
        raster_error();
        return 0;
    }
    FILE* file = std::fopen(path, "w");
    if (!file) {
        raster_error();
        return 0;
    }
    std::fclose(file);
    return 1;
}

void raster_fill(const Raster* raster, Image* image) {
    if (!can_paint(raster, image)) {
        raster_error();
        return;
    }
    for_each_row(raster, image, [](uint32_t* row, size_t width, uint32_t colour) {
        change_row(row, width, [colour](uint32_t) { return colour; });
    });
}

void raster_fill_blend(const Raster* raster, Image* image, int32_t alpha) {
    if (!can_paint(raster, image)) {
        raster_error();
        return;
    }
    const uint32_t weight = static_cast<uint32_t>(std::clamp(alpha, 0, 256));
    for_each_row(raster, image, [weight](uint32_t* row, size_t width, uint32_t colour) {
        change_row(row, width, [=](uint32_t pixel) { return blend(pixel, colour, weight); });
    });
}

void raster_advance(Raster* raster) {
    if (!has_table(raster)) {
        raster_error();
        return;
    }
    if (++raster->position >= raster->size) raster->position = 0;
}
