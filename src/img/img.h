// Image toolkit: the one picture type of the intro and everything done to it.
//
// Pixels are 32-bit 0x00RRGGBB values stored row-major; the value 0 is
// transparent to the keyed operations. Every refused call prints "IMG error\n"
// once on standard output (buffered, never flushed here) and returns a neutral
// value. Standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct Image {
    int32_t width;
    int32_t height;
    uint32_t* pixels;
};

// Buffer and pixel access.
Image* img_create();
void img_destroy(Image** img);
void img_resize(Image* img, int32_t width, int32_t height);
void img_clear(Image* img);
Image* img_clone(const Image* src);
int32_t img_equal(const Image* a, const Image* b);
uint32_t img_get_pixel(const Image* img, int32_t x, int32_t y);
void img_put_pixel(Image* img, int32_t x, int32_t y, uint32_t value);
void img_darken(Image* img, uint8_t level);
void img_error();

// Data files. A data file is opened only when it is a regular file of at
// most IMG_FILE_LIMIT bytes (256 MiB): a pipe, a device or a folder is
// refused without waiting on it, and so is a larger file. Gives a stream for
// binary reading, or null (nothing printed).
constexpr uint64_t IMG_FILE_LIMIT = uint64_t{256} << 20;
std::FILE* img_open_data_file(const char* path);

// PNM files (P1-P6) and raw PPM writing. The file reader opens its file with
// img_open_data_file. Both readers refuse samples above 255 (a maxval or a
// plain sample over 255; numbers too large for 32 bits count as too large)
// and pictures of more than IMG_PIXEL_LIMIT pixels (2^26, 8192 x 8192, an
// image of 256 MiB); img_load_pnm_within also refuses one wider than
// max_width or taller than max_height. Every refusal is one "IMG error".
constexpr uint64_t IMG_PIXEL_LIMIT = uint64_t{1} << 26;
Image* img_load_pnm(const char* path);
Image* img_load_pnm_within(const char* path, int32_t max_width, int32_t max_height);
Image* img_parse_pnm(const uint8_t* data, size_t size);
int32_t img_save_ppm(const Image* img, const char* path);

// Text form "IMG{" ... "}". The text is released with free().
char* img_to_text(const Image* img);
Image* img_from_text(const char* text);
int32_t text_find(const char* text, const char* pattern);

// Sine table: a full turn in 1024 steps, amplitude 32767.
extern const int16_t sine_table[1024];
extern const int16_t sine_table_length;

// Scaling, rotation and line tracing. Arrays are released with free().
Image* img_scale(const Image* src, int32_t width, int32_t height);
Image* img_rotate(const Image* src, int32_t angle);
int32_t* run_lengths(int32_t a, int32_t b);
int32_t* line_points(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Compositing.
void img_blit_keyed(const Image* src, Image* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                    int32_t w, int32_t h);
void img_blit_half(const Image* src, Image* dst, int32_t x, int32_t y);
void img_and_mask(const Image* mask, Image* dst);
void img_hline(Image* img, uint32_t colour, int32_t y, int32_t x0, int32_t x1);
void img_hline_blend(Image* img, uint32_t colour, int32_t y, int32_t x0, int32_t x1, int32_t alpha);
void img_copy_row_wrap(const Image* src, Image* dst, int32_t src_row, int32_t dst_row, int32_t offset);
void img_or_row_wrap(const Image* src, Image* dst, int32_t src_row, int32_t dst_row, int32_t offset);
