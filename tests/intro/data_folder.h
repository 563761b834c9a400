// A temporary working folder for the music and start-up asset tests: it
// holds copies of the data files the build made, and is the current
// directory for as long as it lives.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "xm/xm_module.h"

namespace data_test {

// The music plays through SDL's dummy audio driver, so these tests need no
// sound card, however they are started. A setting already made is kept.
inline const bool dummy_audio_chosen = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

inline const std::vector<std::string>& data_files() {
    static const std::vector<std::string> names = {
        "roll1.ppm", "roll2.ppm", "roll3.ppm", "roll4.ppm", "roll5.ppm",   "roll6.ppm",    "roll7.ppm", "roll8.ppm",
        "roll9.ppm", "rolla.ppm", "rollb.ppm", "rollc.ppm", "font8x8.pbm", "rotoZoom.ppm", "ocean.xm",
    };
    return names;
}

class DataFolder {
  public:
    // Copies every data file except `left_out` (if any).
    explicit DataFolder(const std::string& left_out = "") : home_(std::filesystem::current_path()) {
        char pattern[] = "/tmp/tarnovex-data-XXXXXX";
        path_ = mkdtemp(pattern);
        for (const std::string& name : data_files()) {
            if (name != left_out) std::filesystem::copy_file(std::string(TARNOVEX_RUN_DIR) + "/" + name, path_ / name);
        }
        std::filesystem::current_path(path_);
    }

    ~DataFolder() {
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(path_);
    }

    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    void remove(const std::string& name) { std::filesystem::remove(path_ / name); }

    void write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

  private:
    std::filesystem::path home_;
    std::filesystem::path path_;
};

// A module of `channels` channels whose one pattern plays for minutes
// (64 rows of 31 ticks at tempo 32) on one short looped sample.
inline std::vector<uint8_t> long_test_module(uint16_t channels) {
    xm::Module module;
    module.name = "test";
    module.channels = channels;
    module.speed = 31;
    module.bpm = 32;
    module.orders = {0};
    xm::Pattern pattern;
    pattern.rows = 64;
    pattern.cells.assign(64u * channels, xm::Cell{});
    for (uint16_t channel = 0; channel < channels; ++channel) pattern.cells[channel] = {49, 1, 0, 0, 0};
    module.patterns = {pattern};
    xm::Instrument instrument;
    instrument.sample.data = {0, 8000, 0, -8000};
    instrument.sample.loop = xm::LoopType::forward;
    instrument.sample.loop_length = 4;
    module.instruments = {instrument};
    return xm::write_xm(module);
}

inline int count_lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace data_test
