// Tintwell colour: batch conversions for drawing many colours at once
// (palette pictures, Lab previews, gamut overlays).
//
// Layer: colour/ (pure arithmetic: the white and the range check's mode
// come in as arguments). Every row routine computes, four colours per step
// with SSE2, exactly the float operations of its single routine in
// colour_models.cpp: the same constants, the same order, IEEE division and
// square root, no fused multiply-add. The two expensive pieces are replaced
// by equal-bits shortcuts:
// - sine and cosine: the same double-precision reduction and polynomial as
//   ColourSin/ColourCos, two lanes at a time;
// - the sRGB encoding power and the truncation to bytes: the byte that comes
//   out is a non-decreasing function of the linear channel value, so a table
//   holds, for each 1/128 of a binade of the linear value, the byte at its
//   start and the one float inside it (if any) where the byte steps up. The
//   tables are built from EncodedSrgbChannel itself on first use and every
//   float they cover is checked against it by the tests.
// Colours the shortcuts do not cover (a hue far outside 0..2, a colour that
// is not opaque) go through the single routines.
#include "colour/colour_rows.h"

#include <cmath>
#include <cstring>

#include "colour/colour_constants.h"
#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/srgb_byte_tables.h"
#include "core/cpu_features.h"
#include "core/pixel_bytes.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

// The 32-bit Windows host may call in with a stack aligned to 4 bytes only;
// the vector routines realign theirs on entry.
#if defined(__i386__)
#define TW_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define TW_REALIGN_STACK
#endif

namespace {

#if defined(__SSE2__)

using namespace colour;

inline __m128 Splat(float value) { return _mm_set1_ps(value); }
inline __m128d SplatD(double value) { return _mm_set1_pd(value); }

inline __m128 Select(__m128 mask, __m128 ifSet, __m128 ifClear) {
  return _mm_or_ps(_mm_and_ps(mask, ifSet), _mm_andnot_ps(mask, ifClear));
}

inline __m128d SelectD(__m128d mask, __m128d ifSet, __m128d ifClear) {
  return _mm_or_pd(_mm_and_pd(mask, ifSet), _mm_andnot_pd(mask, ifClear));
}

// Sine and cosine of two angles, |x| < 2^20, by the very operations of the
// single-angle routine (same reduction, same polynomial, same order).
inline void SinCos2(__m128d x, __m128d* sine, __m128d* cosine) {
  const __m128d q = _mm_mul_pd(x, SplatD(2.0 / kPi));
  const __m128d half = _mm_or_pd(_mm_and_pd(q, SplatD(-0.0)), SplatD(0.5));  // q < 0 ? -0.5 : 0.5
  const __m128i k = _mm_cvttpd_epi32(_mm_add_pd(q, half));
  const __m128d kd = _mm_cvtepi32_pd(k);
  const __m128d y = _mm_sub_pd(_mm_sub_pd(x, _mm_mul_pd(kd, SplatD(kHalfPiHi))), _mm_mul_pd(kd, SplatD(kHalfPiLo)));
  const __m128d z = _mm_mul_pd(y, y);
  const __m128d z2 = _mm_mul_pd(z, z);
  const __m128d z4 = _mm_mul_pd(z2, z2);
  const __m128d sinPoly = _mm_add_pd(
      _mm_add_pd(_mm_add_pd(SplatD(kSin[0]), _mm_mul_pd(z, SplatD(kSin[1]))),
                 _mm_mul_pd(z2, _mm_add_pd(SplatD(kSin[2]), _mm_mul_pd(z, SplatD(kSin[3]))))),
      _mm_mul_pd(z4, _mm_add_pd(_mm_add_pd(SplatD(kSin[4]), _mm_mul_pd(z, SplatD(kSin[5]))),
                                _mm_mul_pd(z2, SplatD(kSin[6])))));
  const __m128d cosPoly = _mm_add_pd(
      _mm_add_pd(_mm_add_pd(SplatD(kCos[0]), _mm_mul_pd(z, SplatD(kCos[1]))),
                 _mm_mul_pd(z2, _mm_add_pd(SplatD(kCos[2]), _mm_mul_pd(z, SplatD(kCos[3]))))),
      _mm_mul_pd(z4, _mm_add_pd(_mm_add_pd(SplatD(kCos[4]), _mm_mul_pd(z, SplatD(kCos[5]))),
                                _mm_mul_pd(z2, _mm_add_pd(SplatD(kCos[6]), _mm_mul_pd(z, SplatD(kCos[7])))))));
  const __m128d s = _mm_add_pd(y, _mm_mul_pd(_mm_mul_pd(y, z), sinPoly));
  const __m128d c = _mm_add_pd(SplatD(1.0), _mm_mul_pd(z, cosPoly));
  // Quadrant k & 3: odd quadrants swap sine and cosine; sine is negated in
  // quadrants 2 and 3, cosine in 1 and 2.
  const __m128i kPairs = _mm_shuffle_epi32(k, _MM_SHUFFLE(1, 1, 0, 0));
  const __m128d swap = _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(kPairs, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
  const __m128d sineSign = _mm_castsi128_pd(_mm_slli_epi64(_mm_and_si128(kPairs, _mm_set1_epi32(2)), 62));
  const __m128d cosineSign =
      _mm_castsi128_pd(_mm_slli_epi64(_mm_and_si128(_mm_add_epi32(kPairs, _mm_set1_epi32(1)), _mm_set1_epi32(2)), 62));
  *sine = _mm_xor_pd(SelectD(swap, c, s), sineSign);
  *cosine = _mm_xor_pd(SelectD(swap, s, c), cosineSign);
}

// Float sine and cosine of four angles (|x| < 2^20), as SinCos rounds them.
inline void SinCos4(__m128 radians, __m128* sine, __m128* cosine) {
  __m128d sineLow, cosineLow, sineHigh, cosineHigh;
  SinCos2(_mm_cvtps_pd(radians), &sineLow, &cosineLow);
  SinCos2(_mm_cvtps_pd(_mm_movehl_ps(radians, radians)), &sineHigh, &cosineHigh);
  *sine = _mm_movelh_ps(_mm_cvtpd_ps(sineLow), _mm_cvtpd_ps(sineHigh));
  *cosine = _mm_movelh_ps(_mm_cvtpd_ps(cosineLow), _mm_cvtpd_ps(cosineHigh));
}

// LabExpand: the cube above the threshold, the linear segment below.
inline __m128 LabExpand4(__m128 v) {
  const __m128 cube = _mm_mul_ps(_mm_mul_ps(v, v), v);
  const __m128 line = _mm_div_ps(_mm_sub_ps(v, Splat(16.0f / 116.0f)), Splat(kLabKappa));
  return Select(_mm_cmpgt_ps(cube, Splat(kLabEpsilon)), cube, line);
}

// The same, dividing for the linear segment only when a lane needs it (the
// cube is taken wherever it is above the threshold, so the bits agree).
inline __m128 LabExpand4Lazy(__m128 v) {
  const __m128 cube = _mm_mul_ps(_mm_mul_ps(v, v), v);
  const __m128 above = _mm_cmpgt_ps(cube, Splat(kLabEpsilon));
  if (_mm_movemask_ps(above) == 0xf) return cube;
  const __m128 line = _mm_div_ps(_mm_sub_ps(v, Splat(16.0f / 116.0f)), Splat(kLabKappa));
  return Select(above, cube, line);
}

struct Linear4 {
  __m128 r, g, b;
};

// LabToXyz then XyzToRgb up to the linear channels (before the encoding).
inline Linear4 LabToLinear4(__m128 lightness, __m128 a, __m128 b, const float* white) {
  const __m128 fy = _mm_div_ps(_mm_add_ps(lightness, Splat(16.0f)), Splat(116.0f));
  const __m128 fx = _mm_add_ps(_mm_div_ps(a, Splat(500.0f)), fy);
  const __m128 fz = _mm_sub_ps(fy, _mm_div_ps(b, Splat(200.0f)));
  const __m128 x = _mm_div_ps(_mm_mul_ps(Splat(white[0]), LabExpand4(fx)), Splat(100.0f));
  const __m128 y = _mm_div_ps(_mm_mul_ps(Splat(white[1]), LabExpand4(fy)), Splat(100.0f));
  const __m128 z = _mm_div_ps(_mm_mul_ps(Splat(white[2]), LabExpand4(fz)), Splat(100.0f));
  Linear4 out;
  const auto row = [&](const float (&m)[3]) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(Splat(m[0]), x), _mm_mul_ps(Splat(m[1]), y)), _mm_mul_ps(Splat(m[2]), z));
  };
  out.r = row(kRgbFromXyz[0]);
  out.g = row(kRgbFromXyz[1]);
  out.b = row(kRgbFromXyz[2]);
  return out;
}

