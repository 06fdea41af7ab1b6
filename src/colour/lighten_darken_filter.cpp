// Tintwell colour: the CIE lighten/darken filter pass.
//
// Layer: colour/. Pixel contract: 32-bit premultiplied pixels, channel bytes
// at the context's positions (alpha included), row after row. Lighten
// replaces every visible pixel whose luma (of its un-premultiplied colour) is
// below the colour's; darken every one above it. A replaced pixel gets the
// colour premultiplied by its own alpha, so alpha never changes and
// transparent pixels are never painted. The colour (the current colour, on
// the plug-in's pass) comes in as an argument in both its forms: its RGB
// floats give the luma the pixels are held against, its stored bytes the
// replacement.
//
// Every path takes the plain formula's decisions bit for bit. The vector
// paths (SSE2, and AVX2 where the processor has it, chosen at run time in
// both builds) decide most pixels without the formula's float arithmetic:
// one integer product of a pixel's bytes, its alpha's included (see
// kLumaScale), is within a known distance of the formula's comparison
// scaled, so a pixel clearly above or below the current luma is decided by
// it, and only pixels within that distance take the formula itself. They
// work out the replacement too, where the current colour is opaque.
// Passes over large pictures are shared among worker threads in bands; each
// pixel depends on itself only, so the bytes do not depend on the split.
//
// The 32-bit build is compiled assuming only 4-byte stack alignment (the
// host's), so the compiler realigns the stack of every function that keeps
// vector values there, AVX2 ones included.
//
// Sections:
//   the integer decision  the weights, the margin and the job a pass shares
//   the plain path        the formula, pixel by pixel
//   the vector lanes      SSE2 and AVX2 lane operations (the loop written once
//                         over them is lighten_darken_lanes.inc)
//   bands                 a band on the chosen path; the workers' loop over bands
//   setting up a pass     the integer weights, premultiplying, the layout check
//   entry points          the paths available, the pass itself
#include "colour/lighten_darken_filter.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <limits>

#include "colour/colour_constants.h"
#include "colour/colour_models.h"
#include "core/cpu_features.h"
#include "core/pixel_bytes.h"
#include "core/worker_threads.h"

#if defined(__SSE2__)
#include <immintrin.h>
#define TW_HAVE_VECTOR_PATHS 1
#endif

namespace {

// ---- the integer decision
//
// A pixel with bytes b (premultiplied by its alpha a) has the formula's
// luma (255 / a) * sum(k * b) (the float weights k) within a relative
// (1 + 2^-24)^4 - 1, about 2^-22 (the division, a product, two sums: four
// roundings on any path, of terms that are never negative). It is below
// the current luma Y when sum(k * b) - a * Y / 255 is clearly below 0, and
// above it when that is clearly above 0. With integer weights w = round(
// kLumaScale * k) for the colour bytes and -round(kLumaScale * Y / 255) for
// alpha's, one integer product of a pixel's four bytes with the four
// weights (its "excess") is kLumaScale times that difference within
// kExcessError. An excess more than kDecisionMargin from 0 decides the
// comparison; the formula decides the rest, a band of about a hundredth of
// a byte of luma for opaque pixels, 255 / a times that for others.
constexpr int32_t kLumaScale = 32767;  // alpha's weight, up to it, is a 16-bit multiplier
constexpr int32_t IntegerWeight(float weight) { return static_cast<int32_t>(weight * double(kLumaScale) + 0.5); }
constexpr int32_t kGreenWeight = IntegerWeight(colour::kLumaGreen);
constexpr int32_t kRedWeight = IntegerWeight(colour::kLumaRed);
constexpr int32_t kBlueWeight = IntegerWeight(colour::kLumaBlue);

constexpr double Distance(double a, double b) { return a > b ? a - b : b - a; }
// Bytes up to 255 times the weights' rounding, and alpha up to 255 times
// half a unit of its own.
constexpr double kExcessError = 255.0 * (Distance(kGreenWeight, colour::kLumaGreen * double(kLumaScale)) +
                                         Distance(kRedWeight, colour::kLumaRed * double(kLumaScale)) +
                                         Distance(kBlueWeight, colour::kLumaBlue * double(kLumaScale)) + 0.5);
// The formula's own rounding: Y (at most 255) times about 2^-22, scaled, and
// doubled (a luma that close to Y is within that relative error of it too).
constexpr double kFormulaError = 2.0 * 255.0 * kLumaScale / (1 << 22);
constexpr int32_t kDecisionMargin = static_cast<int32_t>(kExcessError + kFormulaError) + 1;
static_assert(kGreenWeight <= 32767 && kRedWeight <= 32767 && kBlueWeight <= 32767 && kLumaScale <= 32767,
              "every weight, alpha's (up to -kLumaScale) too, is a signed 16-bit multiplier");
static_assert(kDecisionMargin < kLumaScale / 32, "the formula's band stays narrow");

// Everything one pass needs, fixed for the whole image, and the bands its
// threads share.
struct FilterJob {
  const PluginContext* context;
  Pixel* source;
  Pixel* destination;
  ptrdiff_t count;
  FilterPath path;  // kScalar, kSse2 or kAvx2
  bool lighten;
  float currentLuma;  // Y of the current colour
  int32_t redShift, greenShift, blueShift, alphaShift;
  std::array<Pixel, 256> replacement;  // current colour premultiplied by each alpha

