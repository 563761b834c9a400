// The image text form: a plain PPM ("P3", maxval 255) wrapped in "IMG{" ... "}",
// six pixels of twelve characters ("%3d " per sample) to a text row.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "img/img.h"

namespace {

constexpr size_t kPixelChars = 12;
constexpr int kPixelsPerRow = 6;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The end of the first occurrence of `pattern` in `text`, or null.
const char* find_end(const char* text, const char* pattern) {
    if (!*text || !*pattern) return nullptr;
    const char* at = std::strstr(text, pattern);
    return at ? at + std::strlen(pattern) : nullptr;
}

char* empty_block() {
    auto* text = static_cast<char*>(std::calloc(6, 1));
    if (!text) {
        img_error();
        return nullptr;
    }
    std::memcpy(text, "IMG{}", 5);
    return text;
}

// Room for the header, 12 characters a pixel, "}\n" and the NUL: the extra
// count / 6 + 29 bytes cover any header whose width and height have at most
// 12 digits together, and larger sizes bring far more pixel room than that.
std::optional<size_t> text_size(size_t count) {
    constexpr size_t max = std::numeric_limits<size_t>::max();
    if (count > (max - 29) / (kPixelChars + 1)) return std::nullopt;
    return kPixelChars * count + count / kPixelsPerRow + 29;
}

// Header numbers: a run of decimal digits, 0 when there is none; nothing when
// the value does not fit a 32-bit size.
std::optional<int32_t> read_size_field(const char*& at) {
    int64_t n = 0;
    for (; is_digit(*at); ++at) {
        n = n * 10 + (*at - '0');
        if (n > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }
    return static_cast<int32_t>(n);
}

// Moves past exactly one header character; false at the end of the text.
bool skip_one(const char*& at) {
    if (!*at) return false;
    ++at;
    return true;
}

struct TextHeader {
    int32_t width;
    int32_t height;
};

// Reads "<width>?<height>?<maxval>?" by position, straight after "P3\n".
std::optional<TextHeader> read_text_header(const char*& at) {
    const auto width = read_size_field(at);
    if (!width || !skip_one(at)) return std::nullopt;
    const auto height = read_size_field(at);
    if (!height || !skip_one(at)) return std::nullopt;
    while (is_digit(*at)) ++at;  // maxval: never applied
    if (!skip_one(at)) return std::nullopt;
    return TextHeader{*width, *height};
}

// Samples are separated by anything that is not a digit and are taken as
// they stand, unclamped, in wrapping 32-bit arithmetic.
std::optional<uint32_t> read_sample(const char*& at) {
    while (*at && !is_digit(*at)) ++at;
    if (!*at) return std::nullopt;
    uint32_t n = 0;
    for (; is_digit(*at); ++at) n = n * 10 + static_cast<uint32_t>(*at - '0');
    return n;
}

bool read_samples(const char* at, uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const auto r = read_sample(at);
        const auto g = r ? read_sample(at) : std::nullopt;
        const auto b = g ? read_sample(at) : std::nullopt;
        if (!b) return false;
        pixels[i] = (*r << 16) | (*g << 8) | *b;
    }
    return true;
}

Image* refuse() {
    img_error();
    return nullptr;
}

}  // namespace

char* img_to_text(const Image* img) {
    if (!img || !img->pixels || img->width < 0 || img->height < 0) {
        img_error();
        return nullptr;
    }
    const size_t count = static_cast<size_t>(img->width) * static_cast<size_t>(img->height);
    if (count == 0) return empty_block();
    const auto size = text_size(count);
    auto* text = size ? static_cast<char*>(std::calloc(*size, 1)) : nullptr;
    if (!text) {
        img_error();
        return nullptr;
    }
    size_t i = static_cast<size_t>(
        std::snprintf(text, *size, "IMG{\nP3\n%d %d\n255\n", img->width, img->height));
    for (size_t j = 0; j < count; ++j, i += kPixelChars) {
        const uint32_t p = img->pixels[j];
        std::snprintf(text + i, kPixelChars + 1, "%3d %3d %3d ", static_cast<int>((p >> 16) & 0xFF),
                      static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
        if ((j + 1) % kPixelsPerRow == 0) text[i + kPixelChars - 1] = '\n';
    }
    text[i - 1] = '\n';
    std::memcpy(text + i, "}\n", 2);
    return text;
}

Image* img_from_text(const char* text) {
    if (!text) return refuse();
    const char* at = find_end(text, "IMG");
    if (at) at = find_end(at, "{");
    if (at) at = find_end(at, "P3\n");
    if (!at) return refuse();

    const auto header = read_text_header(at);
    if (!header) return refuse();
    const size_t count = static_cast<size_t>(header->width) * static_cast<size_t>(header->height);
    // Three samples of at least one digit each: a text too short for the
    // pixels it claims is refused before anything is allocated.
    if (count > std::strlen(at) / 3) return refuse();

    Image* img = img_create();
    if (!img) return nullptr;  // img_create has reported it
    img_resize(img, header->width, header->height);
    if ((count > 0 && !img->pixels) || !read_samples(at, img->pixels, count)) {
        img_destroy(&img);
        return refuse();
    }
    return img;
}

int32_t text_find(const char* text, const char* pattern) {
    if (!text || !pattern) {
        img_error();
        return 0;
    }
    const char* end = find_end(text, pattern);
    // An index beyond 32 bits cannot be told apart from a real one: report it as no match.
    if (!end || end - text > std::numeric_limits<int32_t>::max()) return 0;
    return static_cast<int32_t>(end - text);
}