// The shift counts of a context's channel positions (for _mm_sll_epi32 and
// _mm_srl_epi32), and the alpha byte 255 in its place.
struct PixelShifts4 {
  explicit PixelShifts4(const PluginContext* context)
      : red(_mm_cvtsi32_si128(static_cast<int>(ChannelShift(context->RedPosition)))),
        green(_mm_cvtsi32_si128(static_cast<int>(ChannelShift(context->GreenPosition)))),
        blue(_mm_cvtsi32_si128(static_cast<int>(ChannelShift(context->BluePosition)))),
        alpha(_mm_cvtsi32_si128(static_cast<int>(ChannelShift(context->AlphaPosition)))),
        opaqueBits(_mm_set1_epi32(static_cast<int>(0xffu << ChannelShift(context->AlphaPosition)))) {}
  // Four pixels of the channel bytes; alphaBits is already in its place.
  __m128i Pack(__m128i r, __m128i g, __m128i b, __m128i alphaBits) const {
    return _mm_or_si128(_mm_or_si128(_mm_sll_epi32(r, red), _mm_sll_epi32(g, green)),
                        _mm_or_si128(_mm_sll_epi32(b, blue), alphaBits));
  }
  __m128i red, green, blue, alpha, opaqueBits;
};

// Four colour triples, lane by lane: c0, c1, c2 and the alpha words' bits.
struct Triples4 {
  explicit Triples4(const ColourTriple* triples)
      : c0(_mm_loadu_ps(&triples[0].c0)), c1(_mm_loadu_ps(&triples[1].c0)), c2(_mm_loadu_ps(&triples[2].c0)),
        alpha(_mm_loadu_ps(&triples[3].c0)) {
    _MM_TRANSPOSE4_PS(c0, c1, c2, alpha);
  }
  // The lanes (bit by bit) whose alpha is 255.
  __m128 Opaque() const { return _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_castps_si128(alpha), _mm_set1_epi32(255))); }
  __m128 c0, c1, c2, alpha;
};

