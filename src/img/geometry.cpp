// Nearest-neighbour scaling, rotation about the centre, and the integer
// line and run-length steps behind the scaler and the laser lines.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "img/img.h"

namespace {

constexpr int64_t max_int32 = std::numeric_limits<int32_t>::max();

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

// An image of the given (non-empty) size whose pixels the caller overwrites
// every one of: the same record as new_image, without clearing the pixels
// first and without the 16 x 16 array img_create would make and free.
Image* image_to_overwrite(int32_t width, int32_t height) {
    auto* img = static_cast<Image*>(std::malloc(sizeof(Image)));
    auto* pixels = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * static_cast<size_t>(width) * height));
    if (!img || !pixels) {
        std::free(img);
        std::free(pixels);
        img_error();
        return nullptr;
    }
    *img = {width, height, pixels};
    return img;
}

// Index maps and column tables are kept between calls, so that scaling and
// rotating a picture every frame allocates nothing but the results, and a
// call with the same sizes (and angle) as the last one builds no table.
using Scratch = std::vector<int32_t>;

// map[m] = floor((m * step + offset) / divisor) for m in 0 .. count - 1,
// stepping quotient and remainder instead of dividing. Every source index
// of the scaler has this form: floor(m * sw / W) for an enlarged axis,
// ceil((m + 1) * sw / W) - 1 = floor((m * sw + sw - 1) / W) for a shrunk one
// walked backward, and ceil(n * sh / H) = floor((n * sh + H - 1) / H) for the
// shrunk height walked forward.
void linear_map(int32_t count, int64_t step, int64_t offset, int64_t divisor, Scratch& map) {
    map.resize(count);
    int64_t quotient = offset / divisor, remainder = offset % divisor;
    const int64_t step_quotient = step / divisor, step_remainder = step % divisor;
    for (int32_t m = 0; m < count; ++m) {
        map[m] = static_cast<int32_t>(quotient);
        quotient += step_quotient;
        remainder += step_remainder;
        if (remainder >= divisor) {
            remainder -= divisor;
            ++quotient;
        }
    }
}

// The source column of each result column and the source row of each result
// row for one pair of sizes.
struct ScaleMaps {
    int32_t source_width = -1, source_height = -1, width = -1, height = -1;
    Scratch columns, rows;

    void build(int32_t sw, int32_t sh, int32_t w, int32_t h) {
        if (sw == source_width && sh == source_height && w == width && h == height) return;
        const bool wider = w >= sw, taller = h >= sh;
        linear_map(w, sw, wider ? 0 : sw - 1, w, columns);
        // A shrunk height keeps the last source row of each run, except
        // beside an enlarged width, whose forward walk keeps the first.
        linear_map(h, sh, taller ? 0 : wider ? h - 1 : sh - 1, h, rows);
        source_width = sw, source_height = sh, width = w, height = h;
    }
};

// out[m] = in[base + index[m]] for m in 0 .. count - 1, four pixels a step,
// so the loop counter is paid once for four gathers.
void gather(const uint32_t* in, int64_t base, const int32_t* index, uint32_t* out, int32_t count) {
    int32_t m = 0;
    for (; m + 4 <= count; m += 4) {
        const uint32_t a = in[base + index[m]], b = in[base + index[m + 1]];
        const uint32_t c = in[base + index[m + 2]], d = in[base + index[m + 3]];
        out[m] = a, out[m + 1] = b, out[m + 2] = c, out[m + 3] = d;
    }
    for (; m < count; ++m) out[m] = in[base + index[m]];
}

