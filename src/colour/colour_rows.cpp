// Tintwell colour: batch conversions for drawing many colours at once
// (palette pictures, Lab previews, gamut overlays).
//
// Layer: colour/ (pure arithmetic: the white and the range check's mode
// come in as arguments). Every row routine computes, a group of colours per
// step, exactly the float operations of its single routine in
// colour_models.cpp: the same constants, the same order, IEEE division and
// square root, no fused multiply-add. The two expensive pieces are replaced
// by equal-bits shortcuts:
// - sine and cosine: the same double-precision reduction and polynomial as
//   ColourSin/ColourCos, half a group at a time;
// - the sRGB encoding power and the truncation to bytes: the byte that comes
//   out is a non-decreasing function of the linear channel value, so a table
//   holds, for each 1/128 of a binade of the linear value, the byte at its
//   start and the one float inside it (if any) where the byte steps up. The
//   tables are built from EncodedSrgbChannel itself on first use and every
//   float they cover is checked against it by the tests.
// Colours the shortcuts do not cover (a hue far outside 0..2, a colour that
// is not opaque) go through the single routines.
//
// The routines are written once, in colour_row_lanes.inc, over a small set
// of lane operations; each instruction set supplies its own set and the file
// is compiled once for each (SSE2, which every processor either build runs
// on; AVX2 and AVX-512, compiled for them whatever the build's baseline).
// Which set runs is chosen once, on first use, by what the processor has.
//
// Sections:
//   [SECTION] the plain path: the single routines element by element (the
//             reference every vector path is held to, and their tails)
//   [SECTION] lane operations: what SSE2, AVX2 and AVX-512 share by name
//   [SECTION] SSE2 lanes, 4 colours a group
//   [SECTION] AVX2 lanes, 8 colours a group
//   [SECTION] AVX-512 lanes, 16 colours a group
//   [SECTION] the path: the sets this processor runs, the one chosen (once,
//             on the first row converted), and the public routines over it
#include "colour/colour_rows.h"

// GCC 12's AVX-512 header makes its undefined vectors by initialising them
// from themselves, which that compiler's own check then reports as maybe
// uninitialised wherever a masked operation is inlined; the report is about
// the header's lines, so it is silenced where the header is first read.
#if defined(__SSE2__) && defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

#include <cmath>
#include <cstring>

#include "colour/colour_constants.h"
#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/srgb_byte_tables.h"
#include "core/cpu_features.h"
#include "core/pixel_bytes.h"

// The 32-bit Windows host may call in with a stack aligned to 4 bytes only;
// the vector routines realign theirs on entry.
#if defined(__i386__)
#define TW_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define TW_REALIGN_STACK
#endif

static_assert(sizeof(ColourTriple) == 4 * sizeof(float), "a group of triples loads as whole vectors");

// ---------------------------------------------------------------------------
// [SECTION] the plain path
// ---------------------------------------------------------------------------

