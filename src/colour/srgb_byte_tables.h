// Tintwell colour: the byte tables behind the row conversions' sRGB
// encoding.
//
// Layer: colour/. The byte that comes out of the sRGB encoding and the
// truncation is a non-decreasing function of the linear channel value, so a
// table holds, for each 1/128 of a binade of the linear value, the byte at
// its start and the one float inside it (if any) where the byte steps up.
// The tables are built from EncodedSrgbChannel itself on first use.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

// Table keys are the top 16 bits of the linear value's float bits (sign,
// exponent and 7 mantissa bits). Bucket 0 takes everything below 2^-12 (all
// of it encodes below one step, so byte 0; negatives land here too), the
// last bucket everything from 2.0 up (byte 255; 1.0 itself still encodes a
// hair below 255).
inline constexpr int32_t kSrgbFirstKey = 0x3980;  // 2^-12
inline constexpr int32_t kSrgbEndKey = 0x4000;    // 2.0
inline constexpr int32_t kSrgbBuckets = kSrgbEndKey - kSrgbFirstKey + 2;
inline constexpr uint32_t kSrgbNoStep = 0x10000;  // step position past the bucket's end

// An entry is base | step << 8: the byte at the bucket's first float, and the
// low 16 bits of the first float in the bucket whose byte is base + 1.
struct SrgbByteTables {
  uint32_t truncated[kSrgbBuckets];  // trunc(EncodedSrgbChannel(x))
  uint32_t opaque[kSrgbBuckets];     // RgbToPixel's byte at alpha 255
  bool exact;                        // false if a bucket held two steps (never seen)
};

// trunc(EncodedSrgbChannel(linear)), and the byte RgbToPixel makes of that
// channel at alpha 255: what the tables hold.
uint32_t TruncatedSrgbByte(float linear);
uint32_t OpaqueSrgbByte(float linear);

const SrgbByteTables& SrgbTables();

#if defined(__SSE2__)
// The table byte of four linear values; NaN gives 0, as the clamp does.
inline __m128i SrgbTableBytes4(__m128 linear, const uint32_t* table) {
  const __m128i bits = _mm_castps_si128(linear);
  __m128i index = _mm_sub_epi32(_mm_srai_epi32(bits, 16), _mm_set1_epi32(kSrgbFirstKey - 1));
  index = _mm_andnot_si128(_mm_cmplt_epi32(index, _mm_setzero_si128()), index);
  const __m128i last = _mm_set1_epi32(kSrgbBuckets - 1);
  const __m128i beyond = _mm_cmpgt_epi32(index, last);
  index = _mm_or_si128(_mm_andnot_si128(beyond, index), _mm_and_si128(beyond, last));
  int32_t lanes[4];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), index);
  const __m128i entry = _mm_setr_epi32(static_cast<int32_t>(table[lanes[0]]), static_cast<int32_t>(table[lanes[1]]),
                                       static_cast<int32_t>(table[lanes[2]]), static_cast<int32_t>(table[lanes[3]]));
  const __m128i base = _mm_and_si128(entry, _mm_set1_epi32(0xff));
  const __m128i step = _mm_srli_epi32(entry, 8);
  const __m128i low = _mm_and_si128(bits, _mm_set1_epi32(0xffff));
  // low >= step adds one (the compare gives -1 there).
  const __m128i bytes = _mm_sub_epi32(base, _mm_cmpgt_epi32(_mm_add_epi32(low, _mm_set1_epi32(1)), step));
  return _mm_and_si128(bytes, _mm_castps_si128(_mm_cmpord_ps(linear, linear)));
}

#endif  // __SSE2__