// Fills the result row by row from the two index maps; a row whose source row
// is the one of the row above is copied instead of sampled again.
void sample_rows(const Image* src, Image* dst, const ScaleMaps& maps) {
    const int32_t width = dst->width;
    for (int32_t n = 0; n < dst->height; ++n) {
        uint32_t* out = dst->pixels + int64_t{n} * width;
        if (n > 0 && maps.rows[n] == maps.rows[n - 1]) {
            std::memcpy(out, out - width, sizeof(uint32_t) * width);
            continue;
        }
        gather(src->pixels, int64_t{maps.rows[n]} * src->width, maps.columns.data(), out, width);
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

// Moves `at` to the partition point of `column` under `before`, a test that
// holds for a prefix of the columns, walking from where it was.
template <typename Before>
int32_t walk_to_partition(const Scratch& column, int32_t at, Before before) {
    const auto size = static_cast<int32_t>(column.size());
    while (at > 0 && !before(column[at - 1])) --at;
    while (at < size && before(column[at])) ++at;
    return at;
}

// The columns x for which 0 <= column[x] + shift < limit, where column is
// non-decreasing (rising) or non-increasing in x, found from the run of the
// row before. The shift changes monotonically from row to row, so over a
// whole image each end of the run walks across the row at most once, where
// a search on every row would cost more than the row's pixels.
Run run_inside(const Scratch& column, bool rising, int32_t shift, int32_t limit, Run previous) {
    auto below = [shift](int32_t bound) { return [=](int32_t c) { return c + shift < bound; }; };
    auto at_or_above = [shift](int32_t bound) { return [=](int32_t c) { return c + shift >= bound; }; };
    if (rising) {
        return {walk_to_partition(column, previous.first, below(0)),
                walk_to_partition(column, previous.end, below(limit))};
    }
    return {walk_to_partition(column, previous.first, at_or_above(limit)),
            walk_to_partition(column, previous.end, at_or_above(0))};
}

int32_t table_index(int64_t angle) {
    const int64_t rest = angle % sine_table_length;
    return static_cast<int32_t>(rest < 0 ? rest + sine_table_length : rest);
}

// The column's share of the rotation's u and v, the same on every row, for
// one source size, result width and angle. Each share is monotone in x, so
// on each row the columns whose (u, v) lies inside the source form one run.
struct RotationColumns {
    int32_t source_width = -1, source_height = -1, width = -1, turn = -1;
    int32_t sa = 0, ca = 0;
    Scratch u, v, offset;

    // `turn` is (-angle) mod 1024, the table index of the sine.
    void build(const Image& src, int32_t w, int32_t angle_index) {
        if (src.width == source_width && src.height == source_height && w == width && angle_index == turn) return;
        sa = sine_table[angle_index];
        ca = sine_table[table_index(int64_t{angle_index} - 256)];
        u.resize(w);
        v.resize(w);
        offset.resize(w);
        for (int32_t x = 0; x < w; ++x) {
            u[x] = scaled(x - w / 2, ca) + src.width / 2;
            v[x] = scaled(x - w / 2, sa) + src.height / 2;
            offset[x] = v[x] * src.width + u[x];
        }
        source_width = src.width, source_height = src.height, width = w, turn = angle_index;
    }
};

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
    // An extent of INT32_MAX is refused as run_lengths refuses it: the walk
    // would count its extent + 1 steps in 32 bits.
    if (width == max_int32 || height == max_int32) {
        img_error();
        return nullptr;
    }

    Image* result = image_to_overwrite(width, height);
    if (!result) return nullptr;
    static thread_local ScaleMaps maps;
    maps.build(src->width, src->height, width, height);
    sample_rows(src, result, maps);
    return result;
}

Image* img_rotate(const Image* src, int32_t angle) {
    int32_t width = 0, height = 0;
    if (!src || !src->pixels || !rotated_side(src->width, width) || !rotated_side(src->height, height) ||
        !pixel_count_fits(width, height)) {
        img_error();
        return nullptr;
    }
    if (width == 0 || height == 0) return new_image(width, height);
    Image* result = image_to_overwrite(width, height);
    if (!result) return nullptr;

    static thread_local RotationColumns columns;
    columns.build(*src, width, table_index(-int64_t{angle}));
    const int32_t sa = columns.sa, ca = columns.ca;
    const int32_t sw = src->width, sh = src->height;
    Run in_u{0, 0}, in_v{0, 0};
    for (int32_t y = 0; y < height; ++y) {
        const int32_t dy = y - height / 2;
        const int32_t row_u = -scaled(dy, sa);
        const int32_t row_v = scaled(dy, ca);
        in_u = run_inside(columns.u, ca >= 0, row_u, sw, in_u);
        in_v = run_inside(columns.v, sa >= 0, row_v, sh, in_v);
        const int32_t first = std::max(in_u.first, in_v.first);
        const int32_t end = std::max(first, std::min(in_u.end, in_v.end));
        // Points outside the source give 0, the transparent value.
        uint32_t* out = result->pixels + int64_t{y} * width;
        std::fill(out, out + first, 0u);
        gather(src->pixels, int64_t{row_v} * sw + row_u, columns.offset.data() + first, out + first, end - first);
        std::fill(out + end, out + width, 0u);
    }
    return result;
}