  // The weights of the byte positions 0 and 2 (even) and 1 and 3 (odd) as
  // 16-bit pairs, and the decision's margin (see above; the largest value
  // when the current luma leaves every pixel to the formula).
  int32_t evenWeights, oddWeights;
  int32_t margin;
  // When the current colour is opaque, each byte of its replacement for
  // alpha a is the colour's byte c (255 for alpha's own) times a / 255,
  // truncated: the high half of a * ceil(c * 65536 / 255) (exact for
  // integer c below 255, as a * c / 255 is then 1/255 off an integer or
  // on one), and a for c = 255: the high half of a * 65535, plus 1. The
  // vector paths then work out replacements instead of looking them up;
  // the multipliers are checked against the table for every alpha.
  bool premultiplyExact;
  int32_t evenMultipliers, oddMultipliers;  // bytes 0 and 2, 1 and 3, as 16-bit pairs
  Pixel fullBytes;                          // 1 in each byte whose c is 255

  ptrdiff_t bandLength;
  ptrdiff_t bandCount;
  std::atomic<ptrdiff_t> nextBand;
};

inline void Replace(const FilterJob& job, ptrdiff_t i, uint32_t alpha) {
  job.source[i] = job.replacement[alpha];
  job.destination[i] = job.replacement[alpha];
}

// The plain formula, pixel by pixel (also finishes the vector paths' tails).
void FilterScalar(const FilterJob& job, ptrdiff_t begin, ptrdiff_t end) {
  for (ptrdiff_t i = begin; i < end; ++i) {
    const Pixel pixel = job.source[i];
    const uint32_t alpha = (pixel >> job.alphaShift) & 0xffu;
    if (alpha == 0) continue;
    const float luma = PixelToYuv(job.context, pixel).c0;
    const bool replace = job.lighten ? luma < job.currentLuma : luma > job.currentLuma;
    if (replace) Replace(job, i, alpha);
  }
}

}  // namespace

#if defined(TW_HAVE_VECTOR_PATHS)

