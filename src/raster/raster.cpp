// Raster colour tables: create/destroy and the rest of the module pattern,
// painting an image one colour per row, and rolling the table.
#include "raster/raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "img/heap_record.h"

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

// Calls paint(row, colour) for every row of the image, row i getting colour
// (position + i) mod size.
template <typename PaintRow>
void for_each_row(const Raster* raster, const Image* image, PaintRow paint) {
    const int32_t size = raster->size;
    int32_t index = raster->position % size;
    if (index < 0) index += size;
    for (int32_t row = 0; row < image->height; ++row) {
        paint(row, raster->colours[index]);
        if (++index == size) index = 0;
    }
}

}  // namespace

void raster_error() { std::printf("RASTER error\n"); }

Raster* raster_create() {
    auto* raster = heap_record_new<Raster>(raster_error);
    if (!raster) return nullptr;
    raster->colours = allocate_colours(256);
    raster->size = 256;
    return heap_record_complete(raster, raster->colours, raster_error);
}

void raster_destroy(Raster** raster) {
    heap_record_delete(raster, raster_error, [](Raster& table) { std::free(table.colours); });
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

// Each row is one span of the image toolkit, which stores straight into the
// row (no per-pixel calls).
void raster_fill(const Raster* raster, Image* image) {
    if (!can_paint(raster, image)) {
        raster_error();
        return;
    }
    for_each_row(raster, image, [image](int32_t row, uint32_t colour) {
        img_hline(image, colour, row, 0, image->width - 1);
    });
}

void raster_fill_blend(const Raster* raster, Image* image, int32_t alpha) {
    if (!can_paint(raster, image)) {
        raster_error();
        return;
    }
    for_each_row(raster, image, [image, alpha](int32_t row, uint32_t colour) {
        img_hline_blend(image, colour, row, 0, image->width - 1, alpha);
    });
}

void raster_advance(Raster* raster) {
    if (!has_table(raster)) {
        raster_error();
        return;
    }
    if (++raster->position >= raster->size) raster->position = 0;
}
