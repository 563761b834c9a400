// The pace of the show when the launcher asks for one.
//
// The launcher passes its choice to the programs in one environment setting,
// TARNOVEX_FPS: a whole number of frames a second, or "display" for one frame
// each presentation, as fast as the display takes them. Without the setting a
// program runs at the display's pace and knows it was not started by the
// launcher.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace frame_pace {

constexpr char SETTING[] = "TARNOVEX_FPS";
constexpr char DISPLAY_PACE[] = "display";
constexpr int MAX_RATE = 1000;

// The frames a second a value of the setting asks for, a whole number from 1
// to MAX_RATE, or 0 for the display's pace ("display"); nothing for any other
// value.
std::optional<int> rate(const char* value);

// Deadlines for frames shown at a steady rate. Each frame's deadline is
// counted from the first frame, so rounding never adds up; a frame that
// comes late is shown at once and the frames after it catch up, unless it is
// so late (the machine stalled) that catching up would be a visible rush:
// then the count starts again from that frame.
class Deadlines {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds MAX_LAG{100};

    explicit Deadlines(int frames_per_second) : frames_per_second_(frames_per_second) {}

    // When the frame that is ready at `now` is due.
    Clock::time_point next(Clock::time_point now);

private:
    int frames_per_second_;
    Clock::time_point start_{};
    int64_t frames_since_start_ = -1;
};

}  // namespace frame_pace
