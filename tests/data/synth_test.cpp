// The synthesised voices: usable samples for every name the song may use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "xm/synth.h"

namespace {

int peak_of(const std::vector<int16_t>& data) {
    int peak = 0;
    for (int16_t v : data) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

TEST(Synth, EveryVoiceMakesAnAudibleUnclippedSample) {
    for (const std::string& voice : xm::voice_names()) {
        xm::Sample sample;
        xm::synthesize(voice, sample);
        EXPECT_EQ(sample.name, voice);
        EXPECT_GT(peak_of(sample.data), 8000) << voice;
        EXPECT_LT(peak_of(sample.data), 32767) << voice;
    }
}

// A looped voice must join its end to its start without a step, or every
// pass of the loop clicks.
TEST(Synth, TonalVoicesLoopSeamlessly) {
    for (const char* voice : {"bass", "pluck", "lead", "pad"}) {
        xm::Sample sample;
        xm::synthesize(voice, sample);
        ASSERT_EQ(sample.loop, xm::LoopType::forward) << voice;
        ASSERT_EQ(sample.loop_start + sample.loop_length, sample.data.size()) << voice;
        int largest_step = 0;
        for (size_t i = 1; i < sample.data.size(); ++i) {
            largest_step = std::max(largest_step, std::abs(sample.data[i] - sample.data[i - 1]));
        }
        const int wrap_step = std::abs(sample.data.front() - sample.data.back());
        EXPECT_LE(wrap_step, largest_step) << voice;
    }
}

TEST(Synth, DrumsAreOneShotsThatFadeOut) {
    for (const char* voice : {"kick", "snare", "hihat", "crash"}) {
        xm::Sample sample;
        xm::synthesize(voice, sample);
        EXPECT_EQ(sample.loop, xm::LoopType::none) << voice;
        EXPECT_LT(std::abs(sample.data.back()), 100) << voice;
    }
}

TEST(Synth, RefusesUnknownVoices) {
    xm::Sample sample;
    EXPECT_THROW(xm::synthesize("theremin", sample), xm::SongError);
}

}  // namespace
