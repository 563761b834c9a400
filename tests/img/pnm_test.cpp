#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "capture.h"
#include "img/img.h"

namespace {

const std::string kError = "IMG error\n";

struct ImageDeleter {
    void operator()(Image* img) const { img_destroy(&img); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

// What one reader call gave: the image (or null) and how many error lines it printed.
struct Read {
    ImagePtr img;
    int errors;
};

std::string temp_path(const std::string& name) {
    return testing::TempDir() + "pnm_test_" + std::to_string(::getpid()) + "_" + name;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes are copied into a buffer of exactly their size, so a sanitized
// build catches any read past the end.
Read parse(const std::string& bytes) {
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    Image* img = nullptr;
    const std::string out = captured_stdout([&] { img = img_parse_pnm(data.data(), data.size()); });
    return {ImagePtr(img), count_lines(out, kError)};
}

Read load_path(const std::string& path) {
    Image* img = nullptr;
    const std::string out = captured_stdout([&] { img = img_load_pnm(path.c_str()); });
    return {ImagePtr(img), count_lines(out, kError)};
}

Read load(const std::string& bytes) {
    const std::string path = temp_path("load.pnm");
    write_file(path, bytes);
    Read read = load_path(path);
    std::remove(path.c_str());
    return read;
}

std::vector<uint32_t> pixels_of(const Image* img) {
    return {img->pixels, img->pixels + static_cast<size_t>(img->width) * img->height};
}

void expect_image(const Read& read, int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    ASSERT_NE(read.img, nullptr);
    EXPECT_EQ(read.errors, 0);
    EXPECT_EQ(read.img->width, width);
    EXPECT_EQ(read.img->height, height);
    EXPECT_EQ(pixels_of(read.img.get()), pixels);
}

void expect_refused(const Read& read) {
    EXPECT_EQ(read.img, nullptr);
    EXPECT_EQ(read.errors, 1);
}

// Both readers must give the same image for these.
void expect_both(const std::string& bytes, int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    SCOPED_TRACE(bytes);
    {
        SCOPED_TRACE("memory reader");
        expect_image(parse(bytes), width, height, pixels);
    }
    {
        SCOPED_TRACE("file reader");
        expect_image(load(bytes), width, height, pixels);
    }
}

void expect_both_refused(const std::string& bytes) {
    SCOPED_TRACE(bytes);
    {
        SCOPED_TRACE("memory reader");
        expect_refused(parse(bytes));
    }
    {
        SCOPED_TRACE("file reader");
        expect_refused(load(bytes));
    }
}

const uint32_t W = 0xFFFFFF;

TEST(PnmFormats, EachFormatGivesItsPixels) {
    expect_both("P1\n3 1\n1 0 1\n", 3, 1, {W, 0, W});
    expect_both("P2\n2 2\n255\n0 17\n128 255\n", 2, 2, {0, 0x111111, 0x808080, W});
    expect_both("P3\n2 1\n255\n255 0 0   1 2 3\n", 2, 1, {0xFF0000, 0x010203});
    expect_both(std::string("P4\n8 2\n") + "\xA5\x0F", 8, 2, {W, 0, W, 0, 0, W, 0, W, 0, 0, 0, 0, W, W, W, W});
    expect_both(std::string("P5\n# a comment\n3 1\n255\n") + std::string("\x00\x80\xFF", 3), 3, 1,
                {0, 0x808080, W});
    expect_both(std::string("P6\n2 1\n255\n") + std::string("\xFF\x00\x00\x00\x00\xFF", 6), 2, 1,
                {0xFF0000, 0x0000FF});
}

TEST(PnmFormats, MaxvalIsReadButNotApplied) {
    expect_both("P2\n1 1\n15\n15\n", 1, 1, {0x0F0F0F});
    expect_both("P6 1 1 15 \x0F\x0E\x0D", 1, 1, {0x0F0E0D});
}

TEST(PnmHeader, NumbersBeforeTheMagicStillFillWidthHeightMaxval) {
    expect_both("2 P5 1 255\nab", 2, 1, {0x616161, 0x626262});
}

TEST(PnmHeader, StrayPrintableByteCountsAsZero) {
    // "x" fills the width with 0, so the picture is refused.
    expect_both_refused("P5 x 1 255 \x01");
    // A second 'P' is a stray byte too: it fills maxval, so "7" is the pixel.
    expect_both("P2 1 1 P 7\n", 1, 1, {0x070707});
}

TEST(PnmHeader, ExactlyOneByteFollowsTheLastField) {
    // After "255\r" the line feed is the first data byte (0x0A).
    expect_both("P5\n2 1\n255\r\n\x01", 2, 1, {0x0A0A0A, 0x010101});
}

TEST(PnmHeader, BadMagicAndEmptySizesAreRefused) {
    expect_both_refused("P7\n1 1\n255\n\x01\x01\x01");
    expect_both_refused("P6\n0 1\n255\n");
    expect_both_refused("P6\n1 0\n255\n");
    expect_both_refused("");
}

TEST(PnmReaders, PlainBitmapDigitsWithoutSpaces) {
    const std::string bytes = "P1\n4 1\n0110";
    expect_image(parse(bytes), 4, 1, {0, W, W, 0});
    // The file reader reads "0110" as one number and then runs out of data.
    expect_refused(load(bytes));
    expect_image(load("P1\n4 1\n0110 0 2 0\n"), 4, 1, {W, 0, W, 0});
}

TEST(PnmReaders, RawBitmapRowFiller) {
    const std::string bytes = std::string("P4\n10 1\n") + "\x80\x40";
    expect_image(load(bytes), 10, 1, {W, 0, 0, 0, 0, 0, 0, 0, 0, W});
    expect_image(parse(bytes), 16, 1, {W, 0, 0, 0, 0, 0, 0, 0, 0, W, 0, 0, 0, 0, 0, 0});
    // Each file row starts on a new byte; the memory reader reads one bit stream.
    const std::string two_rows = std::string("P4\n3 2\n") + "\xE0\x20\xFF\xFF";
    expect_image(load(two_rows), 3, 2, {W, W, W, 0, 0, W});
    expect_image(parse(two_rows), 8, 2, {W, W, W, 0, 0, 0, 0, 0, 0, 0, W, 0, 0, 0, 0, 0});
}

TEST(PnmReaders, MemoryReaderRoundsBitmapWidthOnlyAfterTheMagic) {
    expect_image(parse(std::string("10 1 P4 ") + "\x80\x40"), 10, 1, {W, 0, 0, 0, 0, 0, 0, 0, 0, W});
}

TEST(PnmReaders, CommentRightAfterADigit) {
    // The memory reader sees a comment; the file reader has consumed the '#'
    // with the width, reads "comment" as stray bytes and fills height and
    // maxval with zeros.
    const std::string bytes = "P5 2#comment\n1 255\n\x05\x06";
    expect_image(parse(bytes), 2, 1, {0x050505, 0x060606});
    expect_refused(load(bytes));
    expect_image(load("P5 2#\n1 255\n\x05\x06"), 2, 1, {0x050505, 0x060606});
}

TEST(PnmTruncated, DataEndingInTheHeaderIsRefused) {
    for (const char* bytes : {"P", "P6", "P6\n2", "P6\n2 1", "P6\n2 1\n25", "P6 # comment without end",
                              "\n\n  "}) {
        expect_both_refused(bytes);
    }
}

TEST(PnmTruncated, DataEndingInThePixelsIsRefused) {
    expect_both_refused("P1\n3 1\n1 0");
    expect_both_refused("P2\n2 1\n255\n7  ");
    expect_both_refused("P3\n1 1\n255\n1 2");
    expect_both_refused(std::string("P4\n9 2\n") + "\xFF\xFF\xFF");
    expect_both_refused("P5\n3 1\n255\n\x01\x02");
    expect_both_refused("P6\n2 1\n255\n\x01\x02\x03\x04\x05");
    expect_both_refused("P6\n1 1\n255");
}

TEST(PnmTruncated, LastNumberMayEndWithTheData) {
    expect_both("P2\n1 1\n255\n42", 1, 1, {0x2A2A2A});
}

TEST(PnmSizeGuard, OversizedPicturesAreRefusedBeforeAllocating) {
    // Each would need gigabytes; each must fail at once with one error line.
    for (const char* bytes : {"P6\n65535 65535\n255\n\x01\x02\x03", "P5 2147483647 2147483647 255 x",
                              "P4 2147483647 1000 xx", "P3 100000 100000 255 1 2 3",
                              "P1 50000 50000 1 0 1", "P2 4294967295 1 255 5",
                              "P5 65536 65536 255 x"}) {
        expect_both_refused(bytes);
    }
    // The memory reader's rounding would take the width past 32 bits.
    expect_refused(parse("P4 2147483647 1 ab"));
}

// A raw bitmap holds 8 pixels a byte and each pixel takes 4 bytes, so without
// a pixel limit 8 MiB of data would become a 256 MiB image and more.
TEST(PnmSizeGuard, PicturesOverThePixelLimitAreRefused) {
    const std::string rows_over_the_limit = "P4 8192 8193 " + std::string(8192 / 8 * 8193, '\xFF');
    expect_both_refused(rows_over_the_limit);
}

TEST(PnmSamples, SamplesAbove255AreRefused) {
    expect_both_refused("P5 1 1 65535 " + std::string("\x01\x02", 2));
    expect_both_refused(std::string("P6 1 1 256 ") + std::string(6, '\x01'));
    expect_both_refused("P2 1 1 256 7\n");
    expect_both_refused("P3 1 1 1000 1 2 3\n");
    // A sample over 255 under a byte-sized maxval, and numbers past 32 bits,
    // which must not wrap round to small, acceptable values.
    expect_both_refused("P3 1 1 255 1 256 3\n");
    expect_both_refused("P2 1 1 255 4294967303\n");
    expect_both_refused("P5 4294967297 1 255 \x07");
    expect_both("P5 1 1 255 \x07", 1, 1, {0x070707});
}

// A pipe, a device and an oversized file are refused at once, without
// waiting for a writer or reading their bytes; alarm() ends a reader that
// would block for good.
TEST(PnmFiles, OnlyRegularFilesWithinTheSizeLimitAreRead) {
    alarm(20);
    const std::string fifo = temp_path("fifo.pnm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string oversized = temp_path("oversized.pnm");
    write_file(oversized, "P5 1 1 255 \x01");
    ASSERT_EQ(truncate(oversized.c_str(), static_cast<off_t>(IMG_FILE_LIMIT + 1)), 0);  // sparse: no disk used

    for (const std::string& path : {fifo, std::string("/dev/zero"), oversized}) {
        SCOPED_TRACE(path);
        expect_refused(load_path(path));
        EXPECT_EQ(img_open_data_file(path.c_str()), nullptr);
    }
    ASSERT_EQ(truncate(oversized.c_str(), static_cast<off_t>(IMG_FILE_LIMIT)), 0);
    std::FILE* at_the_limit = img_open_data_file(oversized.c_str());
    EXPECT_NE(at_the_limit, nullptr);
    if (at_the_limit) std::fclose(at_the_limit);
    std::remove(fifo.c_str());
    std::remove(oversized.c_str());
    alarm(0);
}

// An oversized picture in a large file is refused from its header, without
// the file being read whole. Each test runs in a process of its own, so the
// peak resident size is this test's.
TEST(PnmFiles, AHeaderOverItsLimitIsRefusedBeforeTheFileIsRead) {
    const std::string large = temp_path("large.pgm");
    write_file(large, "P5 9000 9000 255\n");
    constexpr off_t file_bytes = off_t{192} << 20;
    ASSERT_EQ(truncate(large.c_str(), file_bytes), 0);  // sparse: no disk used
    expect_refused(load_path(large));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss * 1024L, file_bytes / 2);
    std::remove(large.c_str());
}

TEST(PnmSizeGuard, RawDataExactlyLargeEnoughIsRead) {
    const std::string bytes = "P5 3 2 255 " + std::string("\x01\x02\x03\x04\x05\x06");
    expect_both(bytes, 3, 2, {0x010101, 0x020202, 0x030303, 0x040404, 0x050505, 0x060606});
}

TEST(PnmArguments, NullAndMissingInputsAreRefused) {
    std::string out = captured_stdout([] {
        EXPECT_EQ(img_parse_pnm(nullptr, 10), nullptr);
        EXPECT_EQ(img_load_pnm(nullptr), nullptr);
        EXPECT_EQ(img_load_pnm(temp_path("does_not_exist.pnm").c_str()), nullptr);
        EXPECT_EQ(img_load_pnm(testing::TempDir().c_str()), nullptr);  // a folder
    });
    EXPECT_EQ(count_lines(out, kError), 4);
}

ImagePtr make_image(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    ImagePtr img(img_create());
    img_resize(img.get(), width, height);
    std::copy(pixels.begin(), pixels.end(), img->pixels);
    return img;
}

TEST(PpmSave, WritesRawPpmBytes) {
    ImagePtr img = make_image(2, 1, {0xFF102030, 0x00A0B0C0});
    const std::string path = temp_path("save.ppm");
    EXPECT_EQ(img_save_ppm(img.get(), path.c_str()), 1);
    EXPECT_EQ(read_file(path), "P6\n2 1\n255\n\x10\x20\x30\xA0\xB0\xC0");
    std::remove(path.c_str());
}

TEST(PpmSave, RoundTripThroughBothReaders) {
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 5000 * 3; ++i) pixels.push_back((i * 2654435761u) & 0xFFFFFF);
    ImagePtr img = make_image(5000, 3, pixels);
    const std::string path = temp_path("round_trip.ppm");
    ASSERT_EQ(img_save_ppm(img.get(), path.c_str()), 1);
    ImagePtr from_file(img_load_pnm(path.c_str()));
    ASSERT_NE(from_file, nullptr);
    EXPECT_EQ(img_equal(img.get(), from_file.get()), 1);
    expect_image(parse(read_file(path)), 5000, 3, pixels);
    std::remove(path.c_str());
}

TEST(PpmSave, RefusedWritesCreateNoFile) {
    ImagePtr empty = make_image(0, 0, {});
    ImagePtr flat = make_image(4, 0, {});
    ImagePtr fine = make_image(1, 1, {0});
    ImagePtr no_pixels = make_image(1, 1, {0});
    std::free(no_pixels->pixels);
    no_pixels->pixels = nullptr;
    const std::string path = temp_path("refused.ppm");
    std::remove(path.c_str());
    std::string out = captured_stdout([&] {
        EXPECT_EQ(img_save_ppm(empty.get(), path.c_str()), 0);
        EXPECT_EQ(img_save_ppm(flat.get(), path.c_str()), 0);
        EXPECT_EQ(img_save_ppm(no_pixels.get(), path.c_str()), 0);
        EXPECT_EQ(img_save_ppm(nullptr, path.c_str()), 0);
        EXPECT_EQ(img_save_ppm(fine.get(), nullptr), 0);
        EXPECT_EQ(img_save_ppm(fine.get(), (testing::TempDir() + "no/such/folder.ppm").c_str()), 0);
    });
    EXPECT_EQ(count_lines(out, kError), 6);
    EXPECT_EQ(std::fopen(path.c_str(), "r"), nullptr);
}

TEST(PpmSave, FailedWriteIsReported) {
    ImagePtr img = make_image(64, 64, {});
    int32_t result = 1;
    std::string out = captured_stdout([&] { result = img_save_ppm(img.get(), "/dev/full"); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(count_lines(out, kError), 1);
}

}  // namespace
