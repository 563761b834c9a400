#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

ImagePtr make_image(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    ImagePtr img(img_create());
    img_resize(img.get(), width, height);
    std::copy(pixels.begin(), pixels.end(), img->pixels);
    return img;
}

std::vector<uint32_t> pixels_of(const Image* img) {
    return {img->pixels, img->pixels + static_cast<size_t>(img->width) * img->height};
}

std::string to_text(const Image* img) {
    char* text = img_to_text(img);
    if (!text) return "(null)";
    std::string copy = text;
    std::free(text);
    return copy;
}

struct Read {
    ImagePtr img;
    int errors;
};

Read from_text(const std::string& text) {
    Image* img = nullptr;
    const std::string out = captured_stdout([&] { img = img_from_text(text.c_str()); });
    return {ImagePtr(img), count_lines(out, kError)};
}

void expect_image(const Read& read, int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    ASSERT_NE(read.img, nullptr);
    EXPECT_EQ(read.errors, 0);
    EXPECT_EQ(read.img->width, width);
    EXPECT_EQ(read.img->height, height);
    EXPECT_EQ(pixels_of(read.img.get()), pixels);
}

void expect_refused(const std::string& text) {
    SCOPED_TRACE(text);
    const Read read = from_text(text);
    EXPECT_EQ(read.img, nullptr);
    EXPECT_EQ(read.errors, 1);
}

TEST(ImgToText, WritesTwelveCharactersPerPixel) {
    EXPECT_EQ(to_text(make_image(1, 1, {0xFF0102FF}).get()), "IMG{\nP3\n1 1\n255\n  1   2 255\n}\n");
    EXPECT_EQ(to_text(make_image(1, 2, {0x0A6400, 0x000000}).get()),
              "IMG{\nP3\n1 2\n255\n 10 100   0   0   0   0\n}\n");
}

TEST(ImgToText, BreaksTheLineAfterEverySixthPixel) {
    const std::string pixel = "  0   0   0";
    std::string six_row;
    for (int i = 0; i < 6; ++i) six_row += pixel + (i == 5 ? "\n" : " ");
    EXPECT_EQ(six_row.size(), 72u);
    EXPECT_EQ(to_text(make_image(6, 1, std::vector<uint32_t>(6, 0)).get()),
              "IMG{\nP3\n6 1\n255\n" + six_row + "}\n");
    EXPECT_EQ(to_text(make_image(7, 1, std::vector<uint32_t>(7, 0)).get()),
              "IMG{\nP3\n7 1\n255\n" + six_row + pixel + "\n}\n");
}

TEST(ImgToText, EmptyImagesAndBadHandles) {
    EXPECT_EQ(to_text(make_image(0, 5, {}).get()), "IMG{}");
    EXPECT_EQ(to_text(make_image(0, 0, {}).get()), "IMG{}");
    ImagePtr no_pixels = make_image(1, 1, {});
    std::free(no_pixels->pixels);
    no_pixels->pixels = nullptr;
    std::string out = captured_stdout([&] {
        EXPECT_EQ(img_to_text(nullptr), nullptr);
        EXPECT_EQ(img_to_text(no_pixels.get()), nullptr);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
}

TEST(ImgToText, BufferSizeThatWouldOverflowIsRefused) {
    // A forged record claiming 2^31-1 squared pixels: the text size cannot be
    // computed, so nothing is allocated or read.
    uint32_t pixel = 0;
    Image forged{INT32_MAX, INT32_MAX, &pixel};
    char* text = nullptr;
    std::string out = captured_stdout([&] { text = img_to_text(&forged); });
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(count_lines(out, kError), 1);
}

TEST(ImgFromText, RoundTripKeepsSizeAndPixels) {
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 13 * 5; ++i) pixels.push_back((i * 2654435761u) & 0xFFFFFF);
    ImagePtr img = make_image(13, 5, pixels);
    expect_image(from_text(to_text(img.get())), 13, 5, pixels);
}

TEST(ImgFromText, FindsTheBlockInsideOtherText) {
    expect_image(from_text("some words IMG and more { junk P3\n1 1\n255\n0 0 0\n}\n"), 1, 1, {0});
    expect_image(from_text("notes first\nIMG{\nP3\n1 1\n255\n  0   0   0\n}\ntrailing"), 1, 1, {0});
}

TEST(ImgFromText, SamplesAreTakenAsTheyStand) {
    expect_image(from_text("IMG{\nP3\n2 1\n255\n0 0 256 0 256 0\n}\n"), 2, 1, {0x000100, 0x010000});
    // Anything that is not a digit separates samples; maxval changes nothing.
    expect_image(from_text("IMG{\nP3\n1 1\n15\n-1,+2;x3"), 1, 1, {0x010203});
}

TEST(ImgFromText, HeaderIsReadByPosition) {
    // The second space ends the height's digits at once: height 0.
    expect_image(from_text("IMG{\nP3\n2  2\n255\n1 2 3\n}\n"), 2, 0, {});
    // Markers are matched with case and in order.
    expect_refused("img{\nP3\n1 1\n255\n1 2 3\n}\n");
    expect_refused("{ IMG\nP3\n1 1\n255\n1 2 3\n}\n");
    expect_refused("IMG{}");
    expect_refused("");
}

TEST(ImgFromText, TextEndingEarlyIsRefused) {
    for (const char* text : {"IMG{\nP3\n", "IMG{\nP3\n2", "IMG{\nP3\n2 2", "IMG{\nP3\n2 2\n255",
                             "IMG{\nP3\n1 1\n255\n1 2", "IMG{\nP3\n2 1\n255\n1 2 3 4 5 x y z\n"}) {
        expect_refused(text);
    }
}

TEST(ImgFromText, OversizedHeadersAreRefusedBeforeAllocating) {
    expect_refused("IMG{\nP3\n65536 65536\n255\n1 2 3\n}");
    expect_refused("IMG{\nP3\n99999999999 1\n255\n1 2 3\n}");
    expect_refused("IMG{\nP3\n2147483647 2147483647\n255\n}");
}

TEST(ImgFromText, NullTextIsRefused) {
    std::string out = captured_stdout([] { EXPECT_EQ(img_from_text(nullptr), nullptr); });
    EXPECT_EQ(count_lines(out, kError), 1);
}

TEST(TextFind, GivesTheIndexAfterTheFirstMatch) {
    EXPECT_EQ(text_find("IMG{", "IMG"), 3);
    EXPECT_EQ(text_find("ab IMG", "IMG"), 6);
    EXPECT_EQ(text_find("IMG IMG", "IMG"), 3);
    EXPECT_EQ(text_find("abc", "{"), 0);
    EXPECT_EQ(text_find("", "a"), 0);
    EXPECT_EQ(text_find("abc", ""), 0);
    EXPECT_EQ(text_find("ab", "abc"), 0);
}

TEST(TextFind, NullArgumentsAreRefused) {
    std::string out = captured_stdout([] {
        EXPECT_EQ(text_find(nullptr, "a"), 0);
        EXPECT_EQ(text_find("a", nullptr), 0);
    });
    EXPECT_EQ(count_lines(out, kError), 2);
}

}  // namespace
