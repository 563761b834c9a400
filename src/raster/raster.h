// Raster colour tables: one colour per image row, rolling by position.
//
// Row i of a painted image gets colour (position + i) mod size. Refusals print
// "RASTER error\n" on standard output. Standard library only.
#pragma once

#include <cstdint>

#include "img/img.h"

struct Raster {
    int32_t size;
    int32_t position;
    uint32_t* colours;
};

Raster* raster_create();
void raster_destroy(Raster** raster);
char* raster_to_text(const Raster* raster);
Raster* raster_from_text(const char* text);
int32_t raster_equal(const Raster* a, const Raster* b);
Raster* raster_clone(const Raster* src);
void raster_resize(Raster* raster, int32_t count);
void raster_clear(Raster* raster);
Raster* raster_load(const char* path);
int32_t raster_save(const Raster* raster, const char* path);
void raster_fill(const Raster* raster, Image* image);
void raster_fill_blend(const Raster* raster, Image* image, int32_t alpha);
void raster_advance(Raster* raster);
void raster_error();
