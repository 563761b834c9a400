// Compositing: keyed and half-blended blits, the AND mask, span fills and
// blends, and the wrapping row copies. Every operation clips once and then
// walks the pixel arrays directly, one row at a time.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "img/img.h"
#include "img/pixel_rows.h"

namespace {

bool has_pixels(const Image* img) { return img && img->pixels; }

uint32_t* row_of(Image* img, int64_t y) { return img->pixels + y * img->width; }
const uint32_t* row_of(const Image* img, int64_t y) { return img->pixels + y * img->width; }

// The column range [first, last] of a span clipped to the image; empty when
// first > last.
struct Span {
    int32_t first;
    int32_t last;
};

Span clip_span(const Image* img, int32_t x0, int32_t x1) {
    return {std::max(x0, 0), std::min(x1, img->width - 1)};
}

// d[i] = combine(s[i], d[i]) for i in 0 .. count - 1. A plain loop: at -O3
// the compiler turns it into vector instructions behind one overlap check.
template <typename Combine>
void combine_row(const uint32_t* s, uint32_t* d, int64_t count, Combine combine) {
    for (int64_t i = 0; i < count; ++i) d[i] = combine(s[i], d[i]);
}

// Reduces a wrap offset into 0 .. width - 1, counting negative offsets from
// the right edge.
int32_t wrap_offset(int32_t offset, int32_t width) {
    const int32_t rest = offset % width;
    return rest < 0 ? rest + width : rest;
}

// Shared walk of the two row copies: the first min(src width, dst width)
// pixels of the source row go to the destination row from the offset on,
// wrapping once at its right edge. combine(source, destination) gives the
// stored value.
template <typename Combine>
void row_wrap(const Image* src, Image* dst, int32_t src_row, int32_t dst_row, int32_t offset,
              Combine combine) {
    if (!has_pixels(src) || !has_pixels(dst) || src_row < 0 || src_row >= src->height ||
        dst_row < 0 || dst_row >= dst->height) {
        img_error();
        return;
    }
    if (dst->width == 0) return;
    const int32_t count = std::min(src->width, dst->width);
    const int32_t start = wrap_offset(offset, dst->width);
    const int32_t before_edge = std::min(count, dst->width - start);
    const uint32_t* s = row_of(src, src_row);
    uint32_t* d = row_of(dst, dst_row);
    combine_row(s, d + start, before_edge, combine);
    combine_row(s + before_edge, d, count - before_edge, combine);
}

// A blit rectangle, 64-bit so that sums of extreme coordinates cannot wrap.
struct Blit {
    int64_t sx, sy, dx, dy, w, h;
};

// Clips a blit rectangle to both images, first to the destination, then to
// the source; nothing when no pixel is left to copy.
std::optional<Blit> clip_blit(const Image* src, const Image* dst, Blit b) {
    if (b.dx >= dst->width || b.dx + b.w < 0 || b.dy >= dst->height || b.dy + b.h < 0 ||
        b.sx >= src->width || b.sx + b.w < 0 || b.sy >= src->height || b.sy + b.h < 0) {
        return std::nullopt;
    }
    if (b.dx < 0) { b.w += b.dx; b.sx -= b.dx; b.dx = 0; }
    if (b.dy < 0) { b.h += b.dy; b.sy -= b.dy; b.dy = 0; }
    if (b.dx + b.w > dst->width) b.w = dst->width - b.dx;
    if (b.dy + b.h > dst->height) b.h = dst->height - b.dy;
    if (b.sx < 0) { b.w += b.sx; b.dx -= b.sx; b.sx = 0; }
    if (b.sy < 0) { b.h += b.sy; b.dy -= b.sy; b.sy = 0; }
    if (b.sx + b.w > src->width) b.w = src->width - b.sx;
    if (b.sy + b.h > src->height) b.h = src->height - b.sy;
    if (b.w <= 0 || b.h <= 0) return std::nullopt;
    return b;
}

// Shared walk of the two blits: clips the rectangle, then hands each row of
// what is left of it to row_op(source, destination, count).
template <typename RowOp>
void blit_rows(const Image* src, Image* dst, Blit b, RowOp row_op) {
    const auto blit = clip_blit(src, dst, b);
    if (!blit) return;
    for (int64_t row = 0; row < blit->h; ++row) {
        row_op(row_of(src, blit->sy + row) + blit->sx, row_of(dst, blit->dy + row) + blit->dx, blit->w);
    }
}

// All ones where the source pixel is 0 (the destination shows through), else
// 0. The keyed loops select with it instead of branching: transparent pixels
// come in no predictable pattern.
constexpr uint32_t keep_mask(uint32_t source) { return 0u - static_cast<uint32_t>(source == 0); }

}  // namespace

