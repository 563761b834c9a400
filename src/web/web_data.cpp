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

std::vector<DataFile> web_data_files() {
    std::vector<DataFile> files;
    for (int slot = 0; slot < strips::COUNT; ++slot) {
        files.push_back({strips::file_name(slot), netpbm::ppm_file(strips::draw(slot))});
    }
    files.push_back({"font8x8.pbm", netpbm::pbm_file(glyphs::sheet())});
    files.push_back({"rotoZoom.ppm", netpbm::ppm_file(emblem::draw())});
    const xm::Song song = xm::read_score({ocean_score, ocean_score + ocean_score_size});
    files.push_back({"ocean.xm", xm::write_xm(xm::build_module(song))});
    return files;
}
