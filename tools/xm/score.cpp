#include "xm/score.h"

namespace xm {

std::vector<uint8_t> write_score(const Song& song) {
    Module module = song.module;
    for (size_t i = 0; i < module.instruments.size(); ++i) module.instruments[i].sample.name = song.patches[i];
    return write_xm(module, SampleData::empty);
}

Song read_score(const std::vector<uint8_t>& bytes) {
    Song song{read_xm(bytes), {}};
    for (const Instrument& instrument : song.module.instruments) song.patches.push_back(instrument.sample.name);
    return song;
}

}  // namespace xm
