// The start-up assets: the colour strips, the doubled glyph sheet and the
// font built on it, the rotating picture, the scroll layer and the
// scroller's starting position.
#include <cstdio>
#include <vector>

#include "intro/intro.h"

Image* roll_images[ROLL_COUNT] = {};
Image* font_picture = nullptr;
Font* intro_font = nullptr;
Image* rotozoom_picture = nullptr;
Image* scroll_layer = nullptr;
int32_t scroll_x = 0;
int32_t scroll_pos = 0;

namespace {

constexpr const char* ROLL_FILES[ROLL_COUNT] = {
    "roll1.ppm", "roll2.ppm", "roll3.ppm", "roll4.ppm", "roll5.ppm", "roll6.ppm",
    "roll7.ppm", "roll8.ppm", "roll9.ppm", "rolla.ppm", "rollb.ppm", "rollc.ppm",
};
constexpr const char* FONT_FILE = "font8x8.pbm";
constexpr const char* ROTOZOOM_FILE = "rotoZoom.ppm";
constexpr int32_t FONT_SCALE = 2;
constexpr int32_t GLYPH_SIZE = 16;

// The largest picture each asset may be; a larger one is refused by the
// reader before anything is allocated, as if the file were missing. The
// effects take only a strip's first column, rotate the picture whole every
// frame and keep the font sheet at twice its size.
constexpr int32_t ROLL_MAX_WIDTH = 256;
constexpr int32_t ROLL_MAX_HEIGHT = 1024;
constexpr int32_t ROTOZOOM_MAX_SIZE = 4096;
constexpr int32_t FONT_MAX_SIZE = 2048;

// The glyph sheet at twice its drawn size, or null. Without the file the show
// runs on without text: the loader has already printed its "IMG error" line,
// and scaling the missing picture would only add a second, misleading one.
Image* load_doubled_font_sheet() {
    Image* loaded = img_load_pnm_within(FONT_FILE, FONT_MAX_SIZE, FONT_MAX_SIZE);
    if (!loaded) {
        std::fprintf(stderr, "Could not load %s: the show runs without text\n", FONT_FILE);
        return nullptr;
    }
    // Within the limit, twice the sheet still fits a 32-bit size.
    const int64_t width = int64_t{FONT_SCALE} * loaded->width;
    const int64_t height = int64_t{FONT_SCALE} * loaded->height;
    Image* doubled = img_scale(loaded, static_cast<int32_t>(width), static_cast<int32_t>(height));
    img_destroy(&loaded);
    return doubled;
}

Font* make_intro_font(Image* sheet) {
    Font* font = font_create();
    if (!font) {
        if (sheet) img_destroy(&sheet);
        return nullptr;
    }
    font->glyph_width = GLYPH_SIZE;
    font->glyph_height = GLYPH_SIZE;
    font->sheet = sheet;
    return font;
}

}  // namespace

void intro_load_assets() {
    for (int32_t slot = 0; slot < ROLL_COUNT; ++slot) {
        roll_images[slot] = img_load_pnm_within(ROLL_FILES[slot], ROLL_MAX_WIDTH, ROLL_MAX_HEIGHT);
    }

    font_picture = load_doubled_font_sheet();
    intro_font = make_intro_font(font_picture);
    if (!intro_font) font_picture = nullptr;

    rotozoom_picture = img_load_pnm_within(ROTOZOOM_FILE, ROTOZOOM_MAX_SIZE, ROTOZOOM_MAX_SIZE);

    const int32_t frame_width = frame_image ? frame_image->width : 0;
    const int32_t frame_height = frame_image ? frame_image->height : 0;
    scroll_layer = img_create();
    img_resize(scroll_layer, frame_width, frame_height);

    scroll_x = frame_width;
    scroll_pos = 0;
}

const char* intro_refused_picture() {
    struct Picture {
        const char* file;
        int32_t max_width, max_height;
    };
    std::vector<Picture> pictures;
    for (const char* roll : ROLL_FILES) pictures.push_back({roll, ROLL_MAX_WIDTH, ROLL_MAX_HEIGHT});
    pictures.push_back({FONT_FILE, FONT_MAX_SIZE, FONT_MAX_SIZE});
    pictures.push_back({ROTOZOOM_FILE, ROTOZOOM_MAX_SIZE, ROTOZOOM_MAX_SIZE});
    for (const Picture& picture : pictures) {
        Image* loaded = img_load_pnm_within(picture.file, picture.max_width, picture.max_height);
        if (!loaded) return picture.file;
        img_destroy(&loaded);
    }
    return nullptr;
}

void intro_release_assets() {
    // The font owns its sheet: font_picture dies with it.
    font_destroy(&intro_font);
    font_picture = nullptr;
    img_destroy(&rotozoom_picture);
}

void intro_reset_assets() {
    for (Image*& strip : roll_images) {
        if (strip) img_destroy(&strip);
    }
    if (scroll_layer) img_destroy(&scroll_layer);
    scroll_x = 0;
    scroll_pos = 0;
}
