// PNM reading (P1-P6, from a file or from memory) and raw PPM writing.
//
// Both readers walk a bounded span of bytes (the file reader reads the whole
// file first, after checking that it is a regular file of bounded size and
// that the header in its first bytes does not already refuse it), so
// neither can read past the end of its data, and every picture's size is
// checked against its limits before its pixels are allocated. They share one
// header grammar but keep the small differences stored pictures rely on:
//  - the file reader consumes the byte that ends a header number, so a '#'
//    right after a digit is not a comment; it reads P1 samples as whole
//    numbers and starts every P4 row on a new byte;
//  - the memory reader leaves that byte for the next pass and skips one byte
//    after the header; it reads P1 samples as single digits, rounds a P4 width
//    up to whole bytes when the magic came first, and reads P4 bits as one
//    continuous stream, so the row filler becomes pixels.
// Bitmaps map a set bit to white (0xFFFFFF), so their 0 pixels stay
// transparent to the keyed blits. maxval is read but never applied; a maxval
// or a plain sample above 255 refuses the picture, since samples are one byte.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "img/img.h"

namespace {

enum class Reader { File, Memory };

// A read position that never moves past the end of its data.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}
    bool at_end() const { return at_ == end_; }
    size_t left() const { return static_cast<size_t>(end_ - at_); }
    uint8_t peek() const { return *at_; }
    uint8_t take() { return *at_++; }
    void skip() { ++at_; }

private:
    const uint8_t* at_;
    const uint8_t* end_;
};

bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }
bool is_printable(uint8_t c) { return c >= 0x21 && c <= 0x7E; }

// A number too large for 32 bits stays at the largest value instead of
// wrapping, so an absurd size or sample is refused by the limits below rather
// than read as a small one (4294967297 would otherwise wrap to 1).
uint32_t read_digits(Cursor& in) {
    constexpr uint64_t largest = std::numeric_limits<uint32_t>::max();
    uint64_t n = 0;
    while (!in.at_end() && is_digit(in.peek())) n = std::min(n * 10 + (in.take() - '0'), largest);
    return static_cast<uint32_t>(n);
}

struct Header {
    char magic = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t maxval = 0;
    bool has_magic = false;
    bool has_width = false;
    bool has_height = false;
    bool has_maxval = false;
    bool magic_before_width = false;

    bool complete() const { return has_magic && has_width && has_height && has_maxval; }

    void set_magic(char digit) {
        magic = digit;
        has_magic = true;
        if (digit == '1' || digit == '4') has_maxval = true;  // bitmaps carry no maxval
    }

    // A number fills the first field still missing; once all are set it is dropped.
    void add_number(uint32_t n) {
        if (!has_width) {
            width = n;
            has_width = true;
            magic_before_width = has_magic;
        } else if (!has_height) {
            height = n;
            has_height = true;
        } else if (!has_maxval) {
            maxval = n;
            has_maxval = true;
        }
    }
};

void skip_comment(Cursor& in) {
    while (!in.at_end() && in.take() != '\n') {
    }
}

// A printable byte that is not a digit counts as a number 0 and is moved past.
uint32_t read_header_number(Cursor& in, Reader reader) {
    if (!is_digit(in.peek())) {
        in.skip();
        return 0;
    }
    const uint32_t n = read_digits(in);
    if (reader == Reader::File && !in.at_end()) in.skip();
    return n;
}

std::optional<Header> read_header(Cursor& in, Reader reader) {
    Header header;
    while (!header.complete()) {
        if (in.at_end()) return std::nullopt;
        const uint8_t c = in.peek();
        if (!is_printable(c)) {
            in.skip();
        } else if (c == 'P' && !header.has_magic) {
            if (in.left() < 2) return std::nullopt;
            in.skip();
            const uint8_t digit = in.take();
            if (digit < '1' || digit > '6') return std::nullopt;
            header.set_magic(static_cast<char>(digit));
        } else if (c == '#') {
            skip_comment(in);
        } else {
            header.add_number(read_header_number(in, reader));
        }
    }
    if (reader == Reader::Memory && !in.at_end()) in.skip();
    return header;
}

constexpr uint32_t MAX_SAMPLE = 255;

struct Size {
    uint64_t width;
    uint64_t height;
    uint64_t pixels() const { return width * height; }
};

constexpr Size ANY_SIZE{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};

// The size the image gets, or nothing when it is empty or over a limit.
std::optional<Size> image_size(const Header& header, Reader reader, Size limit) {
    uint64_t width = header.width;
    const uint64_t height = header.height;
    if (reader == Reader::Memory && header.magic == '4' && header.magic_before_width) {
        width = (width + 7) / 8 * 8;
    }
    if (width == 0 || height == 0 || width > limit.width || height > limit.height) return std::nullopt;
    const Size size{width, height};
    if (size.pixels() > IMG_PIXEL_LIMIT) return std::nullopt;
    return size;
}