void img_blit_keyed(const Image* src, Image* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                    int32_t w, int32_t h) {
    if (!has_pixels(src) || !has_pixels(dst)) {
        img_error();
        return;
    }
    blit_rows(src, dst, {sx, sy, dx, dy, w, h}, [](const uint32_t* s, uint32_t* d, int64_t count) {
        combine_row(s, d, count, [](uint32_t from, uint32_t to) { return from | (to & keep_mask(from)); });
    });
}

void img_blit_half(const Image* src, Image* dst, int32_t x, int32_t y) {
    if (!has_pixels(src) || !has_pixels(dst)) {
        img_error();
        return;
    }
    // The whole source laid at (x, y); only the destination's edges can
    // shorten it, as the rectangle starts inside the source.
    blit_rows(src, dst, {0, 0, x, y, src->width, src->height}, [](const uint32_t* s, uint32_t* d, int64_t count) {
        pixel_rows::blit_half(s, d, static_cast<size_t>(count));
    });
}

void img_and_mask(const Image* mask, Image* dst) {
    if (!has_pixels(mask) || !has_pixels(dst)) {
        img_error();
        return;
    }
    const int64_t mask_count = int64_t{mask->width} * mask->height;
    const int64_t dst_count = int64_t{dst->width} * dst->height;
    combine_row(mask->pixels, dst->pixels, std::min(mask_count, dst_count),
                [](uint32_t from, uint32_t to) { return from & to; });
}

namespace {

// Shared walk of the two span operations: refuses an image without pixels,
// clips the span to its row, and hands what is left to row_op(pixels, count).
template <typename RowOp>
void change_span(Image* img, int32_t y, int32_t x0, int32_t x1, RowOp row_op) {
    if (!has_pixels(img)) {
        img_error();
        return;
    }
    if (y < 0 || y >= img->height) return;
    const Span span = clip_span(img, x0, x1);
    if (span.first > span.last) return;
    row_op(row_of(img, y) + span.first, static_cast<size_t>(span.last - span.first + 1));
}

}  // namespace

void img_hline(Image* img, uint32_t colour, int32_t y, int32_t x0, int32_t x1) {
    change_span(img, y, x0, x1, [colour](uint32_t* pixels, size_t count) { std::fill_n(pixels, count, colour); });
}

void img_hline_blend(Image* img, uint32_t colour, int32_t y, int32_t x0, int32_t x1, int32_t alpha) {
    // Outside 0 .. 256 the weights would leave the channel range; the nearest
    // valid alpha is the sensible reading.
    const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 256));
    change_span(img, y, x0, x1, [=](uint32_t* pixels, size_t count) { pixel_rows::blend(pixels, count, colour, a); });
}

void img_copy_row_wrap(const Image* src, Image* dst, int32_t src_row, int32_t dst_row, int32_t offset) {
    row_wrap(src, dst, src_row, dst_row, offset, [](uint32_t s, uint32_t) { return s; });
}

void img_or_row_wrap(const Image* src, Image* dst, int32_t src_row, int32_t dst_row, int32_t offset) {
    row_wrap(src, dst, src_row, dst_row, offset, [](uint32_t s, uint32_t d) { return s | d; });
}
