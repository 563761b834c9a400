// The desktop programs' sound output: a libmikmod driver that mixes in the
// frame loop and hands the mix to SDL's audio device through a short queue.
//
// Each MikMod_Update tops the queue up to a fixed fill, so it mixes what the
// device has taken since the last frame and never waits for the device; the
// device's callback only copies from the queue, and plays silence once the
// frames, and with them the mixing, stop.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// Registers the driver ahead of libmikmod's own, so MikMod_Init("") takes it.
void sound_output_register_driver();

// Stereo 16-bit sample frames from one producer thread to one consumer
// thread, without locks.
class SampleQueue {
public:
    // Room for at least `capacity` frames.
    explicit SampleQueue(size_t capacity);

    size_t queued() const;
    // Appends as many of the `count` frames as there is room for and
    // returns how many that was.
    size_t push(const int16_t* samples, size_t count);
    // Fills `count` frames of `out`: the queued ones first, then silence.
    // Returns how many were queued.
    size_t pop(int16_t* out, size_t count);
    void clear();

private:
    std::vector<uint32_t> frames_;  // a power of two long
    std::atomic<uint64_t> pushed_{0};
    std::atomic<uint64_t> popped_{0};
};
