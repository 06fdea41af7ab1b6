// Tintwell colour: the CIE lighten/darken filter pass.
//
// Layer: colour/. Pixel contract: 32-bit premultiplied pixels, channel bytes
// at the context's positions (alpha included), row after row. Lighten
// replaces every visible pixel whose luma (of its un-premultiplied colour) is
// below the current colour's; darken every one above it. A replaced pixel
// gets the current colour premultiplied by its own alpha, so alpha never
// changes and transparent pixels are never painted.
//
// The vector paths compute exactly the float operations of the plain path
// (conversion, multiply by 255, IEEE division by alpha, the luma sum in the
// same order), so they take the same decisions bit for bit. For opaque
// pixels the division is the identity (b * 255 / 255 == b), so they are
// decided straight from their bytes; partly transparent pixels go through
// the division in vector batches of their own (see kBlock), and transparent
// ones are never replaced. No step branches on the pixels' values.
#include "colour/lighten_darken_filter.h"

#include <algorithm>
#include <array>

#include "colour/colour_constants.h"
#include "colour/colour_models.h"
#include "core/pixel_bytes.h"
#include "core/plugin_state.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define TW_HAVE_AVX2_PATH 1
#endif

namespace {

// Everything one pass needs, fixed for the whole image.
struct FilterJob {
  Pixel* source;
  Pixel* destination;
  int64_t count;
  float currentLuma;  // Y of the current colour
  bool lighten;
  uint32_t redShift, greenShift, blueShift, alphaShift;
  std::array<Pixel, 256> replacement;  // current colour premultiplied by each alpha
};


inline void Replace(const FilterJob& job, int64_t i, uint32_t alpha) {
  job.source[i] = job.replacement[alpha];
  job.destination[i] = job.replacement[alpha];
}

// The plain formula, pixel by pixel (also finishes the vector paths' tails).
void FilterScalar(const FilterJob& job, const PluginContext* context, int64_t begin) {
  for (int64_t i = begin; i < job.count; ++i) {
    const Pixel pixel = job.source[i];
    const uint32_t alpha = (pixel >> job.alphaShift) & 0xffu;
    if (alpha == 0) continue;
    const float luma = PixelToYuv(context, pixel).c0;
    const bool replace = job.lighten ? luma < job.currentLuma : luma > job.currentLuma;
    if (replace) Replace(job, i, alpha);
  }
}

// The vector paths work in blocks of this many pixels: opaque pixels are
// decided in the main loop, and the places of each block's partly
// transparent pixels, packed into a list that stays in L1, are finished
// through the full formula at the end of the block.
constexpr int64_t kBlock = 512;

// For each 4-bit lane mask, the lanes whose bit is set, in order (the rest
// 0), and how many there are: adding a group's first place gives the places
// to append to the list, with no branch.
constexpr std::array<std::array<int32_t, 4>, 16> MakePackedLanes4() {
  std::array<std::array<int32_t, 4>, 16> lanes{};
  for (uint32_t mask = 0; mask < 16; ++mask) {
    int packed = 0;
    for (int32_t lane = 0; lane < 4; ++lane) {
      if (mask & (1u << lane)) lanes[mask][static_cast<size_t>(packed++)] = lane;
    }
  }
  return lanes;
}
constexpr std::array<std::array<int32_t, 4>, 16> kPackedLanes4 = MakePackedLanes4();
constexpr std::array<int, 16> kLaneCount4 = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

#if defined(__SSE2__)
// Four pixels at a time. Opaque lanes need no division (b * 255 / 255 == b),
// so the main loop un-premultiplies nothing and replaces opaque pixels only;
// partly transparent lanes are packed into the block's list without a
// branch, and the list is finished four at a time with the division (a
// branch per group on "any partly transparent pixel here" mispredicts badly
// when such pixels are scattered, and dividing every lane costs three
// divisions per group). Transparent lanes are never replaced.
int64_t FilterSse2(const FilterJob& job) {
  int32_t packedPlaces[kBlock + 4];
  Pixel finished[4];
  Pixel* const source = job.source;
  Pixel* const destination = job.destination;
  const int64_t count = job.count;
  const bool lighten = job.lighten;
  const bool inPlace = source == destination;
  const Pixel* const replacementTable = job.replacement.data();
  const __m128i byteMask = _mm_set1_epi32(0xff);
  const __m128i zero = _mm_setzero_si128();
  const __m128i redShift = _mm_cvtsi32_si128(static_cast<int>(job.redShift));
  const __m128i greenShift = _mm_cvtsi32_si128(static_cast<int>(job.greenShift));
  const __m128i blueShift = _mm_cvtsi32_si128(static_cast<int>(job.blueShift));
  const __m128i alphaShift = _mm_cvtsi32_si128(static_cast<int>(job.alphaShift));
  const __m128 scale = _mm_set1_ps(255.0f);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 greenWeight = _mm_set1_ps(colour::kLumaGreen);
  const __m128 redWeight = _mm_set1_ps(colour::kLumaRed);
  const __m128 blueWeight = _mm_set1_ps(colour::kLumaBlue);
  const __m128 currentLuma = _mm_set1_ps(job.currentLuma);
  const __m128i opaqueReplacement = _mm_set1_epi32(static_cast<int>(job.replacement[255]));
  // The luma and the decision, the same float operations as the plain path.
  const auto replaceMask = [&](__m128 r, __m128 g, __m128 b) {
    const __m128 luma =
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(greenWeight, g), _mm_mul_ps(redWeight, r)), _mm_mul_ps(blueWeight, b));
    return _mm_castps_si128(lighten ? _mm_cmplt_ps(luma, currentLuma) : _mm_cmpgt_ps(luma, currentLuma));
  };
  const auto channel = [&](__m128i pixels, __m128i shift) {
    return _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(pixels, shift), byteMask));
  };

  int64_t i = 0;
  while (i + 4 <= count) {
    const int64_t blockStart = i;
    const int64_t blockEnd = blockStart + std::min(kBlock, (count - blockStart) / 4 * 4);
    int packed = 0;
    for (; i < blockEnd; i += 4) {
      const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
      const __m128i alpha = _mm_and_si128(_mm_srl_epi32(pixels, alphaShift), byteMask);
      const __m128i opaque = _mm_cmpeq_epi32(alpha, byteMask);
      const __m128i partial = _mm_andnot_si128(opaque, _mm_cmpgt_epi32(alpha, zero));
      const uint32_t partialLanes = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(partial)));
      _mm_storeu_si128(
          reinterpret_cast<__m128i*>(packedPlaces + packed),
          _mm_add_epi32(_mm_set1_epi32(static_cast<int>(i - blockStart)),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPackedLanes4[partialLanes].data()))));
      packed += kLaneCount4[partialLanes];

      const __m128i replace = _mm_and_si128(
          replaceMask(channel(pixels, redShift), channel(pixels, greenShift), channel(pixels, blueShift)), opaque);
      const __m128i chosen = _mm_and_si128(replace, opaqueReplacement);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(source + i), _mm_or_si128(chosen, _mm_andnot_si128(replace, pixels)));
      if (!inPlace) {
        __m128i* const target = reinterpret_cast<__m128i*>(destination + i);
        _mm_storeu_si128(target, _mm_or_si128(chosen, _mm_andnot_si128(replace, _mm_loadu_si128(target))));
      }
    }
    // The block's partly transparent pixels, four at a time (they are still
    // as they were); lanes past the end of the list read the block's first
    // pixel, and their results are dropped.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(packedPlaces + packed), zero);
    const Pixel* const block = source + blockStart;
    for (int first = 0; first < packed; first += 4) {
      const int32_t* const places = packedPlaces + first;
      const __m128i pixels =
          _mm_unpacklo_epi64(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(block[places[0]])),
                                                _mm_cvtsi32_si128(static_cast<int>(block[places[1]]))),
                             _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(block[places[2]])),
                                                _mm_cvtsi32_si128(static_cast<int>(block[places[3]]))));
      const __m128i alpha = _mm_and_si128(_mm_srl_epi32(pixels, alphaShift), byteMask);
      const __m128 a = _mm_max_ps(_mm_cvtepi32_ps(alpha), one);
      const __m128 r = _mm_div_ps(_mm_mul_ps(channel(pixels, redShift), scale), a);
      const __m128 g = _mm_div_ps(_mm_mul_ps(channel(pixels, greenShift), scale), a);
      const __m128 b = _mm_div_ps(_mm_mul_ps(channel(pixels, blueShift), scale), a);
      const __m128i replace = replaceMask(r, g, b);
      // SSE2 has no gather: the four alphas index the table through general
      // registers.
      const __m128i replacement = _mm_unpacklo_epi64(
          _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(replacementTable[_mm_extract_epi16(alpha, 0)])),
                             _mm_cvtsi32_si128(static_cast<int>(replacementTable[_mm_extract_epi16(alpha, 2)]))),
          _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(replacementTable[_mm_extract_epi16(alpha, 4)])),
                             _mm_cvtsi32_si128(static_cast<int>(replacementTable[_mm_extract_epi16(alpha, 6)]))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(finished),
                       _mm_or_si128(_mm_and_si128(replace, replacement), _mm_andnot_si128(replace, pixels)));
      const int lanes = std::min(4, packed - first);
      const uint32_t replaced = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(replace)));
      for (int k = 0; k < lanes; ++k) {
        const int64_t place = blockStart + packedPlaces[first + k];
        source[place] = finished[k];
        if (!inPlace && (replaced & (1u << k))) destination[place] = finished[k];
      }
    }
  }
  return i;
}
#endif