namespace plain {
namespace {

Pixel LabPixel(const PluginContext* context, const LabWhite& white, const ColourTriple& lab) {
  return RgbToPixel(context, LabToRgb(lab, white));
}
Pixel CieHsvPixel(const PluginContext* context, const LabWhite& white, const ColourTriple& cieHsv) {
  return RgbToPixel(context, CieHsvToRgb(cieHsv, white));
}
Pixel HsvPixel(const PluginContext* context, const ColourTriple& hsv) { return RgbToPixel(context, HsvToRgb(hsv)); }

// Each from element `first` up to `count`.
void LabToRgbBytes(const LabWhite& white, const ColourTriple* lab, uint8_t* rgb, size_t first, size_t count) {
  for (size_t i = first; i < count; ++i) {
    const ColourTriple c = LabToRgb(lab[i], white);
    rgb[3 * i] = static_cast<uint8_t>(c.c0);
    rgb[3 * i + 1] = static_cast<uint8_t>(c.c1);
    rgb[3 * i + 2] = static_cast<uint8_t>(c.c2);
  }
}

void LabToPixels(const PluginContext* context, const LabWhite& white, const ColourTriple* lab, Pixel* pixels,
                 size_t first, size_t count) {
  for (size_t i = first; i < count; ++i) pixels[i] = LabPixel(context, white, lab[i]);
}

void CieHsvToPixels(const PluginContext* context, const LabWhite& white, const ColourTriple* cieHsv, Pixel* pixels,
                    size_t first, size_t count) {
  for (size_t i = first; i < count; ++i) pixels[i] = CieHsvPixel(context, white, cieHsv[i]);
}

void HsvToPixels(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels, size_t first, size_t count) {
  for (size_t i = first; i < count; ++i) pixels[i] = HsvPixel(context, hsv[i]);
}

void HsvFixedHuesToPixels(const PluginContext* context, const int32_t* sectors, const float* fractions,
                          float saturation, float value, Pixel* pixels, size_t first, size_t count) {
  if (saturation == 0.0f) {  // grey: one colour for all
    const Pixel grey = HsvPixel(context, {0.0f, saturation, value, 255});
    for (size_t i = first; i < count; ++i) pixels[i] = grey;
    return;
  }
  const float s = std::fmin(saturation, 1.0f);
  for (size_t i = first; i < count; ++i) {
    pixels[i] = RgbToPixel(context, HsvSectorToRgb(sectors[i], fractions[i], s, value, 255));
  }
}

void NtscGamutChecks(const PluginContext* context, int32_t mode, const Pixel* pixels, int32_t* results, size_t first,
                     size_t count) {
  for (size_t i = first; i < count; ++i) results[i] = mode == kGamutOff ? 0 : NtscGamutCheck(context, pixels[i], mode);
}

// The whole rows, as the plain path's table holds them.
void LabToRgbBytesRow(const LabWhite& white, const ColourTriple* lab, uint8_t* rgb, size_t count) {
  LabToRgbBytes(white, lab, rgb, 0, count);
}
void LabToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* lab, Pixel* pixels,
                   size_t count) {
  LabToPixels(context, white, lab, pixels, 0, count);
}
// LabToRgb's own steps after LabToXyz's divisions (XyzToRgb reads no white).
void LabTermsToOpaquePixelRow(const PluginContext* context, const LabWhite& usable, float lightness,
                              const float* aTerms, const float* bTerms, Pixel* pixels, size_t count) {
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
void CieHsvToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* cieHsv, Pixel* pixels,
                      size_t count) {
  CieHsvToPixels(context, white, cieHsv, pixels, 0, count);
}
void HsvToPixelRow(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels, size_t count) {
  HsvToPixels(context, hsv, pixels, 0, count);
}
void HsvFixedHuesToPixelRow(const PluginContext* context, const int32_t* sectors, const float* fractions,
                            float saturation, float value, Pixel* pixels, size_t count) {
  HsvFixedHuesToPixels(context, sectors, fractions, saturation, value, pixels, 0, count);
}
void NtscGamutCheckRow(const PluginContext* context, int32_t mode, const Pixel* pixels, int32_t* results,
                       size_t count) {
  NtscGamutChecks(context, mode, pixels, results, 0, count);
}

constexpr RowConversions kRows = {LabToRgbBytesRow, LabToPixelRow,   LabTermsToOpaquePixelRow, CieHsvToPixelRow,
                                  HsvToPixelRow,    HsvFixedHuesToPixelRow, NtscGamutCheckRow};

}  // namespace
}  // namespace plain

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

#if defined(__SSE2__)
#include <immintrin.h>

