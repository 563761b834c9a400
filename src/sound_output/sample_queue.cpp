#include <algorithm>
#include <cstring>

#include "sound_output/sound_output.h"

namespace {

size_t power_of_two_from(size_t n) {
    size_t size = 1;
    while (size < n) size *= 2;
    return size;
}

}  // namespace

SampleQueue::SampleQueue(size_t capacity) : frames_(power_of_two_from(capacity)) {}

size_t SampleQueue::queued() const {
    return static_cast<size_t>(pushed_.load(std::memory_order_acquire) - popped_.load(std::memory_order_acquire));
}

size_t SampleQueue::push(const int16_t* samples, size_t count) {
    const uint64_t pushed = pushed_.load(std::memory_order_relaxed);
    count = std::min(count, frames_.size() - queued());
    const size_t mask = frames_.size() - 1;
    for (size_t i = 0; i < count; ++i) std::memcpy(&frames_[(pushed + i) & mask], samples + 2 * i, 4);
    pushed_.store(pushed + count, std::memory_order_release);
    return count;
}

size_t SampleQueue::pop(int16_t* out, size_t count) {
    const uint64_t popped = popped_.load(std::memory_order_relaxed);
    const size_t available = std::min(count, queued());
    const size_t mask = frames_.size() - 1;
    for (size_t i = 0; i < available; ++i) std::memcpy(out + 2 * i, &frames_[(popped + i) & mask], 4);
    std::fill(out + 2 * available, out + 2 * count, int16_t{0});
    popped_.store(popped + available, std::memory_order_release);
    return available;
}

void SampleQueue::clear() { popped_.store(pushed_.load(std::memory_order_acquire), std::memory_order_release); }