#if defined(TW_HAVE_AVX2_PATH)
// For each 8-bit lane mask, the lanes whose bit is set, in order, one byte
// each (the rest 0), as for four lanes above.
constexpr std::array<uint64_t, 256> MakePackOrder() {
  std::array<uint64_t, 256> order{};
  for (uint32_t mask = 0; mask < 256; ++mask) {
    uint64_t lanes = 0;
    int packed = 0;
    for (uint64_t lane = 0; lane < 8; ++lane) {
      if (mask & (1u << lane)) lanes |= lane << (8 * packed++);
    }
    order[mask] = lanes;
  }
  return order;
}
constexpr std::array<uint64_t, 256> kPackOrder = MakePackOrder();

// Eight pixels at a time, in the same blocks and steps as the SSE2 path; the
// list's pixels and their replacements come from gathers.
__attribute__((target("avx2,popcnt"))) int64_t FilterAvx2(const FilterJob& job) {
  int32_t packedPlaces[kBlock + 8];
  Pixel finished[8];
  Pixel* const source = job.source;
  Pixel* const destination = job.destination;
  const int64_t count = job.count;
  const bool lighten = job.lighten;
  const bool inPlace = source == destination;
  const int* const replacementTable = reinterpret_cast<const int*>(job.replacement.data());
  const __m256i byteMask = _mm256_set1_epi32(0xff);
  const __m256i zero = _mm256_setzero_si256();
  const __m128i redShift = _mm_cvtsi32_si128(static_cast<int>(job.redShift));
  const __m128i greenShift = _mm_cvtsi32_si128(static_cast<int>(job.greenShift));
  const __m128i blueShift = _mm_cvtsi32_si128(static_cast<int>(job.blueShift));
  const __m128i alphaShift = _mm_cvtsi32_si128(static_cast<int>(job.alphaShift));
  const __m256 scale = _mm256_set1_ps(255.0f);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 greenWeight = _mm256_set1_ps(colour::kLumaGreen);
  const __m256 redWeight = _mm256_set1_ps(colour::kLumaRed);
  const __m256 blueWeight = _mm256_set1_ps(colour::kLumaBlue);
  const __m256 currentLuma = _mm256_set1_ps(job.currentLuma);
  const __m256i opaqueReplacement = _mm256_set1_epi32(static_cast<int>(job.replacement[255]));
  // The luma and the decision, the same float operations as the plain path.
  const auto replaceMask = [&](__m256 r, __m256 g, __m256 b) __attribute__((target("avx2"))) {
    const __m256 luma = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(greenWeight, g), _mm256_mul_ps(redWeight, r)),
                                      _mm256_mul_ps(blueWeight, b));
    return _mm256_castps_si256(lighten ? _mm256_cmp_ps(luma, currentLuma, _CMP_LT_OQ)
                                       : _mm256_cmp_ps(luma, currentLuma, _CMP_GT_OQ));
  };
  const auto channel = [&](__m256i pixels, __m128i shift) __attribute__((target("avx2"))) {
    return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srl_epi32(pixels, shift), byteMask));
  };

  int64_t i = 0;
  while (i + 8 <= count) {
    const int64_t blockStart = i;
    const int64_t blockEnd = blockStart + std::min(kBlock, (count - blockStart) / 8 * 8);
    int packed = 0;
    for (; i < blockEnd; i += 8) {
      const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
      const __m256i alpha = _mm256_and_si256(_mm256_srl_epi32(pixels, alphaShift), byteMask);
      const __m256i opaque = _mm256_cmpeq_epi32(alpha, byteMask);
      const __m256i partial = _mm256_andnot_si256(opaque, _mm256_cmpgt_epi32(alpha, zero));
      const uint32_t partialLanes = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(partial)));
      const __m256i order =
          _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&kPackOrder[partialLanes])));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(packedPlaces + packed),
                          _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(i - blockStart)), order));
      packed += __builtin_popcount(partialLanes);

      const __m256i replace = _mm256_and_si256(
          replaceMask(channel(pixels, redShift), channel(pixels, greenShift), channel(pixels, blueShift)), opaque);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(source + i),
                          _mm256_blendv_epi8(pixels, opaqueReplacement, replace));
      if (!inPlace) {
        __m256i* const target = reinterpret_cast<__m256i*>(destination + i);
        _mm256_storeu_si256(target, _mm256_blendv_epi8(_mm256_loadu_si256(target), opaqueReplacement, replace));
      }
    }
    // The block's partly transparent pixels, eight at a time (they are still
    // as they were); lanes past the end of the list read the block's first
    // pixel, and their results are dropped.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(packedPlaces + packed), zero);
    const int* const block = reinterpret_cast<const int*>(source + blockStart);
    for (int first = 0; first < packed; first += 8) {
      const __m256i places = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(packedPlaces + first));
      const __m256i pixels = _mm256_i32gather_epi32(block, places, 4);
      const __m256i alpha = _mm256_and_si256(_mm256_srl_epi32(pixels, alphaShift), byteMask);
      const __m256 a = _mm256_max_ps(_mm256_cvtepi32_ps(alpha), one);
      const __m256 r = _mm256_div_ps(_mm256_mul_ps(channel(pixels, redShift), scale), a);
      const __m256 g = _mm256_div_ps(_mm256_mul_ps(channel(pixels, greenShift), scale), a);
      const __m256 b = _mm256_div_ps(_mm256_mul_ps(channel(pixels, blueShift), scale), a);
      const __m256i replace = replaceMask(r, g, b);
      const __m256i replacement = _mm256_i32gather_epi32(replacementTable, alpha, 4);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(finished), _mm256_blendv_epi8(pixels, replacement, replace));
      const int lanes = std::min(8, packed - first);
      const uint32_t replaced = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(replace)));
      for (int k = 0; k < lanes; ++k) {
        const int64_t place = blockStart + packedPlaces[first + k];
        source[place] = finished[k];
        if (!inPlace && (replaced & (1u << k))) destination[place] = finished[k];
      }
    }
  }
  return i;
}
#endif

}  // namespace

