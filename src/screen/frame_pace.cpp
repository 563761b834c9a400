#include "screen/frame_pace.h"

#include <charconv>
#include <cstring>

namespace frame_pace {

std::optional<int> rate(const char* value) {
    if (!value) return std::nullopt;
    if (std::strcmp(value, DISPLAY_PACE) == 0) return 0;
    const char* end = value + std::strlen(value);
    int frames_per_second = 0;
    const auto [parsed_to, error] = std::from_chars(value, end, frames_per_second);
    if (error != std::errc() || parsed_to != end || frames_per_second < 1 || frames_per_second > MAX_RATE) {
        return std::nullopt;
    }
    return frames_per_second;
}

Deadlines::Clock::time_point Deadlines::next(Clock::time_point now) {
    if (frames_since_start_ >= 0) {
        ++frames_since_start_;
        const auto due = start_ + std::chrono::nanoseconds(frames_since_start_ * 1'000'000'000 / frames_per_second_);
        if (now - due <= MAX_LAG) return due;
    }
    start_ = now;
    frames_since_start_ = 0;
    return now;
}

}  // namespace frame_pace
