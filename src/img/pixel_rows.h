// Private to the image module and its tests, not part of the toolkit's
// interface: the per-channel loops over runs of pixels. Each has a plain form
// that every machine runs and, on x86-64, an SSE2 form that gives the same
// pixels; the unsuffixed name is the one this machine uses.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pixel_rows {

// Every channel becomes max(channel - level, 0); the top byte becomes 0.
void darken_plain(uint32_t* pixels, size_t count, uint8_t level);

// Where a source pixel is not 0, the destination pixel becomes
// (s >> 1 & 0x7F7F7F) + (d >> 1 & 0x7F7F7F).
void blit_half_plain(const uint32_t* src, uint32_t* dst, size_t count);

// Each channel becomes (d * (256 - alpha) + colour * alpha) >> 8, the top
// byte 0; alpha is 0 ... 256.
void blend_plain(uint32_t* pixels, size_t count, uint32_t colour, uint32_t alpha);

#if defined(__SSE2__)
#define PIXEL_ROWS_SSE2 1
void darken_sse2(uint32_t* pixels, size_t count, uint8_t level);
void blit_half_sse2(const uint32_t* src, uint32_t* dst, size_t count);
void blend_sse2(uint32_t* pixels, size_t count, uint32_t colour, uint32_t alpha);

inline void darken(uint32_t* pixels, size_t count, uint8_t level) { darken_sse2(pixels, count, level); }
inline void blit_half(const uint32_t* src, uint32_t* dst, size_t count) { blit_half_sse2(src, dst, count); }
inline void blend(uint32_t* pixels, size_t count, uint32_t colour, uint32_t alpha) {
    blend_sse2(pixels, count, colour, alpha);
}
#else
inline void darken(uint32_t* pixels, size_t count, uint8_t level) { darken_plain(pixels, count, level); }
inline void blit_half(const uint32_t* src, uint32_t* dst, size_t count) { blit_half_plain(src, dst, count); }
inline void blend(uint32_t* pixels, size_t count, uint32_t colour, uint32_t alpha) {
    blend_plain(pixels, count, colour, alpha);
}
#endif

}  // namespace pixel_rows