// RgbToPixel at alpha 255 of the encoded linear channels, by the table.
inline __m128i OpaquePixels4(const Linear4& linear, const uint32_t* opaqueTable, const PixelShifts4& shifts) {
  return shifts.Pack(SrgbTableBytes4(linear.r, opaqueTable), SrgbTableBytes4(linear.g, opaqueTable),
                     SrgbTableBytes4(linear.b, opaqueTable), shifts.opaqueBits);
}

// Stores four pixels; the lanes whose bit in handled is clear are given
// single(lane) instead (colours the vector steps do not cover).
template <typename Single>
inline void StorePixels4(Pixel* pixels, __m128i packed, int handled, const Single& single) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), packed);
  if (handled == 0xf) return;
  for (int lane = 0; lane < 4; ++lane) {
    if (!(handled >> lane & 1)) pixels[lane] = single(lane);
  }
}

#endif  // __SSE2__

}  // namespace

TW_REALIGN_STACK void LabToRgbBytesRow(const LabWhite& white, const ColourTriple* lab, uint8_t* rgb, size_t count) {
  const SrgbByteTables& tables = SrgbTables();
  size_t i = 0;
#if defined(__SSE2__)
  if (tables.exact) {
    for (; i + 4 <= count; i += 4) {
      const Triples4 four(lab + i);
      const Linear4 linear = LabToLinear4(four.c0, four.c1, four.c2, white.xyz);
      const __m128i r = SrgbTableBytes4(linear.r, tables.truncated);
      const __m128i g = SrgbTableBytes4(linear.g, tables.truncated);
      const __m128i bl = SrgbTableBytes4(linear.b, tables.truncated);
      const __m128i packed = _mm_or_si128(_mm_or_si128(r, _mm_slli_epi32(g, 8)), _mm_slli_epi32(bl, 16));
      uint32_t words[4];
      _mm_storeu_si128(reinterpret_cast<__m128i*>(words), packed);
      uint8_t* out = rgb + 3 * i;
      for (int lane = 0; lane < 4; ++lane) {
        out[3 * lane] = static_cast<uint8_t>(words[lane]);
        out[3 * lane + 1] = static_cast<uint8_t>(words[lane] >> 8);
        out[3 * lane + 2] = static_cast<uint8_t>(words[lane] >> 16);
      }
    }
  }
#endif
  for (; i < count; ++i) {
    const ColourTriple c = LabToRgb(lab[i], white);
    rgb[3 * i] = static_cast<uint8_t>(c.c0);
    rgb[3 * i + 1] = static_cast<uint8_t>(c.c1);
    rgb[3 * i + 2] = static_cast<uint8_t>(c.c2);
  }
}

TW_REALIGN_STACK void LabToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* lab,
                                    Pixel* pixels, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  const SrgbByteTables& tables = SrgbTables();
  const PixelShifts4 shifts(context);
  for (; tables.exact && i + 4 <= count; i += 4) {
    const Triples4 four(lab + i);
    StorePixels4(pixels + i, OpaquePixels4(LabToLinear4(four.c0, four.c1, four.c2, white.xyz), tables.opaque, shifts),
                 _mm_movemask_ps(four.Opaque()), [&](int lane) { return RgbToPixel(context, LabToRgb(lab[i + lane], white)); });
  }
#endif
  for (; i < count; ++i) pixels[i] = RgbToPixel(context, LabToRgb(lab[i], white));
}

#if defined(__SSE2__)

// Eight colours at a time with AVX2 where the processor has it (the same
// operations lane for lane, so the same bits; the table bytes gathered).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace {

inline __m256 Splat8(float value) { return _mm256_set1_ps(value); }

inline __m256 LabExpand8Lazy(__m256 v) {
  const __m256 cube = _mm256_mul_ps(_mm256_mul_ps(v, v), v);
  const __m256 above = _mm256_cmp_ps(cube, Splat8(colour::kLabEpsilon), _CMP_GT_OQ);
  if (_mm256_movemask_ps(above) == 0xff) return cube;
  const __m256 line = _mm256_div_ps(_mm256_sub_ps(v, Splat8(16.0f / 116.0f)), Splat8(colour::kLabKappa));
  return _mm256_blendv_ps(line, cube, above);
}

// SrgbTableBytes4 for eight values.
inline __m256i TableBytes8(__m256 linear, const uint32_t* table) {
  const __m256i bits = _mm256_castps_si256(linear);
  __m256i index = _mm256_sub_epi32(_mm256_srai_epi32(bits, 16), _mm256_set1_epi32(kSrgbFirstKey - 1));
  index = _mm256_max_epi32(index, _mm256_setzero_si256());
  index = _mm256_min_epi32(index, _mm256_set1_epi32(kSrgbBuckets - 1));
  const __m256i entry = _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4);
  const __m256i base = _mm256_and_si256(entry, _mm256_set1_epi32(0xff));
  const __m256i step = _mm256_srli_epi32(entry, 8);
  const __m256i low = _mm256_and_si256(bits, _mm256_set1_epi32(0xffff));
  const __m256i bytes = _mm256_sub_epi32(base, _mm256_cmpgt_epi32(_mm256_add_epi32(low, _mm256_set1_epi32(1)), step));
  return _mm256_and_si256(bytes, _mm256_castps_si256(_mm256_cmp_ps(linear, linear, _CMP_ORD_Q)));
}