// The lane types and the operations whose SSE2 and AVX2 forms differ only
// in the intrinsics' prefix (_mm, _mm256) and whole-register suffix (si128,
// si256).
#define TW_LANE_OPERATIONS(prefix, whole)                                                                    \
  using Ints = decltype(prefix##_setzero_##whole());                                                         \
  using Floats = decltype(prefix##_setzero_ps());                                                            \
  static constexpr int kCount = sizeof(Floats) / sizeof(float);                                             \
  static Ints Load(const void* p) { return prefix##_loadu_##whole(static_cast<const Ints*>(p)); }           \
  static void Store(void* p, Ints v) { prefix##_storeu_##whole(static_cast<Ints*>(p), v); }                 \
  static Ints Set(int32_t v) { return prefix##_set1_epi32(v); }                                             \
  static Floats SetF(float v) { return prefix##_set1_ps(v); }                                               \
  static Ints Zero() { return prefix##_setzero_##whole(); }                                                 \
  static Ints And(Ints a, Ints b) { return prefix##_and_##whole(a, b); }                                    \
  static Ints Or(Ints a, Ints b) { return prefix##_or_##whole(a, b); }                                      \
  static Ints Add(Ints a, Ints b) { return prefix##_add_epi32(a, b); }                                      \
  static Ints CmpEq(Ints a, Ints b) { return prefix##_cmpeq_epi32(a, b); }                                  \
  static Ints CmpGt(Ints a, Ints b) { return prefix##_cmpgt_epi32(a, b); }                                  \
  static Ints ShiftWordsRight8(Ints v) { return prefix##_srli_epi16(v, 8); }                                \
  static Ints ShiftWordsLeft8(Ints v) { return prefix##_slli_epi16(v, 8); }                                  \
  static Ints ShiftRight16(Ints v) { return prefix##_srli_epi32(v, 16); }                                   \
  static Ints MulHighWords(Ints a, Ints b) { return prefix##_mulhi_epu16(a, b); }                           \
  static Ints AndNot(Ints a, Ints b) { return prefix##_andnot_##whole(a, b); }                              \
  static Ints MulAddWords(Ints a, Ints b) { return prefix##_madd_epi16(a, b); }                             \
  static Ints ShiftRight(Ints v, __m128i count) { return prefix##_srl_epi32(v, count); }                    \
  static Floats ToFloats(Ints v) { return prefix##_cvtepi32_ps(v); }                                        \
  static Floats AddF(Floats a, Floats b) { return prefix##_add_ps(a, b); }                                  \
  static Floats MulF(Floats a, Floats b) { return prefix##_mul_ps(a, b); }                                  \
  static Floats DivF(Floats a, Floats b) { return prefix##_div_ps(a, b); }                                  \
  static uint32_t MoveMask(Ints mask) { return static_cast<uint32_t>(prefix##_movemask_ps(prefix##_cast##whole##_ps(mask))); }

// Four pixels at a time with SSE2 (every processor either build runs on).
namespace sse2_lanes {
namespace {

struct Lanes {
  TW_LANE_OPERATIONS(_mm, si128)
  static Ints Less(Floats a, Floats b) { return _mm_castps_si128(_mm_cmplt_ps(a, b)); }
  static Ints Greater(Floats a, Floats b) { return _mm_castps_si128(_mm_cmpgt_ps(a, b)); }
  static Ints Select(Ints mask, Ints ifSet, Ints ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
  }
  static Ints FromWord(Pixel word) { return _mm_cvtsi32_si128(static_cast<int>(word)); }
  static Ints FromWords(Pixel a, Pixel b, Pixel c, Pixel d) {
    return _mm_unpacklo_epi64(_mm_unpacklo_epi32(FromWord(a), FromWord(b)),
                              _mm_unpacklo_epi32(FromWord(c), FromWord(d)));
  }
  // SSE2 has no gather: general registers index the memory.
  static Ints LookUp(const Pixel* table, Ints index) {
    return FromWords(table[_mm_extract_epi16(index, 0)], table[_mm_extract_epi16(index, 2)],
                     table[_mm_extract_epi16(index, 4)], table[_mm_extract_epi16(index, 6)]);
  }
  // Each pixel's alpha in both 16-bit halves of its lane.
  struct AlphaSpread {
    Ints mask;
    __m128i shift;
  };
  static AlphaSpread MakeAlphaSpread(int32_t alphaShift) {
    return {Set(static_cast<int32_t>(0xffu << alphaShift)), _mm_cvtsi32_si128(alphaShift)};
  }
  static Ints AlphaWords(Ints pixels, const AlphaSpread& spread) {
    const Ints alpha = _mm_srl_epi32(And(pixels, spread.mask), spread.shift);
    return Or(alpha, _mm_slli_epi32(alpha, 16));
  }
};

#include "colour/lighten_darken_lanes.inc"

}  // namespace
}  // namespace sse2_lanes

// Eight pixels at a time with AVX2, compiled for it whatever the build's
// baseline and used only where the processor has it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2_lanes {
namespace {

struct Lanes {
  TW_LANE_OPERATIONS(_mm256, si256)
  static Ints Less(Floats a, Floats b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_LT_OQ)); }
  static Ints Greater(Floats a, Floats b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GT_OQ)); }
  static Ints Select(Ints mask, Ints ifSet, Ints ifClear) { return _mm256_blendv_epi8(ifClear, ifSet, mask); }
  static Ints LookUp(const Pixel* table, Ints index) {
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4);
  }
  // Each pixel's alpha in both 16-bit halves of its lane: one byte shuffle.
  using AlphaSpread = Ints;
  static AlphaSpread MakeAlphaSpread(int32_t alphaShift) {
    alignas(32) int8_t order[32];
    for (int32_t byte = 0; byte < 32; ++byte) {
      order[byte] = byte % 2 ? int8_t{-128} : static_cast<int8_t>(byte % 16 / 4 * 4 + alphaShift / 8);
    }
    return Load(order);
  }
  static Ints AlphaWords(Ints pixels, AlphaSpread order) { return _mm256_shuffle_epi8(pixels, order); }
};

#include "colour/lighten_darken_lanes.inc"

}  // namespace
}  // namespace avx2_lanes
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#undef TW_LANE_OPERATIONS

#endif  // TW_HAVE_VECTOR_PATHS

namespace {

bool HasAvx2() {
#if defined(TW_HAVE_VECTOR_PATHS)
  return CpuHasAvx2();
#else
  return false;
#endif
}

void FilterBand(const FilterJob& job, ptrdiff_t begin, ptrdiff_t end) {
  ptrdiff_t done = begin;
#if defined(TW_HAVE_VECTOR_PATHS)
  if (job.path == FilterPath::kAvx2) done = avx2_lanes::FilterRange(job, begin, end);
  if (job.path == FilterPath::kSse2) done = sse2_lanes::FilterRange(job, begin, end);
#endif
  FilterScalar(job, done, end);
}

// What each thread runs: bands claimed one at a time until none is left.
void FilterBands(void* data) {
  FilterJob& job = *static_cast<FilterJob*>(data);
  for (;;) {
    const ptrdiff_t band = job.nextBand.fetch_add(1, std::memory_order_relaxed);
    if (band >= job.bandCount) return;
    const ptrdiff_t begin = band * job.bandLength;
    FilterBand(job, begin, std::min(job.count, begin + job.bandLength));
  }
}

// Automatic bands: 64K pixels (256 KB) each, few enough for the claiming to
// cost nothing and many enough to even out threads that the system runs
// unevenly. Pictures of fewer than four bands stay on the calling thread:
// waking the workers would cost more than they save.
constexpr ptrdiff_t kAutoBandLength = ptrdiff_t{1} << 16;
constexpr ptrdiff_t kMinBandsForThreads = 4;

// The weights of the integer decision. A current luma that is not a number
// between 0 and 255 leaves every pixel to the formula: above 255 alpha's
// weight would not fit, and the error bound holds for such lumas only.
void SetIntegerDecision(FilterJob* job, const PluginContext* context) {
  int32_t weights[4] = {0, 0, 0, 0};
  weights[context->RedPosition & 3] += kRedWeight;
  weights[context->GreenPosition & 3] += kGreenWeight;
  weights[context->BluePosition & 3] += kBlueWeight;
  job->margin = kDecisionMargin;
  const double y = job->currentLuma;
  if (y >= 0.0 && y <= 255.0) {
    weights[context->AlphaPosition & 3] = -static_cast<int32_t>(y * kLumaScale / 255.0 + 0.5);
  } else {
    job->margin = std::numeric_limits<int32_t>::max();
  }
  const auto pair = [](int32_t low, int32_t high) {
    return static_cast<int32_t>((static_cast<uint32_t>(low) & 0xffffu) | static_cast<uint32_t>(high) << 16);
  };
  job->evenWeights = pair(weights[0], weights[2]);
  job->oddWeights = pair(weights[1], weights[3]);
}

// Whether the replacement table is what the vector paths work out, and
// what they work it out with.
void SetPremultiply(FilterJob* job) {
  uint32_t multipliers[4];
  job->fullBytes = 0;
  for (int32_t position = 0; position < 4; ++position) {
    const uint32_t byte = position * 8 == job->alphaShift ? 255u : job->replacement[255] >> (position * 8) & 0xffu;
    multipliers[position] = byte == 255u ? 0xffffu : (byte * 65536u + 254u) / 255u;
    if (byte == 255u) job->fullBytes |= 1u << (position * 8);
  }
  job->evenMultipliers = static_cast<int32_t>(multipliers[0] | multipliers[2] << 16);
  job->oddMultipliers = static_cast<int32_t>(multipliers[1] | multipliers[3] << 16);
  job->premultiplyExact = true;
  for (uint32_t alpha = 1; alpha < 256; ++alpha) {
    Pixel pixel = job->fullBytes;
    for (int32_t position = 0; position < 4; ++position) {
      pixel += (alpha * multipliers[position] >> 16) << (position * 8);
    }
    if (pixel != job->replacement[alpha]) job->premultiplyExact = false;
  }
}

bool PositionsDistinct(const PluginContext* context) {
  const uint32_t used = 1u << (context->RedPosition & 3) | 1u << (context->GreenPosition & 3) |
                        1u << (context->BluePosition & 3) | 1u << (context->AlphaPosition & 3);
  return used == 0xfu;
}

}  // namespace

bool FilterPathAvailable(FilterPath path) {
  switch (path) {
    case FilterPath::kAuto:
    case FilterPath::kScalar:
      return true;
    case FilterPath::kSse2:
#if defined(TW_HAVE_VECTOR_PATHS)
      return true;
#else
      return false;
#endif
    case FilterPath::kAvx2:
      return HasAvx2();
  }
  return false;
}

void CieLightenDarkenFilterOnPath(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten,
                                  const PixelAndRgb& colour, FilterPath path, int32_t threads) {
  const float currentLuma = RgbToYuv(colour.rgb).c0;
  if (!source || !destination || !source->Pixels || !destination->Pixels) return;
  if (source->Width != destination->Width || source->Height != destination->Height) return;
  if (source->Width <= 0 || source->Height <= 0) return;
  const int64_t count = static_cast<int64_t>(source->Width) * source->Height;
  // A picture larger than the address space cannot be a real buffer.
  if (count > static_cast<int64_t>(std::numeric_limits<ptrdiff_t>::max() / sizeof(Pixel))) return;

  FilterJob job;
  job.context = context;
  job.source = source->Pixels;
  job.destination = destination->Pixels;
  job.count = static_cast<ptrdiff_t>(count);
  job.currentLuma = currentLuma;
  job.lighten = lighten != 0;
  job.redShift = static_cast<int32_t>(ChannelShift(context->RedPosition));
  job.greenShift = static_cast<int32_t>(ChannelShift(context->GreenPosition));
  job.blueShift = static_cast<int32_t>(ChannelShift(context->BluePosition));
  job.alphaShift = static_cast<int32_t>(ChannelShift(context->AlphaPosition));
  // The replacement depends only on the pixel's alpha.
  ColourTriple current = PixelToRgb(context, colour.pixel);
  for (int32_t alpha = 0; alpha < 256; ++alpha) {
    current.alpha = alpha;
    job.replacement[static_cast<size_t>(alpha)] = RgbToPixel(context, current);
  }
  SetIntegerDecision(&job, context);
  SetPremultiply(&job);

  if (path == FilterPath::kAuto) path = HasAvx2() ? FilterPath::kAvx2 : FilterPath::kSse2;
  // The vector paths are held to the formula for layouts that give each
  // channel a byte of its own; a layout that shares a byte (no host's) takes
  // the plain path.
  if (!FilterPathAvailable(path) || !PositionsDistinct(context)) path = FilterPath::kScalar;
  job.path = path;

  if (threads <= 0) {
    job.bandLength = kAutoBandLength;
    job.bandCount = (job.count + kAutoBandLength - 1) / kAutoBandLength;
    threads = job.bandCount >= kMinBandsForThreads ? UsableProcessorCount() : 1;
  } else {
    // Three bands a thread, of whatever length that makes (odd ones too).
    job.bandCount = std::min<ptrdiff_t>(job.count, ptrdiff_t{3} * threads);
    job.bandLength = (job.count + job.bandCount - 1) / job.bandCount;
    job.bandCount = (job.count + job.bandLength - 1) / job.bandLength;
  }
  job.nextBand.store(0, std::memory_order_relaxed);
  RunOnWorkerThreads(static_cast<int32_t>(std::min<ptrdiff_t>(threads, job.bandCount)), FilterBands, &job);
}

void CieLightenDarkenFilter(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten,
                            const PixelAndRgb& colour) {
  CieLightenDarkenFilterOnPath(context, source, destination, lighten, colour, FilterPath::kAuto);
}