// ---------------------------------------------------------------------------
// [SECTION] lane operations
// ---------------------------------------------------------------------------
//
// Every set defines, in a struct `Lanes`: Floats, Ints (32-bit lanes), Mask
// (a lane selection: a vector of all-ones lanes, or AVX-512's mask
// register), Doubles (half a group in doubles), HalfInts (their 32-bit
// integers), DoubleMask, kCount, and the operations below. Masks are made by
// the comparisons and used by Select (ifSet where set), Keep (0 where
// clear), Drop (0 where set), Both, Either and Bits (one bit a lane, lane 0
// lowest).
//
// The operations whose forms differ only in the intrinsics' prefix (_mm,
// _mm256, _mm512) and whole-register suffix (si128, si256, si512):
#define TW_ROW_LANE_OPERATIONS(prefix, whole)                                                                   \
  using Floats = decltype(prefix##_setzero_ps());                                                               \
  using Ints = decltype(prefix##_setzero_##whole());                                                            \
  using Doubles = decltype(prefix##_setzero_pd());                                                              \
  using HalfInts = decltype(prefix##_cvttpd_epi32(prefix##_setzero_pd()));                                      \
  static constexpr int kCount = sizeof(Floats) / sizeof(float);                                                \
  static Floats SetF(float v) { return prefix##_set1_ps(v); }                                                   \
  static Ints Set(int32_t v) { return prefix##_set1_epi32(v); }                                                 \
  static Floats ZeroF() { return prefix##_setzero_ps(); }                                                       \
  static Ints Zero() { return prefix##_setzero_##whole(); }                                                     \
  static Floats LoadF(const float* p) { return prefix##_loadu_ps(p); }                                          \
  static Ints Load(const void* p) { return prefix##_loadu_##whole(static_cast<const Ints*>(p)); }               \
  static void Store(void* p, Ints v) { prefix##_storeu_##whole(static_cast<Ints*>(p), v); }                     \
  static Floats Add(Floats a, Floats b) { return prefix##_add_ps(a, b); }                                       \
  static Floats Sub(Floats a, Floats b) { return prefix##_sub_ps(a, b); }                                       \
  static Floats Mul(Floats a, Floats b) { return prefix##_mul_ps(a, b); }                                       \
  static Floats Div(Floats a, Floats b) { return prefix##_div_ps(a, b); }                                       \
  /* the second operand where either is NaN, as fmin(a, b) takes b for a NaN a */                              \
  static Floats Min(Floats a, Floats b) { return prefix##_min_ps(a, b); }                                       \
  static Floats Sqrt(Floats a) { return prefix##_sqrt_ps(a); }                                                  \
  static Ints Truncate(Floats a) { return prefix##_cvttps_epi32(a); }                                           \
  static Floats ToFloats(Ints a) { return prefix##_cvtepi32_ps(a); }                                            \
  static Ints AsInts(Floats a) { return prefix##_castps_##whole(a); }                                           \
  static Floats AsFloats(Ints a) { return prefix##_cast##whole##_ps(a); }                                       \
  static Ints AddI(Ints a, Ints b) { return prefix##_add_epi32(a, b); }                                         \
  static Ints SubI(Ints a, Ints b) { return prefix##_sub_epi32(a, b); }                                         \
  static Ints AndI(Ints a, Ints b) { return prefix##_and_##whole(a, b); }                                       \
  static Ints OrI(Ints a, Ints b) { return prefix##_or_##whole(a, b); }                                         \
  static Ints ShiftLeft(Ints a, __m128i count) { return prefix##_sll_epi32(a, count); }                         \
  static Ints ShiftRight(Ints a, __m128i count) { return prefix##_srl_epi32(a, count); }                        \
  static Ints ShiftLeftBy(Ints a, int count) { return prefix##_slli_epi32(a, count); }                          \
  static Doubles SetD(double v) { return prefix##_set1_pd(v); }                                                 \
  static Doubles AddD(Doubles a, Doubles b) { return prefix##_add_pd(a, b); }                                   \
  static Doubles SubD(Doubles a, Doubles b) { return prefix##_sub_pd(a, b); }                                   \
  static Doubles MulD(Doubles a, Doubles b) { return prefix##_mul_pd(a, b); }                                   \
  static HalfInts TruncateD(Doubles a) { return prefix##_cvttpd_epi32(a); }                                     \
  static Doubles FromHalfInts(HalfInts a) { return prefix##_cvtepi32_pd(a); }

// Sets whose masks are vectors (SSE2, AVX2): the bit operations on floats
// and the masks' own operations.
#define TW_ROW_VECTOR_MASKS(prefix, whole)                                                                      \
  using Mask = Floats;                                                                                          \
  using DoubleMask = Doubles;                                                                                   \
  static Floats AndF(Floats a, Floats b) { return prefix##_and_ps(a, b); }                                      \
  static Floats OrF(Floats a, Floats b) { return prefix##_or_ps(a, b); }                                        \
  static Floats AndNotF(Floats a, Floats b) { return prefix##_andnot_ps(a, b); }                                \
  static Doubles AndD(Doubles a, Doubles b) { return prefix##_and_pd(a, b); }                                   \
  static Doubles OrD(Doubles a, Doubles b) { return prefix##_or_pd(a, b); }                                     \
  static Doubles XorD(Doubles a, Doubles b) { return prefix##_xor_pd(a, b); }                                   \
  static Mask EqualI(Ints a, Ints b) { return AsFloats(prefix##_cmpeq_epi32(a, b)); }                           \
  static Mask GreaterI(Ints a, Ints b) { return AsFloats(prefix##_cmpgt_epi32(a, b)); }                         \
  static Mask Both(Mask a, Mask b) { return prefix##_and_ps(a, b); }                                            \
  static Mask Either(Mask a, Mask b) { return prefix##_or_ps(a, b); }                                           \
  static uint32_t Bits(Mask m) { return static_cast<uint32_t>(prefix##_movemask_ps(m)); }                      \
  static Floats Keep(Mask m, Floats a) { return prefix##_and_ps(m, a); }                                        \
  static Ints KeepI(Mask m, Ints a) { return prefix##_and_##whole(AsInts(m), a); }                              \
  static Floats Drop(Mask m, Floats a) { return prefix##_andnot_ps(m, a); }

// ---------------------------------------------------------------------------
// [SECTION] SSE2 lanes, 4 colours a group
// ---------------------------------------------------------------------------

namespace sse2_rows {
namespace {

using namespace colour;

struct Lanes {
  TW_ROW_LANE_OPERATIONS(_mm, si128)
  TW_ROW_VECTOR_MASKS(_mm, si128)
  static Mask Greater(Floats a, Floats b) { return _mm_cmpgt_ps(a, b); }
  static Mask GreaterOrEqual(Floats a, Floats b) { return _mm_cmpge_ps(a, b); }
  static Mask Less(Floats a, Floats b) { return _mm_cmplt_ps(a, b); }
  static Mask Equal(Floats a, Floats b) { return _mm_cmpeq_ps(a, b); }
  static Floats Select(Mask m, Floats ifSet, Floats ifClear) {
    return _mm_or_ps(_mm_and_ps(m, ifSet), _mm_andnot_ps(m, ifClear));
  }
  static Ints SelectI(Mask m, Ints ifSet, Ints ifClear) {
    return AsInts(Select(m, AsFloats(ifSet), AsFloats(ifClear)));
  }
  // No gather: general registers index the table (see srgb_byte_tables.h).
  static Ints TableBytes(Floats linear, const uint32_t* table) { return SrgbTableBytes4(linear, table); }
  static void LoadTriples(const ColourTriple* triples, Floats* c0, Floats* c1, Floats* c2, Ints* alpha) {
    *c0 = _mm_loadu_ps(&triples[0].c0);
    *c1 = _mm_loadu_ps(&triples[1].c0);
    *c2 = _mm_loadu_ps(&triples[2].c0);
    Floats a = _mm_loadu_ps(&triples[3].c0);
    _MM_TRANSPOSE4_PS(*c0, *c1, *c2, a);
    *alpha = AsInts(a);
  }
  static Doubles LowDoubles(Floats a) { return _mm_cvtps_pd(a); }
  static Doubles HighDoubles(Floats a) { return _mm_cvtps_pd(_mm_movehl_ps(a, a)); }
  static Floats FromDoubles(Doubles low, Doubles high) { return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)); }
  // The two integers, each in both halves of its double's lane.
  static __m128i Pairs(HalfInts k) { return _mm_shuffle_epi32(k, _MM_SHUFFLE(1, 1, 0, 0)); }
  static HalfInts AddHalfInts(HalfInts k, int32_t v) { return _mm_add_epi32(k, _mm_set1_epi32(v)); }
  static DoubleMask OddD(HalfInts k) {
    return _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(Pairs(k), _mm_set1_epi32(1)), _mm_set1_epi32(1)));
  }
  // The sign bit where the integer's bit 1 is set.
  static Doubles SignOfSecondBit(HalfInts k) {
    return _mm_castsi128_pd(_mm_slli_epi64(_mm_and_si128(Pairs(k), _mm_set1_epi32(2)), 62));
  }
  static Doubles SelectD(DoubleMask m, Doubles ifSet, Doubles ifClear) {
    return _mm_or_pd(_mm_and_pd(m, ifSet), _mm_andnot_pd(m, ifClear));
  }
};

#include "colour/colour_row_lanes.inc"

}  // namespace
}  // namespace sse2_rows

// AVX2 and AVX-512 are compiled for whatever the build's baseline and run
// only where the processor has them.
#define TW_PRAGMA(text) _Pragma(#text)
#if defined(__clang__)
#define TW_BEGIN_TARGET(isa) TW_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define TW_END_TARGET TW_PRAGMA(clang attribute pop)
#else
#define TW_BEGIN_TARGET(isa) TW_PRAGMA(GCC push_options) TW_PRAGMA(GCC target(isa))
#define TW_END_TARGET TW_PRAGMA(GCC pop_options)
#endif

// ---------------------------------------------------------------------------
// [SECTION] AVX2 lanes, 8 colours a group
// ---------------------------------------------------------------------------

TW_BEGIN_TARGET("avx2")
namespace avx2_rows {
namespace {

using namespace colour;

// Lane i of a group of four 128-bit halves: triples i and i + 4.
struct Lanes {
  TW_ROW_LANE_OPERATIONS(_mm256, si256)
  TW_ROW_VECTOR_MASKS(_mm256, si256)
  static Mask Greater(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
  static Mask GreaterOrEqual(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
  static Mask Less(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
  static Mask Equal(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
  static Floats Select(Mask m, Floats ifSet, Floats ifClear) { return _mm256_blendv_ps(ifClear, ifSet, m); }
  static Ints SelectI(Mask m, Ints ifSet, Ints ifClear) {
    return AsInts(Select(m, AsFloats(ifSet), AsFloats(ifClear)));
  }
  // As SrgbTableBytes4, the entries gathered.
  static Ints TableBytes(Floats linear, const uint32_t* table) {
    const Ints bits = AsInts(linear);
    Ints index = _mm256_sub_epi32(_mm256_srai_epi32(bits, 16), Set(kSrgbFirstKey - 1));
    index = _mm256_min_epi32(_mm256_max_epi32(index, Zero()), Set(kSrgbBuckets - 1));
    const Ints entry = _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4);
    const Ints base = AndI(entry, Set(0xff));
    const Ints step = _mm256_srli_epi32(entry, 8);
    const Ints low = AndI(bits, Set(0xffff));
    const Ints bytes = SubI(base, _mm256_cmpgt_epi32(AddI(low, Set(1)), step));  // low >= step adds one
    return KeepI(_mm256_cmp_ps(linear, linear, _CMP_ORD_Q), bytes);
  }
  static void LoadTriples(const ColourTriple* triples, Floats* c0, Floats* c1, Floats* c2, Ints* alpha) {
    const auto pair = [&](int k) {
      const Floats first = _mm256_castps128_ps256(_mm_loadu_ps(&triples[k].c0));
      return _mm256_insertf128_ps(first, _mm_loadu_ps(&triples[k + 4].c0), 1);
    };
    // The four-by-four transpose within each 128-bit half.
    const Floats t0 = _mm256_unpacklo_ps(pair(0), pair(1)), t1 = _mm256_unpacklo_ps(pair(2), pair(3));
    const Floats t2 = _mm256_unpackhi_ps(pair(0), pair(1)), t3 = _mm256_unpackhi_ps(pair(2), pair(3));
    *c0 = LowHalves(t0, t1);
    *c1 = HighHalves(t0, t1);
    *c2 = LowHalves(t2, t3);
    *alpha = AsInts(HighHalves(t2, t3));
  }
  // The low (high) 64 bits of each 128-bit part of a, then of b.
  static Floats LowHalves(Floats a, Floats b) {
    return _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(a), _mm256_castps_pd(b)));
  }
  static Floats HighHalves(Floats a, Floats b) {
    return _mm256_castpd_ps(_mm256_unpackhi_pd(_mm256_castps_pd(a), _mm256_castps_pd(b)));
  }
  static Doubles LowDoubles(Floats a) { return _mm256_cvtps_pd(_mm256_castps256_ps128(a)); }
  static Doubles HighDoubles(Floats a) { return _mm256_cvtps_pd(_mm256_extractf128_ps(a, 1)); }
  static Floats FromDoubles(Doubles low, Doubles high) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(low)), _mm256_cvtpd_ps(high), 1);
  }
  static HalfInts AddHalfInts(HalfInts k, int32_t v) { return _mm_add_epi32(k, _mm_set1_epi32(v)); }
  static DoubleMask OddD(HalfInts k) {
    const __m256i one = _mm256_set1_epi64x(1);
    return _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(_mm256_cvtepi32_epi64(k), one), one));
  }
  static Doubles SignOfSecondBit(HalfInts k) {
    const __m256i second = _mm256_and_si256(_mm256_cvtepi32_epi64(k), _mm256_set1_epi64x(2));
    return _mm256_castsi256_pd(_mm256_slli_epi64(second, 62));
  }
  static Doubles SelectD(DoubleMask m, Doubles ifSet, Doubles ifClear) { return _mm256_blendv_pd(ifClear, ifSet, m); }
};

#include "colour/colour_row_lanes.inc"

}  // namespace
}  // namespace avx2_rows
TW_END_TARGET

// ---------------------------------------------------------------------------
// [SECTION] AVX-512 lanes, 16 colours a group
// ---------------------------------------------------------------------------
//
// AVX-512F only (every AVX-512 processor has it): comparisons give mask
// registers, and the bit operations on floats go through the integer forms.

TW_BEGIN_TARGET("avx512f")
namespace avx512_rows {
namespace {

using namespace colour;

// Lane i of a group of four 128-bit quarters: triples i, i + 4, i + 8 and i + 12.
struct Lanes {
  TW_ROW_LANE_OPERATIONS(_mm512, si512)
  using Mask = __mmask16;
  using DoubleMask = __mmask8;
  static Floats AndF(Floats a, Floats b) { return AsFloats(_mm512_and_si512(AsInts(a), AsInts(b))); }
  static Floats OrF(Floats a, Floats b) { return AsFloats(_mm512_or_si512(AsInts(a), AsInts(b))); }
  static Floats AndNotF(Floats a, Floats b) { return AsFloats(_mm512_andnot_si512(AsInts(a), AsInts(b))); }
  static __m512i Bits64(Doubles a) { return _mm512_castpd_si512(a); }
  static Doubles AndD(Doubles a, Doubles b) { return _mm512_castsi512_pd(_mm512_and_si512(Bits64(a), Bits64(b))); }
  static Doubles OrD(Doubles a, Doubles b) { return _mm512_castsi512_pd(_mm512_or_si512(Bits64(a), Bits64(b))); }
  static Doubles XorD(Doubles a, Doubles b) { return _mm512_castsi512_pd(_mm512_xor_si512(Bits64(a), Bits64(b))); }
  static Mask Greater(Floats a, Floats b) { return _mm512_cmp_ps_mask(a, b, _CMP_GT_OQ); }
  static Mask GreaterOrEqual(Floats a, Floats b) { return _mm512_cmp_ps_mask(a, b, _CMP_GE_OQ); }
  static Mask Less(Floats a, Floats b) { return _mm512_cmp_ps_mask(a, b, _CMP_LT_OQ); }
  static Mask Equal(Floats a, Floats b) { return _mm512_cmp_ps_mask(a, b, _CMP_EQ_OQ); }
  static Mask EqualI(Ints a, Ints b) { return _mm512_cmpeq_epi32_mask(a, b); }
  static Mask GreaterI(Ints a, Ints b) { return _mm512_cmpgt_epi32_mask(a, b); }
  static Mask Both(Mask a, Mask b) { return static_cast<Mask>(a & b); }
  static Mask Either(Mask a, Mask b) { return static_cast<Mask>(a | b); }
  static uint32_t Bits(Mask m) { return m; }
  static Floats Select(Mask m, Floats ifSet, Floats ifClear) { return _mm512_mask_blend_ps(m, ifClear, ifSet); }
  static Ints SelectI(Mask m, Ints ifSet, Ints ifClear) { return _mm512_mask_blend_epi32(m, ifClear, ifSet); }
  static Floats Keep(Mask m, Floats a) { return _mm512_maskz_mov_ps(m, a); }
  static Ints KeepI(Mask m, Ints a) { return _mm512_maskz_mov_epi32(m, a); }
  static Floats Drop(Mask m, Floats a) { return _mm512_maskz_mov_ps(static_cast<Mask>(~m), a); }
  // As SrgbTableBytes4, the entries gathered.
  static Ints TableBytes(Floats linear, const uint32_t* table) {
    const Ints bits = AsInts(linear);
    Ints index = _mm512_sub_epi32(_mm512_srai_epi32(bits, 16), Set(kSrgbFirstKey - 1));
    index = _mm512_min_epi32(_mm512_max_epi32(index, Zero()), Set(kSrgbBuckets - 1));
    const Ints entry = _mm512_i32gather_epi32(index, table, 4);
    const Ints base = AndI(entry, Set(0xff));
    const Ints step = _mm512_srli_epi32(entry, 8);
    const Ints low = AndI(bits, Set(0xffff));
    const Ints bytes = _mm512_mask_add_epi32(base, _mm512_cmpgt_epi32_mask(AddI(low, Set(1)), step), base, Set(1));
    return KeepI(_mm512_cmp_ps_mask(linear, linear, _CMP_ORD_Q), bytes);
  }
  static void LoadTriples(const ColourTriple* triples, Floats* c0, Floats* c1, Floats* c2, Ints* alpha) {
    const auto quad = [&](int k) {
      Floats v = _mm512_castps128_ps512(_mm_loadu_ps(&triples[k].c0));
      v = _mm512_insertf32x4(v, _mm_loadu_ps(&triples[k + 4].c0), 1);
      v = _mm512_insertf32x4(v, _mm_loadu_ps(&triples[k + 8].c0), 2);
      return _mm512_insertf32x4(v, _mm_loadu_ps(&triples[k + 12].c0), 3);
    };
    // The four-by-four transpose within each 128-bit quarter.
    const Floats q0 = quad(0), q1 = quad(1), q2 = quad(2), q3 = quad(3);
    const Floats t0 = _mm512_unpacklo_ps(q0, q1), t1 = _mm512_unpacklo_ps(q2, q3);
    const Floats t2 = _mm512_unpackhi_ps(q0, q1), t3 = _mm512_unpackhi_ps(q2, q3);
    *c0 = LowHalves(t0, t1);
    *c1 = HighHalves(t0, t1);
    *c2 = LowHalves(t2, t3);
    *alpha = AsInts(HighHalves(t2, t3));
  }
  // The low (high) 64 bits of each 128-bit part of a, then of b.
  static Floats LowHalves(Floats a, Floats b) {
    return _mm512_castpd_ps(_mm512_unpacklo_pd(_mm512_castps_pd(a), _mm512_castps_pd(b)));
  }
  static Floats HighHalves(Floats a, Floats b) {
    return _mm512_castpd_ps(_mm512_unpackhi_pd(_mm512_castps_pd(a), _mm512_castps_pd(b)));
  }
  static Doubles LowDoubles(Floats a) { return _mm512_cvtps_pd(_mm512_castps512_ps256(a)); }
  static Doubles HighDoubles(Floats a) {
    return _mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(a), 1)));
  }
  static Floats FromDoubles(Doubles low, Doubles high) {
    const __m512d both = _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(_mm512_cvtpd_ps(low))),
                                            _mm256_castps_pd(_mm512_cvtpd_ps(high)), 1);
    return _mm512_castpd_ps(both);
  }
  static HalfInts AddHalfInts(HalfInts k, int32_t v) { return _mm256_add_epi32(k, _mm256_set1_epi32(v)); }
  static DoubleMask OddD(HalfInts k) { return _mm512_test_epi64_mask(_mm512_cvtepi32_epi64(k), _mm512_set1_epi64(1)); }
  static Doubles SignOfSecondBit(HalfInts k) {
    return _mm512_castsi512_pd(_mm512_slli_epi64(_mm512_and_si512(_mm512_cvtepi32_epi64(k), _mm512_set1_epi64(2)), 62));
  }
  static Doubles SelectD(DoubleMask m, Doubles ifSet, Doubles ifClear) {
    return _mm512_mask_blend_pd(m, ifClear, ifSet);
  }
};

#include "colour/colour_row_lanes.inc"

}  // namespace
}  // namespace avx512_rows
TW_END_TARGET

#undef TW_ROW_LANE_OPERATIONS
#undef TW_ROW_VECTOR_MASKS

// ---------------------------------------------------------------------------
// [SECTION] the path
// ---------------------------------------------------------------------------

namespace {

// AVX-512F with the operating system keeping its registers (the compiler's
// check covers both); asked once.
bool CpuHasAvx512() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0;
  }();
  return has;
}

// The vector rows of a path, where the processor has its instruction set.
// They read the sRGB byte tables, which must hold one step a bucket (always
// so far; otherwise only the plain path is offered).
const RowConversions* VectorRowsOn(RowPath path) {
  if (!SrgbTables().exact) return nullptr;
  switch (path) {
    case RowPath::kSse2: return &sse2_rows::kRows;
    case RowPath::kAvx2: return CpuHasAvx2() ? &avx2_rows::kRows : nullptr;
    case RowPath::kAvx512: return CpuHasAvx512() ? &avx512_rows::kRows : nullptr;
    default: return nullptr;
  }
}

}  // namespace

#else  // no SSE2: the plain path only

namespace {
const RowConversions* VectorRowsOn(RowPath) { return nullptr; }
}  // namespace

#endif  // __SSE2__

namespace {

const RowConversions& ChooseRows() {
  for (RowPath path : {RowPath::kAvx512, RowPath::kAvx2, RowPath::kSse2}) {
    if (const RowConversions* rows = RowConversionsOn(path)) return *rows;
  }
  return plain::kRows;
}

// Chosen once, on the first row converted.
const RowConversions& Rows() {
  static const RowConversions& chosen = ChooseRows();
  return chosen;
}

}  // namespace

const RowConversions* RowConversionsOn(RowPath path) {
  return path == RowPath::kPlain ? &plain::kRows : VectorRowsOn(path);
}

RowPath ChosenRowPath() {
  for (RowPath path : {RowPath::kAvx512, RowPath::kAvx2, RowPath::kSse2}) {
    if (RowConversionsOn(path) == &Rows()) return path;
  }
  return RowPath::kPlain;
}

void LabToRgbBytesRow(const LabWhite& white, const ColourTriple* lab, uint8_t* rgb, size_t count) {
  Rows().labToRgbBytes(white, lab, rgb, count);
}

void LabToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* lab, Pixel* pixels,
                   size_t count) {
  Rows().labToPixel(context, white, lab, pixels, count);
}

void LabTermsToOpaquePixelRow(const PluginContext* context, const LabWhite& usable, float lightness,
                              const float* aTerms, const float* bTerms, Pixel* pixels, size_t count) {
  Rows().labTermsToOpaquePixel(context, usable, lightness, aTerms, bTerms, pixels, count);
}

void CieHsvToPixelRow(const PluginContext* context, const LabWhite& white, const ColourTriple* cieHsv, Pixel* pixels,
                      size_t count) {
  Rows().cieHsvToPixel(context, white, cieHsv, pixels, count);
}

void HsvToPixelRow(const PluginContext* context, const ColourTriple* hsv, Pixel* pixels, size_t count) {
  Rows().hsvToPixel(context, hsv, pixels, count);
}

void HsvFixedHuesToPixelRow(const PluginContext* context, const int32_t* sectors, const float* fractions,
                            float saturation, float value, Pixel* pixels, size_t count) {
  Rows().hsvFixedHuesToPixel(context, sectors, fractions, saturation, value, pixels, count);
}

void NtscGamutCheckRow(const PluginContext* context, int32_t mode, const Pixel* pixels, int32_t* results,
                       size_t count) {
  Rows().ntscGamutCheck(context, mode, pixels, results, count);
}