// The body of LabTermsToOpaquePixelRow eight colours at a time, the last few
// padded to a whole group (each lane's result depends on its own terms only).
TW_REALIGN_STACK void LabTermsToOpaquePixels8(const PixelShifts4& shifts, const LabWhite& usable, float lightness,
                                              const float* aTerms, const float* bTerms, Pixel* pixels, size_t count,
                                              const uint32_t* opaqueTable) {
  const __m256 fy = _mm256_div_ps(_mm256_add_ps(Splat8(lightness), Splat8(16.0f)), Splat8(116.0f));
  const __m256 y = _mm256_div_ps(_mm256_mul_ps(Splat8(usable.xyz[1]), LabExpand8Lazy(fy)), Splat8(100.0f));
  const __m256 yShares[3] = {_mm256_mul_ps(Splat8(kRgbFromXyz[0][1]), y), _mm256_mul_ps(Splat8(kRgbFromXyz[1][1]), y),
                             _mm256_mul_ps(Splat8(kRgbFromXyz[2][1]), y)};
  const __m256 whiteX = Splat8(usable.xyz[0]), whiteZ = Splat8(usable.xyz[2]), hundred = Splat8(100.0f);
  const __m128i channelShifts[3] = {shifts.red, shifts.green, shifts.blue};
  const __m256i alphaBits = _mm256_broadcastsi128_si256(shifts.opaqueBits);
  const auto eight = [&](const float* a, const float* b) {
    const __m256 x = _mm256_div_ps(_mm256_mul_ps(whiteX, LabExpand8Lazy(_mm256_add_ps(_mm256_loadu_ps(a), fy))), hundred);
    const __m256 z = _mm256_div_ps(_mm256_mul_ps(whiteZ, LabExpand8Lazy(_mm256_sub_ps(fy, _mm256_loadu_ps(b)))), hundred);
    __m256i packed = alphaBits;
    for (int c = 0; c < 3; ++c) {
      const __m256 linear = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(Splat8(kRgbFromXyz[c][0]), x), yShares[c]),
                                          _mm256_mul_ps(Splat8(kRgbFromXyz[c][2]), z));
      packed = _mm256_or_si256(packed, _mm256_sll_epi32(TableBytes8(linear, opaqueTable), channelShifts[c]));
    }
    return packed;
  };
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + i), eight(aTerms + i, bTerms + i));
  }
  if (i < count) {
    float a[8] = {}, b[8] = {};
    Pixel out[8];
    std::memcpy(a, aTerms + i, (count - i) * sizeof(float));
    std::memcpy(b, bTerms + i, (count - i) * sizeof(float));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), eight(a, b));
    std::memcpy(pixels + i, out, (count - i) * sizeof(Pixel));
  }
}

// The gamut check of NtscGamutCheckRow for whole groups of eight pixels:
// opaque ones (all of the palette's: byte * 255 / 255 is the byte itself, so
// no division is needed) eight at a time, a group with any other one pixel
// by pixel. Returns how many it did.
TW_REALIGN_STACK size_t NtscGamutCheckOpaque8(const PluginContext* context, const PixelShifts4& shifts, int32_t mode,
                                              const Pixel* pixels, int32_t* results, size_t count) {
  const __m256i lowest = _mm256_set1_epi32(mode == kGamutWide ? kNtscWideBright : kNtscNarrowBright);
  const __m256i highest = _mm256_set1_epi32(mode == kGamutWide ? kNtscWideDark : kNtscNarrowDark);
  const __m256i byteMask = _mm256_set1_epi32(0xff);
  const __m256i alphaBits = _mm256_broadcastsi128_si256(shifts.opaqueBits);
  const auto channel = [&](__m256i p, __m128i shift) {
    return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srl_epi32(p, shift), byteMask));
  };
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i));
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(p, alphaBits), alphaBits)) != -1) {
      for (size_t k = i; k < i + 8; ++k) results[k] = NtscGamutCheck(context, pixels[k], mode);
      continue;
    }
    const __m256 r = channel(p, shifts.red), g = channel(p, shifts.green), b = channel(p, shifts.blue);
    const __m256 y = _mm256_add_ps(
        _mm256_add_ps(_mm256_mul_ps(Splat8(kDiffLumaGreen), g), _mm256_mul_ps(Splat8(kDiffLumaRed), r)),
        _mm256_mul_ps(Splat8(kDiffLumaBlue), b));
    const __m256 redDiff = _mm256_mul_ps(_mm256_sub_ps(r, y), Splat8(kDiffRedScale));
    const __m256 blueDiff = _mm256_mul_ps(_mm256_sub_ps(b, y), Splat8(kDiffBlueScale));
    const __m256i level =
        _mm256_cvttps_epi32(_mm256_sub_ps(Splat8(kNtscLevelTop), _mm256_div_ps(y, Splat8(kNtscLumaScale))));
    const __m256i amp = _mm256_cvttps_epi32(_mm256_mul_ps(
        Splat8(kNtscChromaScale),
        _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(redDiff, redDiff), _mm256_mul_ps(blueDiff, blueDiff)))));
    const __m256i tooBright = _mm256_cmpgt_epi32(lowest, _mm256_sub_epi32(level, amp));
    const __m256i tooDark = _mm256_cmpgt_epi32(_mm256_add_epi32(level, amp), highest);
    const __m256i result =
        _mm256_or_si256(tooBright, _mm256_andnot_si256(tooBright, _mm256_and_si256(tooDark, _mm256_set1_epi32(1))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(results + i), result);
  }
  return i;
}

}  // namespace
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __SSE2__

