#include "screen/frame_pace.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;
using frame_pace::Deadlines;

TEST(FramePace, ReadsARateOrTheDisplaysPaceAndNothingElse) {
    EXPECT_EQ(frame_pace::rate("60"), 60);
    EXPECT_EQ(frame_pace::rate("1000"), 1000);
    EXPECT_EQ(frame_pace::rate("display"), 0);
    for (const char* wrong : {"", "0", "1001", "-60", "60 ", "60.5", "Display", "fast"}) {
        EXPECT_FALSE(frame_pace::rate(wrong)) << wrong;
    }
    EXPECT_FALSE(frame_pace::rate(nullptr));
}

// Frames ready soon after the previous one was shown are due exactly on the
// rate's grid, however many there were: 60 frames a second never drift.
TEST(FramePace, DeadlinesKeepTheRateWithoutDrift) {
    Deadlines deadlines(60);
    const Deadlines::Clock::time_point start{};
    EXPECT_EQ(deadlines.next(start), start);
    Deadlines::Clock::time_point due = start;
    for (int frame = 1; frame <= 6000; ++frame) due = deadlines.next(due + 1ms);
    EXPECT_EQ(due, start + 100s);
}

// A frame a little late is shown at once and the next ones keep the old
// grid; after a stall the grid starts again from the late frame.
TEST(FramePace, LateFramesCatchUpButAStallStartsAfresh) {
    Deadlines deadlines(100);
    const Deadlines::Clock::time_point start{};
    deadlines.next(start);
    EXPECT_EQ(deadlines.next(start + 50ms), start + 10ms);
    EXPECT_EQ(deadlines.next(start + 50ms), start + 20ms);
    const Deadlines::Clock::time_point after_stall = start + 2s;
    EXPECT_EQ(deadlines.next(after_stall), after_stall);
    EXPECT_EQ(deadlines.next(after_stall), after_stall + 10ms);
}

}  // namespace
