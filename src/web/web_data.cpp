#include "web/web_data.h"

#include "pictures/emblem.h"
#include "pictures/glyphs.h"
#include "pictures/netpbm.h"
#include "pictures/strips.h"
#include "xm/score.h"
#include "xm/synth.h"
#include "xm/xm_module.h"

// The score of data/ocean.song, built in.
extern const uint8_t ocean_score[];
extern const size_t ocean_score_size;

namespace {

enum OtherFile { FONT, PICTURE, SONG, OTHER_FILES };

}  // namespace

int web_data_file_count() { return strips::COUNT + OTHER_FILES; }

DataFile web_data_file(int index) {
    if (index < strips::COUNT) return {strips::file_name(index), netpbm::ppm_file(strips::draw(index))};
    switch (index - strips::COUNT) {
    case FONT:
        return {"font8x8.pbm", netpbm::pbm_file(glyphs::sheet())};
    case PICTURE:
        return {"rotoZoom.ppm", netpbm::ppm_file(emblem::draw())};
    default: {
        const xm::Song song = xm::read_score({ocean_score, ocean_score + ocean_score_size});
        return {"ocean.xm", xm::write_xm(xm::build_module(song))};
    }
    }
}