TW_REALIGN_STACK void LabTermsToOpaquePixelRow(const PluginContext* context, const LabWhite& usable, float lightness,
                                               const float* aTerms, const float* bTerms, Pixel* pixels,
                                               size_t count) {
  const SrgbByteTables& tables = SrgbTables();
#if defined(__SSE2__)
  if (tables.exact) {
    // What the lightness alone decides (fy, Y and its share of each channel)
    // once for the row, by the same vector operations.
    const __m128 fy = _mm_div_ps(_mm_add_ps(Splat(lightness), Splat(16.0f)), Splat(116.0f));
    const __m128 y = _mm_div_ps(_mm_mul_ps(Splat(usable.xyz[1]), LabExpand4(fy)), Splat(100.0f));
    const __m128 redY = _mm_mul_ps(Splat(kRgbFromXyz[0][1]), y);
    const __m128 greenY = _mm_mul_ps(Splat(kRgbFromXyz[1][1]), y);
    const __m128 blueY = _mm_mul_ps(Splat(kRgbFromXyz[2][1]), y);
    const __m128 whiteX = Splat(usable.xyz[0]), whiteZ = Splat(usable.xyz[2]), hundred = Splat(100.0f);
    const PixelShifts4 shifts(context);
    const auto four = [&](__m128 aTerm, __m128 bTerm) {
      const __m128 x = _mm_div_ps(_mm_mul_ps(whiteX, LabExpand4Lazy(_mm_add_ps(aTerm, fy))), hundred);
      const __m128 z = _mm_div_ps(_mm_mul_ps(whiteZ, LabExpand4Lazy(_mm_sub_ps(fy, bTerm))), hundred);
      const auto channel = [&](const float (&m)[3], __m128 yShare) {
        return _mm_add_ps(_mm_add_ps(_mm_mul_ps(Splat(m[0]), x), yShare), _mm_mul_ps(Splat(m[2]), z));
      };
      const Linear4 linear{channel(kRgbFromXyz[0], redY), channel(kRgbFromXyz[1], greenY),
                           channel(kRgbFromXyz[2], blueY)};
      return OpaquePixels4(linear, tables.opaque, shifts);
    };
    if (CpuHasAvx2()) {
      LabTermsToOpaquePixels8(shifts, usable, lightness, aTerms, bTerms, pixels, count, tables.opaque);
      return;
    }
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), four(_mm_loadu_ps(aTerms + i), _mm_loadu_ps(bTerms + i)));
    }
    if (i < count) {  // the last one to three, padded
      float a[4] = {0.0f, 0.0f, 0.0f, 0.0f}, b[4] = {0.0f, 0.0f, 0.0f, 0.0f};
      Pixel out[4];
      std::memcpy(a, aTerms + i, (count - i) * sizeof(float));
      std::memcpy(b, bTerms + i, (count - i) * sizeof(float));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), four(_mm_loadu_ps(a), _mm_loadu_ps(b)));
      std::memcpy(pixels + i, out, (count - i) * sizeof(Pixel));
    }
    return;
  }
#endif
  // LabToRgb's own steps after LabToXyz's divisions (XyzToRgb reads no white).
  const float fy = (lightness + 16.0f) / 116.0f;
  const auto expand = [](float v) {
    const float cube = v * v * v;
    return cube > colour::kLabEpsilon ? cube : (v - 16.0f / 116.0f) / colour::kLabKappa;
  };
  const float y = usable.xyz[1] * expand(fy);
  for (size_t i = 0; i < count; ++i) {
    const ColourTriple xyz{usable.xyz[0] * expand(aTerms[i] + fy), y, usable.xyz[2] * expand(fy - bTerms[i]), 255};
    pixels[i] = RgbToPixel(context, XyzToRgb(xyz));
  }
}

