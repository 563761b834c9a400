#include <gtest/gtest.h>

#include <vector>

#include "sound_output/sound_output.h"

namespace {

// `count` stereo frames whose left and right samples are first, first + 1, ...
std::vector<int16_t> frames(int16_t first, size_t count) {
    std::vector<int16_t> samples(count * 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(first + i);
    return samples;
}

TEST(SampleQueue, KeepsOrderAcrossTheWrapTakesWhatFitsAndPlaysSilenceWhenEmpty) {
    SampleQueue queue(8);
    EXPECT_EQ(queue.push(frames(1, 6).data(), 6), 6u);
    std::vector<int16_t> out(2 * 4);
    EXPECT_EQ(queue.pop(out.data(), 4), 4u);
    EXPECT_EQ(out, frames(1, 4));

    // Two frames wait; six more fill the ring across its end, and no more fit.
    EXPECT_EQ(queue.push(frames(13, 7).data(), 7), 6u);
    EXPECT_EQ(queue.queued(), 8u);

    out.assign(2 * 10, -1);
    EXPECT_EQ(queue.pop(out.data(), 10), 8u);
    std::vector<int16_t> expected = frames(9, 8);
    expected.resize(2 * 10, 0);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(queue.queued(), 0u);
}

}  // namespace
