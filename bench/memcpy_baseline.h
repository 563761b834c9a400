// The memcpy floor the benchmarks compare against. glibc's memcpy here copies
// with `rep movsb`, which runs many times slower when the target lies a few
// bytes past a 4 KiB multiple from the source; vectors land that way by
// chance. The source and target are therefore page-aligned and 2 KiB apart.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace bench {

class CopyBuffers {
public:
    explicit CopyBuffers(size_t bytes)
        : stride_((bytes + page - 1) / page * page + page / 2),
          block_(static_cast<unsigned char*>(std::aligned_alloc(page, stride_ + stride_ + page))) {
        std::memset(block_.get(), 0x5A, stride_ + stride_ + page);
    }
    const unsigned char* from() const { return block_.get(); }
    unsigned char* to() { return block_.get() + stride_; }

private:
    static constexpr size_t page = 4096;
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    size_t stride_;
    std::unique_ptr<unsigned char, Free> block_;
};

// One memcpy of `bytes` per iteration.
inline void copy_loop(benchmark::State& state, size_t bytes) {
    CopyBuffers buffers(bytes);
    for (auto _ : state) {
        std::memcpy(buffers.to(), buffers.from(), bytes);
        benchmark::DoNotOptimize(buffers.to());
        benchmark::ClobberMemory();
    }
}

}  // namespace bench