// Refuses a picture that claims more pixels than its data can hold before
// anything is allocated: every plain sample takes at least one digit, every
// raw sample one byte, and raw bitmap rows whole bytes.
bool data_can_hold(Size size, char magic, Reader reader, uint64_t bytes) {
    const uint64_t pixels = size.pixels();
    switch (magic) {
        case '1':
        case '2':
        case '5':
            return pixels <= bytes;
        case '3':
        case '6':
            return pixels <= bytes / 3;
        default:  // '4'
            if (reader == Reader::Memory) return (pixels + 7) / 8 <= bytes;
            return size.height <= bytes / ((size.width + 7) / 8);
    }
}

// Moves to the next digit; false when the data ends first.
bool skip_to_digit(Cursor& in) {
    while (!in.at_end() && !is_digit(in.peek())) in.skip();
    return !in.at_end();
}

std::optional<uint32_t> read_plain_sample(Cursor& in) {
    if (!skip_to_digit(in)) return std::nullopt;
    return read_digits(in);
}

// A grey or colour sample: one that does not fit a byte would spill into the
// neighbouring channels, so it ends the read as a failure.
std::optional<uint32_t> read_plain_channel(Cursor& in) {
    const auto v = read_plain_sample(in);
    if (!v || *v > MAX_SAMPLE) return std::nullopt;
    return v;
}

uint32_t grey(uint32_t v) { return (v << 16) | (v << 8) | v; }
uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
uint32_t bit_pixel(uint8_t byte, uint64_t index) { return (byte >> (7 - index % 8)) & 1 ? 0xFFFFFFu : 0u; }

bool read_plain_bitmap(Cursor& in, Reader reader, uint32_t* out, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        if (reader == Reader::File) {
            const auto v = read_plain_sample(in);
            if (!v) return false;
            out[i] = *v ? 0xFFFFFFu : 0u;
        } else {
            if (!skip_to_digit(in)) return false;
            out[i] = in.take() == '0' ? 0u : 0xFFFFFFu;
        }
    }
    return true;
}

bool read_plain_greymap(Cursor& in, uint32_t* out, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        const auto v = read_plain_channel(in);
        if (!v) return false;
        out[i] = grey(*v);
    }
    return true;
}

bool read_plain_pixmap(Cursor& in, uint32_t* out, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        const auto r = read_plain_channel(in);
        const auto g = r ? read_plain_channel(in) : std::nullopt;
        const auto b = g ? read_plain_channel(in) : std::nullopt;
        if (!b) return false;
        out[i] = rgb(*r, *g, *b);
    }
    return true;
}

// File reader: every row starts on a new byte; the rest of a row's last byte is skipped.
void read_raw_bitmap_rows(Cursor& in, uint32_t* out, Size size) {
    uint8_t byte = 0;
    for (uint64_t y = 0; y < size.height; ++y) {
        for (uint64_t x = 0; x < size.width; ++x) {
            if (x % 8 == 0) byte = in.take();
            *out++ = bit_pixel(byte, x);
        }
    }
}

// Memory reader: pixel j is bit 7 - j % 8 of byte j / 8 of the data.
void read_raw_bitmap_stream(Cursor& in, uint32_t* out, uint64_t count) {
    uint8_t byte = 0;
    for (uint64_t j = 0; j < count; ++j) {
        if (j % 8 == 0) byte = in.take();
        out[j] = bit_pixel(byte, j);
    }
}

// The data guard has checked that the raw formats' bytes are all there; the
// plain formats find out while reading.
bool read_pixels(Cursor& in, char magic, Reader reader, Size size, uint32_t* out) {
    const uint64_t count = size.pixels();
    switch (magic) {
        case '1':
            return read_plain_bitmap(in, reader, out, count);
        case '2':
            return read_plain_greymap(in, out, count);
        case '3':
            return read_plain_pixmap(in, out, count);
        case '4':
            if (reader == Reader::File) {
                read_raw_bitmap_rows(in, out, size);
            } else {
                read_raw_bitmap_stream(in, out, count);
            }
            return true;
        case '5':
            for (uint64_t i = 0; i < count; ++i) out[i] = in.take() * 0x010101u;
            return true;
        default:  // '6'
            for (uint64_t i = 0; i < count; ++i) {
                const uint32_t r = in.take(), g = in.take(), b = in.take();
                out[i] = rgb(r, g, b);
            }
            return true;
    }
}

Image* refuse() {
    img_error();
    return nullptr;
}

