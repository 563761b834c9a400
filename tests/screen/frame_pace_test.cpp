#include "screen/frame_pace.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;

// Frames due on the rate's grid counted from the first, so 6000 frames at 60
// a second end exactly 100 s in; a frame a little late is shown at once and
// the grid holds, but after a stall the grid starts again from the late frame.
TEST(FramePace, DeadlinesKeepTheRateWithoutDriftAndStartAfreshAfterAStall) {
    frame_pace::Deadlines deadlines(60);
    const frame_pace::Deadlines::Clock::time_point start{};
    EXPECT_EQ(deadlines.next(start), start);
    auto due = start;
    for (int frame = 1; frame <= 6000; ++frame) due = deadlines.next(due + 1ms);
    EXPECT_EQ(due, start + 100s);
    EXPECT_EQ(deadlines.next(due + 50ms), due + 16'666'666ns);
    const auto after_stall = due + 2s;
    EXPECT_EQ(deadlines.next(after_stall), after_stall);
}

}  // namespace