TW_REALIGN_STACK void CieHsvToPixelRow(const PluginContext* context, const LabWhite& white,
                                       const ColourTriple* cieHsv, Pixel* pixels, size_t count) {
  const SrgbByteTables& tables = SrgbTables();
  size_t i = 0;
#if defined(__SSE2__)
  if (tables.exact) {
    const PixelShifts4 shifts(context);
    const __m128 sign = Splat(-0.0f);
    for (; i + 4 <= count; i += 4) {
      const Triples4 four(cieHsv + i);
      const __m128 hue = four.c0, saturation = four.c1, value = four.c2;
      // Hue to degrees, wrapped into (-360, 360) as the one-subtraction
      // remainder does; far-off hues (and NaN) take the single routine.
      const __m128 turned = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(Splat(1.0f), hue), Splat(360.0f)), Splat(kCieHueOffsetDegrees));
      const __m128 size = _mm_andnot_ps(sign, turned);
      const __m128 sameSign = _mm_and_ps(turned, sign);
      __m128 wrapped = _mm_sub_ps(turned, _mm_or_ps(sameSign, Splat(360.0f)));
      wrapped = _mm_or_ps(wrapped, _mm_and_ps(_mm_cmpeq_ps(wrapped, _mm_setzero_ps()), sameSign));
      const __m128 degrees = Select(_mm_cmplt_ps(size, Splat(360.0f)), turned, wrapped);
      const __m128 handled = _mm_and_ps(_mm_cmplt_ps(size, Splat(720.0f)), four.Opaque());
      const int handledLanes = _mm_movemask_ps(handled);
      // Keep far-off angles out of the reduction (their lanes are redone).
      const __m128 radians = _mm_and_ps(handled, _mm_mul_ps(degrees, Splat(kRadiansPerDegree)));
      __m128 sine, cosine;
      SinCos4(radians, &sine, &cosine);
      const __m128 a = _mm_mul_ps(_mm_mul_ps(cosine, saturation), Splat(100.0f));
      const __m128 b = _mm_mul_ps(_mm_mul_ps(sine, saturation), Splat(100.0f));
      const Linear4 linear = LabToLinear4(_mm_mul_ps(value, Splat(100.0f)), a, b, white.xyz);
      StorePixels4(pixels + i, OpaquePixels4(linear, tables.opaque, shifts), handledLanes,
                   [&](int lane) { return RgbToPixel(context, CieHsvToRgb(cieHsv[i + lane], white)); });
    }
  }
#endif
  for (; i < count; ++i) pixels[i] = RgbToPixel(context, CieHsvToRgb(cieHsv[i], white));
}

// HsvToRgb and RgbToPixel, step for step: the hue's remainder by the one-
// subtraction rule, the sector and its fraction, the three products and the
// sector's choice of them, the upper clamp, then alpha times channel over
// 255 truncated into a byte.
TW_REALIGN_STACK void HsvToPixelRow(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels,
                                    size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  const PixelShifts4 shifts(context);
  const __m128 one = Splat(1.0f);
  const __m128 sign = Splat(-0.0f);
  const __m128 scale = Splat(255.0f);
  for (; i + 4 <= count; i += 4) {
    __m128 hue = _mm_loadu_ps(&hsv[i].c0);
    __m128 saturation = _mm_loadu_ps(&hsv[i + 1].c0);
    __m128 value = _mm_loadu_ps(&hsv[i + 2].c0);
    __m128 alphaWord = _mm_loadu_ps(&hsv[i + 3].c0);
    _MM_TRANSPOSE4_PS(hue, saturation, value, alphaWord);
    const __m128 size = _mm_andnot_ps(sign, hue);
    const int handled = _mm_movemask_ps(_mm_cmplt_ps(size, Splat(2.0f)));
    // Remainder by 1: below 1 in size the hue itself, else one subtraction
    // of 1 with the hue's sign (a zero result keeping that sign).
    const __m128 hueSign = _mm_and_ps(hue, sign);
    __m128 reduced = _mm_sub_ps(hue, _mm_or_ps(hueSign, one));
    reduced = _mm_or_ps(reduced, _mm_and_ps(_mm_cmpeq_ps(reduced, _mm_setzero_ps()), hueSign));
    __m128 h = Select(_mm_cmplt_ps(size, one), hue, reduced);
    h = _mm_add_ps(h, _mm_and_ps(_mm_cmplt_ps(h, _mm_setzero_ps()), one));
    const __m128 s = _mm_min_ps(saturation, one);  // fmin: a NaN saturation counts as 1
    __m128 vh = _mm_mul_ps(_mm_sub_ps(one, h), Splat(6.0f));
    vh = _mm_andnot_ps(_mm_cmpeq_ps(vh, Splat(6.0f)), vh);
    const __m128 inSectors = _mm_and_ps(_mm_cmpge_ps(vh, _mm_setzero_ps()), _mm_cmplt_ps(vh, Splat(6.0f)));
    const __m128i sector = _mm_and_si128(_mm_cvttps_epi32(vh), _mm_castps_si128(inSectors));
    const __m128 f = _mm_sub_ps(vh, _mm_cvtepi32_ps(sector));
    const __m128 p = _mm_mul_ps(value, _mm_sub_ps(one, s));
    const __m128 q = _mm_mul_ps(value, _mm_sub_ps(one, _mm_mul_ps(s, f)));
    const __m128 t = _mm_mul_ps(value, _mm_sub_ps(one, _mm_mul_ps(s, _mm_sub_ps(one, f))));
    const auto in = [&](int32_t k) { return _mm_castsi128_ps(_mm_cmpeq_epi32(sector, _mm_set1_epi32(k))); };
    const __m128 s0 = in(0), s1 = in(1), s2 = in(2), s3 = in(3), s4 = in(4);
    // Sector: 0 (V, t, p), 1 (q, V, p), 2 (p, V, t), 3 (p, q, V), 4 (t, p, V), else (V, p, q).
    __m128 r = Select(s1, q, Select(_mm_or_ps(s2, s3), p, Select(s4, t, value)));
    __m128 g = Select(s0, t, Select(_mm_or_ps(s1, s2), value, Select(s3, q, p)));
    __m128 b = Select(_mm_or_ps(s0, s1), p, Select(s2, t, Select(_mm_or_ps(s3, s4), value, q)));
    const __m128 grey = _mm_cmpeq_ps(saturation, _mm_setzero_ps());
    r = Select(grey, value, r);
    g = Select(grey, value, g);
    b = Select(grey, value, b);
    const __m128 a = _mm_cvtepi32_ps(_mm_castps_si128(alphaWord));
    const auto byte = [&](__m128 channel) {
      const __m128 c = _mm_mul_ps(_mm_min_ps(channel, one), scale);
      const __m128 premultiplied = _mm_div_ps(_mm_mul_ps(a, c), scale);
      // TruncatedByte: not above 0 (NaN too) gives 0, 255 and above 255.
      const __m128 kept = _mm_and_ps(_mm_cmpgt_ps(premultiplied, _mm_setzero_ps()), premultiplied);
      return _mm_cvttps_epi32(_mm_min_ps(kept, scale));
    };
    const __m128i alphaByte = _mm_and_si128(_mm_castps_si128(alphaWord), _mm_set1_epi32(0xff));
    StorePixels4(pixels + i, shifts.Pack(byte(r), byte(g), byte(b), _mm_sll_epi32(alphaByte, shifts.alpha)), handled,
                 [&](int lane) { return RgbToPixel(context, HsvToRgb(hsv[i + lane])); });
  }
#endif
  for (; i < count; ++i) pixels[i] = RgbToPixel(context, HsvToRgb(hsv[i]));
}