bool FilterPathAvailable(FilterPath path) {
  switch (path) {
    case FilterPath::kAuto:
    case FilterPath::kScalar:
      return true;
    case FilterPath::kSse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case FilterPath::kAvx2:
#if defined(TW_HAVE_AVX2_PATH)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

void CieLightenDarkenFilterOnPath(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten,
                                  FilterPath path) {
  const float currentLuma = RgbToYuv(GState.CurrentRgb).c0;
  if (!source || !destination || !source->Pixels || !destination->Pixels) return;
  if (source->Width != destination->Width || source->Height != destination->Height) return;
  if (source->Width <= 0 || source->Height <= 0) return;

  FilterJob job;
  job.source = source->Pixels;
  job.destination = destination->Pixels;
  job.count = static_cast<int64_t>(source->Width) * source->Height;
  job.currentLuma = currentLuma;
  job.lighten = lighten != 0;
  job.redShift = ChannelShift(context->RedPosition);
  job.greenShift = ChannelShift(context->GreenPosition);
  job.blueShift = ChannelShift(context->BluePosition);
  job.alphaShift = ChannelShift(context->AlphaPosition);
  // The replacement depends only on the pixel's alpha.
  ColourTriple current = PixelToRgb(context, GState.CurrentPixel);
  for (int32_t alpha = 0; alpha < 256; ++alpha) {
    current.alpha = alpha;
    job.replacement[static_cast<size_t>(alpha)] = RgbToPixel(context, current);
  }

  if (path == FilterPath::kAuto) {
    path = FilterPathAvailable(FilterPath::kAvx2) ? FilterPath::kAvx2 : FilterPath::kSse2;
  }
  if (!FilterPathAvailable(path)) path = FilterPath::kScalar;
  int64_t done = 0;
  switch (path) {
#if defined(TW_HAVE_AVX2_PATH)
    case FilterPath::kAvx2:
      done = FilterAvx2(job);
      break;
#endif
#if defined(__SSE2__)
    case FilterPath::kSse2:
      done = FilterSse2(job);
      break;
#endif
    default:
      break;
  }
  FilterScalar(job, context, done);
}

void CieLightenDarkenFilter(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten) {
  CieLightenDarkenFilterOnPath(context, source, destination, lighten, FilterPath::kAuto);
}
