// Nearest-neighbour scaling, rotation about the centre, and the integer
// line and run-length steps behind the scaler and the laser lines.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "img/img.h"

namespace {

constexpr int64_t max_int32 = std::numeric_limits<int32_t>::max();

struct FreeDeleter {
    void operator()(int32_t* p) const { std::free(p); }
};
using CountArray = std::unique_ptr<int32_t[], FreeDeleter>;

// Pixel indices are 32-bit throughout the toolkit, so a picture may hold at
// most INT32_MAX pixels.
bool pixel_count_fits(int64_t width, int64_t height) { return width * height <= max_int32; }

// img_create followed by img_resize; null (after one error line) when either
// step fails.
Image* new_image(int32_t width, int32_t height) {
    Image* img = img_create();
    if (!img) return nullptr;
    img_resize(img, width, height);
    if (!img->pixels) {
        img_destroy(&img);
        img_error();
    }
    return img;
}

// Index maps and column tables are kept between calls, so that scaling and
// rotating a picture every frame allocates nothing but the results and the
// scaler's count arrays.
using Scratch = std::vector<int32_t>;

// Source index for each of the `extent` cells of an enlarged axis: source
// cell c is repeated counts[c] times, walking forward.
void enlarged_map(const int32_t* counts, int32_t extent, Scratch& map) {
    map.clear();
    for (int32_t c = 0; static_cast<int32_t>(map.size()) < extent; ++c) {
        map.insert(map.end(), counts[c], c);
    }
}

// Source index for each of the `extent` cells of a shrunk axis, walking
// backward from the last source cell: cell m takes the current source cell,
// which then moves back counts[m].
void shrunk_backward_map(const int32_t* counts, int32_t extent, int32_t source_extent, Scratch& map) {
    map.resize(extent);
    int32_t at = source_extent - 1;
    for (int32_t m = extent - 1; m >= 0; --m) {
        map[m] = at;
        at -= counts[m];
    }
}

// The same, walking forward from the first source cell: cell n takes the
// current source cell, which then moves on counts[n].
void shrunk_forward_map(const int32_t* counts, int32_t extent, Scratch& map) {
    map.resize(extent);
    int32_t at = 0;
    for (int32_t n = 0; n < extent; ++n) {
        map[n] = at;
        at += counts[n];
    }
}

// Fills the result row by row from the two index maps; a row whose source row
// is the one of the row above is copied instead of sampled again.
void sample_rows(const Image* src, Image* dst, const Scratch& columns, const Scratch& rows) {
    const int32_t width = dst->width;
    for (int32_t n = 0; n < dst->height; ++n) {
        uint32_t* out = dst->pixels + int64_t{n} * width;
        if (n > 0 && rows[n] == rows[n - 1]) {
            std::memcpy(out, out - width, sizeof(uint32_t) * width);
            continue;
        }
        const uint32_t* in = src->pixels + int64_t{rows[n]} * src->width;
        for (int32_t m = 0; m < width; ++m) out[m] = in[columns[m]];
    }
}

// x * ratio >> 15 with the shift keeping the sign, as the rotation computes
// each product.
constexpr int32_t scaled(int32_t x, int32_t ratio) { return (x * ratio) >> 15; }

// Turns a source size into the rotated result's: side * 92667 / 65536, just
// under side * sqrt(2). Fails when the product leaves the 32-bit range.
bool rotated_side(int32_t side, int32_t& result) {
    const int64_t product = int64_t{side} * 92667;
    if (product > max_int32) return false;
    result = static_cast<int32_t>(product >> 16);
    return true;
}

// Columns [first, end) of a row.
struct Run {
    int32_t first;
    int32_t end;
};

// The columns x for which 0 <= column[x] + shift < limit, where column is
// non-decreasing (rising) or non-increasing in x.
Run run_inside(const Scratch& column, bool rising, int32_t shift, int32_t limit) {
    auto below = [shift](int32_t bound) { return [=](int32_t c) { return c + shift < bound; }; };
    auto at_or_above = [shift](int32_t bound) { return [=](int32_t c) { return c + shift >= bound; }; };
    const auto first = rising ? std::partition_point(column.begin(), column.end(), below(0))
                              : std::partition_point(column.begin(), column.end(), at_or_above(limit));
    const auto end = rising ? std::partition_point(first, column.end(), below(limit))
                            : std::partition_point(first, column.end(), at_or_above(0));
    return {static_cast<int32_t>(first - column.begin()), static_cast<int32_t>(end - column.begin())};
}

int32_t table_index(int64_t angle) {
    const int64_t rest = angle % sine_table_length;
    return static_cast<int32_t>(rest < 0 ? rest + sine_table_length : rest);
}

}  // namespace