bool HsvHueSectors(const float* hues, int32_t* sectors, float* fractions, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    // HsvToRgb's steps up to the fraction; the one-subtraction remainder
    // covers hues below 2 in size.
    const float hue = hues[i];
    if (!(hue > -2.0f && hue < 2.0f)) return false;
    float h = hue;
    if (h >= 1.0f || h <= -1.0f) {
      h = hue - (hue < 0.0f ? -1.0f : 1.0f);
      if (h == 0.0f) h = hue < 0.0f ? -0.0f : 0.0f;
    }
    if (h < 0.0f) h += 1.0f;
    float vh = (1.0f - h) * 6.0f;
    if (vh == 6.0f) vh = 0.0f;
    const int32_t sector = (vh >= 0.0f && vh < 6.0f) ? static_cast<int32_t>(vh) : 0;
    sectors[i] = sector;
    fractions[i] = vh - static_cast<float>(sector);
  }
  return true;
}

TW_REALIGN_STACK void HsvFixedHuesToPixelRow(const PluginContext* context, const int32_t* sectors,
                                             const float* fractions, float saturation, float value, Pixel* pixels,
                                             size_t count) {
  if (saturation == 0.0f) {  // grey: one colour for all
    const Pixel grey = RgbToPixel(context, HsvToRgb({0.0f, saturation, value, 255}));
    for (size_t i = 0; i < count; ++i) pixels[i] = grey;
    return;
  }
  const float s = std::fmin(saturation, 1.0f);
  size_t i = 0;
#if defined(__SSE2__)
  const float p = value * (1.0f - s);
  const __m128 one = Splat(1.0f), scale = Splat(255.0f), sv = Splat(s), vv = Splat(value), pv = Splat(p);
  const PixelShifts4 shifts(context);
  // Opaque: RgbToPixel's trunc(255 x c / 255) is trunc(c) for every float
  // c up to 255 (the channels here never exceed it), as the Lab row also
  // relies on; not above 0 (NaN too) gives 0.
  const auto byte = [&](__m128 channel) {
    const __m128 c = _mm_mul_ps(_mm_min_ps(channel, one), scale);
    return _mm_cvttps_epi32(_mm_and_ps(_mm_cmpgt_ps(c, _mm_setzero_ps()), c));
  };
  // Within one sector two channels are the row's constants (value and p)
  // and one follows the fraction (t in the even sectors, q in the odd), so
  // four pixels of one sector take one channel's arithmetic: the ring's
  // pixels come in long runs of one sector.
  const __m128i valueByte = byte(vv), pByte = byte(pv);
  const __m128i channelShifts[3] = {shifts.red, shifts.green, shifts.blue};
  struct SectorRoles {
    int32_t follows;  // the channel that follows the fraction: 0 red, 1 green, 2 blue
    __m128i fixedBits;
  };
  const auto roles = [&](int32_t follows, __m128i first, int32_t firstChannel, __m128i second, int32_t secondChannel) {
    return SectorRoles{follows, _mm_or_si128(_mm_or_si128(_mm_sll_epi32(first, channelShifts[firstChannel]),
                                                          _mm_sll_epi32(second, channelShifts[secondChannel])),
                                             shifts.opaqueBits)};
  };
  const SectorRoles sectorRoles[6] = {roles(1, valueByte, 0, pByte, 2), roles(0, valueByte, 1, pByte, 2),
                                      roles(2, pByte, 0, valueByte, 1), roles(1, pByte, 0, valueByte, 2),
                                      roles(0, pByte, 1, valueByte, 2), roles(2, valueByte, 0, pByte, 1)};
  for (; i + 4 <= count; i += 4) {
    const __m128 f = _mm_loadu_ps(fractions + i);
    const __m128i sector = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sectors + i));
    const uint32_t sectorOfFirst = static_cast<uint32_t>(sectors[i]);
    if (sectorOfFirst < 6u &&
        _mm_movemask_epi8(_mm_cmpeq_epi32(sector, _mm_shuffle_epi32(sector, 0))) == 0xffff) {
      const SectorRoles& role = sectorRoles[sectorOfFirst];
      const __m128 share = (sectorOfFirst & 1u) ? f : _mm_sub_ps(one, f);  // q or t
      const __m128i follower = byte(_mm_mul_ps(vv, _mm_sub_ps(one, _mm_mul_ps(sv, share))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i),
                       _mm_or_si128(_mm_sll_epi32(follower, channelShifts[role.follows]), role.fixedBits));
      continue;
    }
    const __m128 q = _mm_mul_ps(vv, _mm_sub_ps(one, _mm_mul_ps(sv, f)));
    const __m128 t = _mm_mul_ps(vv, _mm_sub_ps(one, _mm_mul_ps(sv, _mm_sub_ps(one, f))));
    const auto in = [&](int32_t k) { return _mm_castsi128_ps(_mm_cmpeq_epi32(sector, _mm_set1_epi32(k))); };
    const __m128 s0 = in(0), s1 = in(1), s2 = in(2), s3 = in(3), s4 = in(4);
    const __m128 r = Select(s1, q, Select(_mm_or_ps(s2, s3), pv, Select(s4, t, vv)));
    const __m128 g = Select(s0, t, Select(_mm_or_ps(s1, s2), vv, Select(s3, q, pv)));
    const __m128 b = Select(_mm_or_ps(s0, s1), pv, Select(s2, t, Select(_mm_or_ps(s3, s4), vv, q)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), shifts.Pack(byte(r), byte(g), byte(b), shifts.opaqueBits));
  }