Image* read_pnm(Cursor in, Reader reader, Size limit) {
    const auto header = read_header(in, reader);
    if (!header || header->maxval > MAX_SAMPLE) return refuse();
    const auto size = image_size(*header, reader, limit);
    if (!size || !data_can_hold(*size, header->magic, reader, in.left())) return refuse();

    Image* img = img_create();
    if (!img) return nullptr;  // img_create has reported it
    img_resize(img, static_cast<int32_t>(size->width), static_cast<int32_t>(size->height));
    if (!img->pixels || !read_pixels(in, header->magic, reader, *size, img->pixels)) {
        img_destroy(&img);
        return refuse();
    }
    return img;
}

// The opened file and its size, or -1 when it is not a regular file within
// the limit. O_NONBLOCK lets the open of a pipe return at once instead of
// waiting for a writer; fstat then tells what was opened.
int open_data_file(const char* path, uint64_t& size) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || static_cast<uint64_t>(info.st_size) > IMG_FILE_LIMIT) {
        close(fd);
        return -1;
    }
    size = static_cast<uint64_t>(info.st_size);
    return fd;
}

// The first bytes of a picture, enough for any ordinary header.
constexpr size_t HEADER_PREFIX_BYTES = 4096;

// True when the header, complete within the file's first bytes, already
// refuses the picture: an oversized picture is then turned away without
// reading a large file whole. The header is trusted only when it ends before
// the prefix does, so no number of it can be cut short.
bool header_refuses(int fd, uint64_t file_size, Size limit) {
    std::array<uint8_t, HEADER_PREFIX_BYTES> prefix;
    const ssize_t got = pread(fd, prefix.data(), prefix.size(), 0);
    if (got <= 0) return false;
    Cursor in(prefix.data(), static_cast<size_t>(got));
    const auto header = read_header(in, Reader::File);
    if (!header || in.at_end()) return false;
    if (header->maxval > MAX_SAMPLE) return true;
    const auto size = image_size(*header, Reader::File, limit);
    const uint64_t data_bytes = file_size - (static_cast<uint64_t>(got) - in.left());
    return !size || !data_can_hold(*size, header->magic, Reader::File, data_bytes);
}

// The whole file, read to its size at the open; a file that has grown past
// that size since is refused rather than read without bound.
std::optional<std::vector<uint8_t>> read_whole_file(int fd, uint64_t size) {
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(size + 1);  // room for one byte more shows a grown file
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        got += static_cast<size_t>(n);
    }
    if (got > size) return std::nullopt;
    bytes.resize(got);
    return bytes;
}

// The picture file's bytes, or nothing when it is not a regular file within
// the size limit or its header alone refuses it.
std::optional<std::vector<uint8_t>> read_picture_file(const char* path, Size limit) {
    uint64_t size = 0;
    const int fd = open_data_file(path, size);
    if (fd < 0) return std::nullopt;
    auto bytes = header_refuses(fd, size, limit) ? std::nullopt : read_whole_file(fd, size);
    close(fd);
    return bytes;
}

}  // namespace

std::FILE* img_open_data_file(const char* path) {
    if (!path) return nullptr;
    uint64_t size = 0;
    const int fd = open_data_file(path, size);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

Image* img_load_pnm(const char* path) { return img_load_pnm_within(path, ANY_SIZE.width, ANY_SIZE.height); }

Image* img_load_pnm_within(const char* path, int32_t max_width, int32_t max_height) {
    if (!path || max_width < 0 || max_height < 0) return refuse();
    const Size limit{static_cast<uint64_t>(max_width), static_cast<uint64_t>(max_height)};
    const auto bytes = read_picture_file(path, limit);
    if (!bytes) return refuse();
    return read_pnm(Cursor(bytes->data(), bytes->size()), Reader::File, limit);
}

Image* img_parse_pnm(const uint8_t* data, size_t size) {
    if (!data) return refuse();
    return read_pnm(Cursor(data, size), Reader::Memory, ANY_SIZE);
}

// Writes "P6\n<width> <height>\n255\n" and three bytes per pixel. All checks
// come before the file is opened, so a refused write creates no file; a write
// or close that fails is reported instead of claimed as success.
int32_t img_save_ppm(const Image* img, const char* path) {
    if (!img || !img->pixels || !path || img->width <= 0 || img->height <= 0) {
        img_error();
        return 0;
    }
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        img_error();
        return 0;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", img->width, img->height);

    std::array<uint8_t, 3 * 4096> chunk;
    size_t used = 0;
    const size_t count = static_cast<size_t>(img->width) * static_cast<size_t>(img->height);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = img->pixels[i];
        chunk[used++] = static_cast<uint8_t>(p >> 16);
        chunk[used++] = static_cast<uint8_t>(p >> 8);
        chunk[used++] = static_cast<uint8_t>(p);
        if (used == chunk.size() || i + 1 == count) {
            std::fwrite(chunk.data(), 1, used, file);
            used = 0;
        }
    }
    const bool written = !std::ferror(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        img_error();
        return 0;
    }
    return 1;
}