int32_t* run_lengths(int32_t a, int32_t b) {
    const int64_t abs_a = std::llabs(a), abs_b = std::llabs(b);
    const int64_t longer = std::max(abs_a, abs_b), shorter = std::min(abs_a, abs_b);
    // Counts are 32-bit, and against an extent of 0 the first count is
    // longer + 1.
    if (longer >= max_int32) return nullptr;
    auto* counts = static_cast<int32_t*>(std::calloc(static_cast<size_t>(shorter) + 1, sizeof(int32_t)));
    if (!counts) return nullptr;
    int64_t err = longer;
    int64_t cell = 0;
    for (int64_t step = 0; step <= longer; ++step) {
        ++counts[cell];
        err -= shorter;
        if (err <= 0) {
            err += longer;
            ++cell;
        }
    }
    return counts;
}

int32_t* line_points(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
    const bool x_major = std::llabs(dx) > std::llabs(dy);
    const int64_t major = x_major ? std::llabs(dx) : std::llabs(dy);
    const int64_t minor = x_major ? std::llabs(dy) : std::llabs(dx);
    // Element 0 holds the count of values that follow; it must fit in 32 bits.
    const int64_t values = 2 * major + 2;
    if (values > max_int32) return nullptr;
    auto* list = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * static_cast<size_t>(values + 1)));
    if (!list) return nullptr;
    list[0] = static_cast<int32_t>(values);

    int64_t major_at = x_major ? x0 : y0, minor_at = x_major ? y0 : x0;
    const int64_t major_step = (x_major ? dx : dy) < 0 ? -1 : 1;
    const int64_t minor_step = (x_major ? dy : dx) < 0 ? -1 : 1;
    const int64_t minor_end = x_major ? y1 : x1;
    int64_t err = major >> 1;
    int32_t* out = list + 1;
    for (int64_t i = 0; i <= major; ++i) {
        *out++ = static_cast<int32_t>(x_major ? major_at : minor_at);
        *out++ = static_cast<int32_t>(x_major ? minor_at : major_at);
        major_at += major_step;
        err -= minor;
        if (err <= 0) {
            err += major;
            if (minor_at != minor_end) minor_at += minor_step;
        }
    }
    return list;
}

Image* img_scale(const Image* src, int32_t width, int32_t height) {
    if (!src || !src->pixels || width < 0 || height < 0 || !pixel_count_fits(width, height)) {
        img_error();
        return nullptr;
    }
    if (width == 0 || height == 0 || src->width == 0 || src->height == 0) return new_image(width, height);

    const CountArray cx(run_lengths(width, src->width));
    const CountArray cy(run_lengths(height, src->height));
    if (!cx || !cy) {
        img_error();
        return nullptr;
    }
    Image* result = new_image(width, height);
    if (!result) return nullptr;

    const bool wider = width >= src->width;
    const bool taller = height >= src->height;
    static thread_local Scratch columns, rows;
    if (wider) {
        enlarged_map(cx.get(), width, columns);
    } else {
        shrunk_backward_map(cx.get(), width, src->width, columns);
    }
    // A shrunk height keeps the last source row of each run, except beside an
    // enlarged width, whose forward walk keeps the first.
    if (taller) {
        enlarged_map(cy.get(), height, rows);
    } else if (wider) {
        shrunk_forward_map(cy.get(), height, rows);
    } else {
        shrunk_backward_map(cy.get(), height, src->height, rows);
    }
    sample_rows(src, result, columns, rows);
    return result;
}

Image* img_rotate(const Image* src, int32_t angle) {
    int32_t width = 0, height = 0;
    if (!src || !src->pixels || !rotated_side(src->width, width) || !rotated_side(src->height, height) ||
        !pixel_count_fits(width, height)) {
        img_error();
        return nullptr;
    }
    Image* result = new_image(width, height);
    if (!result || width == 0 || height == 0) return result;

    const int32_t sa = sine_table[table_index(-int64_t{angle})];
    const int32_t ca = sine_table[table_index(-(int64_t{angle} + 256))];
    const int32_t sw = src->width, sh = src->height;

    // The column's share of u and v is the same on every row; it is monotone
    // in x, so on each row the columns whose (u, v) lies inside the source
    // form one run, and the rest stay 0.
    static thread_local Scratch column_u, column_v, column_offset;
    column_u.resize(width);
    column_v.resize(width);
    column_offset.resize(width);
    for (int32_t x = 0; x < width; ++x) {
        column_u[x] = scaled(x - width / 2, ca) + sw / 2;
        column_v[x] = scaled(x - width / 2, sa) + sh / 2;
        column_offset[x] = column_v[x] * sw + column_u[x];
    }
    for (int32_t y = 0; y < height; ++y) {
        const int32_t dy = y - height / 2;
        const int32_t row_u = -scaled(dy, sa);
        const int32_t row_v = scaled(dy, ca);
        const Run in_u = run_inside(column_u, ca >= 0, row_u, sw);
        const Run in_v = run_inside(column_v, sa >= 0, row_v, sh);
        const int32_t first = std::max(in_u.first, in_v.first);
        const int32_t end = std::min(in_u.end, in_v.end);
        const uint32_t* in = src->pixels;
        const int64_t row_offset = int64_t{row_v} * sw + row_u;
        uint32_t* out = result->pixels + int64_t{y} * width;
        for (int32_t x = first; x < end; ++x) out[x] = in[row_offset + column_offset[x]];
    }
    return result;
}
