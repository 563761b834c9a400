// Cross-checks the PNM readers and the PPM writer against Debian's netpbm
// tools: netpbm makes the reference pictures in all six formats during the
// test, and its plain-text dump (pnmtoplainpnm) says which pixels they hold.
// netpbm reads a PBM 1 as black; this toolkit makes it white (0xFFFFFF), so
// bitmaps are compared bit by bit, not colour by colour.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "capture.h"
#include "img/img.h"

namespace {

namespace fs = std::filesystem;

struct ImageDeleter {
    void operator()(Image* img) const { img_destroy(&img); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

// Runs a shell command and gives its standard output, or nothing when it fails.
std::optional<std::string> run(const std::string& command) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

bool netpbm_installed() {
    return run("command -v pnmtoplainpnm && command -v pnmfile && command -v pbmtext && "
               "command -v pgmramp && command -v ppmpat")
        .has_value();
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The pixels netpbm reports, from its plain dump: one value per pixel for
// bitmaps (the bit) and greymaps, three for pixmaps.
struct Reference {
    char format;  // '1' bitmap, '2' greymap, '3' pixmap
    int width;
    int height;
    std::vector<int> samples;
};

std::string skip_comments(const std::string& text) {
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) out += line.substr(0, line.find('#')) + "\n";
    return out;
}

Reference parse_plain_dump(const std::string& dump) {
    std::istringstream in(skip_comments(dump));
    std::string magic;
    Reference ref{};
    in >> magic >> ref.width >> ref.height;
    ref.format = magic.at(1);
    if (ref.format == '1') {
        for (char c; in >> c;) ref.samples.push_back(c - '0');  // digits need no separators
    } else {
        int maxval = 0;
        in >> maxval;
        for (int v; in >> v;) ref.samples.push_back(v);
    }
    return ref;
}

uint32_t expected_pixel(const Reference& ref, size_t index) {
    switch (ref.format) {
        case '1':
            return ref.samples.at(index) ? 0xFFFFFF : 0;
        case '2':
            return ref.samples.at(index) * 0x010101u;
        default:
            return (ref.samples.at(3 * index) << 16) | (ref.samples.at(3 * index + 1) << 8) |
                   ref.samples.at(3 * index + 2);
    }
}

// The memory reader widens raw bitmaps to whole bytes; only the picture's own
// columns are compared.
void expect_same_pixels(const Image* img, const Reference& ref, int expected_width) {
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->width, expected_width);
    ASSERT_EQ(img->height, ref.height);
    ASSERT_EQ(ref.samples.size(), size_t(ref.width) * ref.height * (ref.format == '3' ? 3 : 1));
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            ASSERT_EQ(img->pixels[size_t(y) * img->width + x], expected_pixel(ref, size_t(y) * ref.width + x))
                << "at column " << x << ", row " << y;
        }
    }
}

// Splits a picture netpbm wrote ("Pn\nW H\n[maxval\n]raster") into its header
// fields and its raster.
struct Parts {
    std::string magic, width, height, maxval, raster;
};

Parts split_netpbm_output(const std::string& bytes) {
    std::istringstream in(bytes);
    Parts parts;
    in >> parts.magic >> parts.width >> parts.height;
    const bool bitmap = parts.magic == "P1" || parts.magic == "P4";
    if (!bitmap) in >> parts.maxval;
    in.get();  // the one whitespace byte before the raster
    parts.raster = bytes.substr(static_cast<size_t>(in.tellg()));
    return parts;
}

// The same picture with comments and unusual white space in the header. The
// byte after the last field stays a single '\n', since it is the only byte
// between the header and a raw raster.
std::string with_comments_and_odd_spacing(const Parts& parts) {
    std::string header = parts.magic + " \t# made by netpbm, reshaped\r\n" + parts.width + "\t\t" + parts.height;
    if (!parts.maxval.empty()) header += "\n# the maxval\n\x0b  " + parts.maxval;
    return header + "\n" + parts.raster;
}

// Plain rasters may have any separators; the file reader reads P1 samples as
// whole numbers, so every bit needs one there.
std::string spaced_plain_raster(const Parts& parts) {
    std::string out;
    for (char c : parts.raster) {
        if (c == '\n') {
            out += " \r\n\t";
        } else {
            out += c;
            if (parts.magic == "P1") out += ' ';
        }
    }
    return out;
}