#endif
  for (; i < count; ++i) pixels[i] = RgbToPixel(context, HsvSectorToRgb(sectors[i], fractions[i], s, value, 255));
}

TW_REALIGN_STACK void NtscGamutCheckRow(const PluginContext* context, int32_t mode, const Pixel* pixels,
                                        int32_t* results, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  if (mode == kGamutWide || mode == kGamutNarrow) {
    const __m128i lowest = _mm_set1_epi32(mode == kGamutWide ? kNtscWideBright : kNtscNarrowBright);
    const __m128i highest = _mm_set1_epi32(mode == kGamutWide ? kNtscWideDark : kNtscNarrowDark);
    const __m128i byteMask = _mm_set1_epi32(0xff);
    const PixelShifts4 shifts(context);
    if (CpuHasAvx2()) i = NtscGamutCheckOpaque8(context, shifts, mode, pixels, results, count);
    for (; i + 4 <= count; i += 4) {
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
      const __m128i alphaByte = _mm_and_si128(_mm_srl_epi32(p, shifts.alpha), byteMask);
      // PixelToRgb: byte * 255 / alpha, black where alpha is 0.
      // Opaque pixels (the palette's, all of them): byte * 255 / 255 is
      // the byte itself, exactly, so the divisions are skipped.
      const __m128 rawR = _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(p, shifts.red), byteMask));
      const __m128 rawG = _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(p, shifts.green), byteMask));
      const __m128 rawB = _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(p, shifts.blue), byteMask));
      __m128 r = rawR, g = rawG, b = rawB;
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphaByte, byteMask)) != 0xffff) {
        const __m128 clear = _mm_castsi128_ps(_mm_cmpeq_epi32(alphaByte, _mm_setzero_si128()));
        const __m128 alpha = Select(clear, Splat(1.0f), _mm_cvtepi32_ps(alphaByte));
        r = _mm_andnot_ps(clear, _mm_div_ps(_mm_mul_ps(rawR, Splat(255.0f)), alpha));
        g = _mm_andnot_ps(clear, _mm_div_ps(_mm_mul_ps(rawG, Splat(255.0f)), alpha));
        b = _mm_andnot_ps(clear, _mm_div_ps(_mm_mul_ps(rawB, Splat(255.0f)), alpha));
      }
      // RgbToLumaDiff, then the level and amplitude.
      const __m128 y = _mm_add_ps(_mm_add_ps(_mm_mul_ps(Splat(kDiffLumaGreen), g), _mm_mul_ps(Splat(kDiffLumaRed), r)),
                                  _mm_mul_ps(Splat(kDiffLumaBlue), b));
      const __m128 redDiff = _mm_mul_ps(_mm_sub_ps(r, y), Splat(kDiffRedScale));
      const __m128 blueDiff = _mm_mul_ps(_mm_sub_ps(b, y), Splat(kDiffBlueScale));
      const __m128i level =
          _mm_cvttps_epi32(_mm_sub_ps(Splat(kNtscLevelTop), _mm_div_ps(y, Splat(kNtscLumaScale))));
      const __m128i amp = _mm_cvttps_epi32(_mm_mul_ps(
          Splat(kNtscChromaScale), _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(redDiff, redDiff), _mm_mul_ps(blueDiff, blueDiff)))));
      const __m128i tooBright = _mm_cmplt_epi32(_mm_sub_epi32(level, amp), lowest);
      const __m128i tooDark = _mm_cmpgt_epi32(_mm_add_epi32(level, amp), highest);
      const __m128i result =
          _mm_or_si128(tooBright, _mm_andnot_si128(tooBright, _mm_and_si128(tooDark, _mm_set1_epi32(1))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(results + i), result);
    }
  }
#endif
  for (; i < count; ++i) results[i] = mode == kGamutOff ? 0 : NtscGamutCheck(context, pixels[i], mode);
}