class NetpbmCrossCheck : public testing::Test {
protected:
    void SetUp() override {
        if (!netpbm_installed()) GTEST_SKIP() << "netpbm is not installed";
        std::string pattern = (fs::path(testing::TempDir()) / "netpbm_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }

    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // Makes a picture with a netpbm command and returns its bytes.
    std::string make(const std::string& command) {
        auto bytes = run(command);
        EXPECT_TRUE(bytes) << command;
        return bytes.value_or("");
    }

    Reference reference_of(const std::string& bytes) {
        const fs::path path = dir_ / "reference.pnm";
        write_file(path, bytes);
        const auto dump = run("pnmtoplainpnm " + quoted(path));
        EXPECT_TRUE(dump);
        return parse_plain_dump(dump.value_or("P1 0 0"));
    }

    ImagePtr load(const std::string& bytes) {
        const fs::path path = dir_ / "picture.pnm";
        write_file(path, bytes);
        return ImagePtr(img_load_pnm(path.c_str()));
    }

    static ImagePtr parse(const std::string& bytes) {
        return ImagePtr(img_parse_pnm(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    }

    // Reads one netpbm picture in its raw and plain forms, each as netpbm
    // wrote it and reshaped, with both readers.
    void check_both_readers(const std::string& command) {
        SCOPED_TRACE(command);
        const std::string raw = make(command);
        const Reference ref = reference_of(raw);
        const std::string plain = make(command + " | pnmtoplainpnm");
        Parts reshaped = split_netpbm_output(plain);
        reshaped.raster = spaced_plain_raster(reshaped);
        const std::string plain_reshaped = with_comments_and_odd_spacing(reshaped);

        const bool bitmap = ref.format == '1';
        const int rounded_width = bitmap ? (ref.width + 7) / 8 * 8 : ref.width;
        std::string out = captured_stdout([&] {
            for (const std::string& bytes : {raw, with_comments_and_odd_spacing(split_netpbm_output(raw))}) {
                expect_same_pixels(load(bytes).get(), ref, ref.width);
                expect_same_pixels(parse(bytes).get(), ref, rounded_width);
            }
            // netpbm writes plain bits without separators, which only the memory reader takes.
            expect_same_pixels(parse(plain).get(), ref, ref.width);
            if (!bitmap) expect_same_pixels(load(plain).get(), ref, ref.width);
            expect_same_pixels(load(plain_reshaped).get(), ref, ref.width);
            expect_same_pixels(parse(plain_reshaped).get(), ref, ref.width);
        });
        EXPECT_EQ(out, "");
    }

    fs::path dir_;
};

TEST_F(NetpbmCrossCheck, BitmapsReadLikeNetpbm) {
    check_both_readers("pbmtext -builtin bdf TARNOVEX");
    check_both_readers("pbmmake -gray 13 3");
}

TEST_F(NetpbmCrossCheck, GreymapsReadLikeNetpbm) {
    check_both_readers("pgmramp -diagonal 37 11");
    check_both_readers("pgmramp -ellipse 16 9");
}

TEST_F(NetpbmCrossCheck, PixmapsReadLikeNetpbm) {
    check_both_readers("ppmpat -gingham3 -randomseed=7 23 9");
    check_both_readers("ppmmake rgb:12/34/56 3 2");
}

TEST_F(NetpbmCrossCheck, SavedPpmIsAcceptedByNetpbmAndReadsBackIdentical) {
    ImagePtr img(img_create());
    img_resize(img.get(), 29, 7);
    for (uint32_t i = 0; i < 29 * 7; ++i) img->pixels[i] = (i * 2654435761u) >> 8;
    const fs::path path = dir_ / "saved.ppm";
    ASSERT_EQ(img_save_ppm(img.get(), path.c_str()), 1);

    const auto info = run("pnmfile " + quoted(path));
    ASSERT_TRUE(info);
    EXPECT_NE(info->find("PPM raw, 29 by 7  maxval 255"), std::string::npos) << *info;
    const auto dump = run("pnmtoplainpnm " + quoted(path));
    ASSERT_TRUE(dump);
    expect_same_pixels(img.get(), parse_plain_dump(*dump), 29);
    // netpbm writing the same picture back out gives the same bytes.
    EXPECT_TRUE(run("pnmtopnm " + quoted(path) + " | cmp -s - " + quoted(path)));
}

}  // namespace
