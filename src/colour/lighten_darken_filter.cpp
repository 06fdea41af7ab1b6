// Tintwell colour: the CIE lighten/darken filter pass and its trigger.
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
// same order), so they take the same decisions bit for bit; groups without a
// partly transparent pixel skip the division, which is the identity for
// opaque pixels (b * 255 / 255 == b) and irrelevant for transparent ones.
#include "colour/lighten_darken_filter.h"

#include <array>

#include "colour/colour_models.h"
#include "host/host_calls.h"
#include "panel/button_bitmaps.h"
#include "plugin/plugin_state.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define TW_HAVE_AVX2_PATH 1
#endif

namespace {

constexpr int32_t kLampGreen = 1;
constexpr int32_t kLampRed = 2;
constexpr int32_t kLampLime = 3;
constexpr int32_t kLampOrange = 4;

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

inline uint32_t Shift(int8_t position) { return 8u * static_cast<uint32_t>(position & 3); }

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

#if defined(__SSE2__)
int64_t FilterSse2(const FilterJob& job) {
  const __m128i byteMask = _mm_set1_epi32(0xff);
  const __m128i opaque = _mm_set1_epi32(0xff);
  const __m128i zero = _mm_setzero_si128();
  const __m128i redShift = _mm_cvtsi32_si128(static_cast<int>(job.redShift));
  const __m128i greenShift = _mm_cvtsi32_si128(static_cast<int>(job.greenShift));
  const __m128i blueShift = _mm_cvtsi32_si128(static_cast<int>(job.blueShift));
  const __m128i alphaShift = _mm_cvtsi32_si128(static_cast<int>(job.alphaShift));
  const __m128 scale = _mm_set1_ps(255.0f);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 greenWeight = _mm_set1_ps(0.587f);
  const __m128 redWeight = _mm_set1_ps(0.299f);
  const __m128 blueWeight = _mm_set1_ps(0.114f);
  const __m128 currentLuma = _mm_set1_ps(job.currentLuma);
  const __m128i opaqueReplacement = _mm_set1_epi32(static_cast<int>(job.replacement[255]));
  const bool inPlace = job.source == job.destination;
  int64_t i = 0;
  for (; i + 4 <= job.count; i += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(job.source + i));
    const __m128i alpha = _mm_and_si128(_mm_srl_epi32(pixels, alphaShift), byteMask);
    __m128 r = _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(pixels, redShift), byteMask));
    __m128 g = _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(pixels, greenShift), byteMask));
    __m128 b = _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(pixels, blueShift), byteMask));
    const __m128i visible = _mm_cmpgt_epi32(alpha, zero);
    // Opaque lanes divide exactly to themselves and transparent lanes are
    // masked out, so only partly transparent lanes need the division.
    const bool anyPartial = _mm_movemask_epi8(_mm_andnot_si128(_mm_cmpeq_epi32(alpha, opaque), visible)) != 0;
    if (anyPartial) {
      // Transparent lanes divide by 1 instead of 0; they are masked out below.
      const __m128 a = _mm_max_ps(_mm_cvtepi32_ps(alpha), one);
      r = _mm_div_ps(_mm_mul_ps(r, scale), a);
      g = _mm_div_ps(_mm_mul_ps(g, scale), a);
      b = _mm_div_ps(_mm_mul_ps(b, scale), a);
    }
    const __m128 luma =
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(greenWeight, g), _mm_mul_ps(redWeight, r)), _mm_mul_ps(blueWeight, b));
    const __m128 decision = job.lighten ? _mm_cmplt_ps(luma, currentLuma) : _mm_cmpgt_ps(luma, currentLuma);
    const __m128i replace = _mm_and_si128(_mm_castps_si128(decision), visible);
    const int lanes = _mm_movemask_ps(_mm_castsi128_ps(replace));
    if (lanes == 0) continue;
    if (!inPlace) {
      alignas(16) uint32_t alphas[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(alphas), alpha);
      for (int k = 0; k < 4; ++k) {
        if (lanes & (1 << k)) Replace(job, i + k, alphas[k]);
      }
      continue;
    }
    // Transparent lanes are never replaced, so without a partly transparent
    // lane every replacement is the opaque one.
    __m128i replacement = opaqueReplacement;
    if (anyPartial) {
      alignas(16) uint32_t alphas[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(alphas), alpha);
      replacement = _mm_set_epi32(static_cast<int>(job.replacement[alphas[3]]),
                                  static_cast<int>(job.replacement[alphas[2]]),
                                  static_cast<int>(job.replacement[alphas[1]]),
                                  static_cast<int>(job.replacement[alphas[0]]));
    }
    const __m128i out = _mm_or_si128(_mm_and_si128(replace, replacement), _mm_andnot_si128(replace, pixels));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(job.source + i), out);
  }
  return i;
}
#endif

#if defined(TW_HAVE_AVX2_PATH)
__attribute__((target("avx2"))) int64_t FilterAvx2(const FilterJob& job) {
  const __m256i byteMask = _mm256_set1_epi32(0xff);
  const __m256i opaque = _mm256_set1_epi32(0xff);
  const __m256i zero = _mm256_setzero_si256();
  const __m128i redShift = _mm_cvtsi32_si128(static_cast<int>(job.redShift));
  const __m128i greenShift = _mm_cvtsi32_si128(static_cast<int>(job.greenShift));
  const __m128i blueShift = _mm_cvtsi32_si128(static_cast<int>(job.blueShift));
  const __m128i alphaShift = _mm_cvtsi32_si128(static_cast<int>(job.alphaShift));
  const __m256 scale = _mm256_set1_ps(255.0f);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 greenWeight = _mm256_set1_ps(0.587f);
  const __m256 redWeight = _mm256_set1_ps(0.299f);
  const __m256 blueWeight = _mm256_set1_ps(0.114f);
  const __m256 currentLuma = _mm256_set1_ps(job.currentLuma);
  const __m256i opaqueReplacement = _mm256_set1_epi32(static_cast<int>(job.replacement[255]));
  const bool inPlace = job.source == job.destination;
  int64_t i = 0;
  for (; i + 8 <= job.count; i += 8) {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(job.source + i));
    const __m256i alpha = _mm256_and_si256(_mm256_srl_epi32(pixels, alphaShift), byteMask);
    __m256 r = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srl_epi32(pixels, redShift), byteMask));
    __m256 g = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srl_epi32(pixels, greenShift), byteMask));
    __m256 b = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srl_epi32(pixels, blueShift), byteMask));
    const __m256i visible = _mm256_cmpgt_epi32(alpha, zero);
    const __m256i isOpaque = _mm256_cmpeq_epi32(alpha, opaque);
    const bool anyPartial = _mm256_movemask_epi8(_mm256_andnot_si256(isOpaque, visible)) != 0;
    if (anyPartial) {
      const __m256 a = _mm256_max_ps(_mm256_cvtepi32_ps(alpha), one);
      r = _mm256_div_ps(_mm256_mul_ps(r, scale), a);
      g = _mm256_div_ps(_mm256_mul_ps(g, scale), a);
      b = _mm256_div_ps(_mm256_mul_ps(b, scale), a);
    }
    const __m256 luma = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(greenWeight, g), _mm256_mul_ps(redWeight, r)),
                                      _mm256_mul_ps(blueWeight, b));
    const __m256 decision = job.lighten ? _mm256_cmp_ps(luma, currentLuma, _CMP_LT_OQ)
                                        : _mm256_cmp_ps(luma, currentLuma, _CMP_GT_OQ);
    const __m256i replace = _mm256_and_si256(_mm256_castps_si256(decision), visible);
    const int lanes = _mm256_movemask_ps(_mm256_castsi256_ps(replace));
    if (lanes == 0) continue;
    if (!inPlace) {
      alignas(32) uint32_t alphas[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(alphas), alpha);
      for (int k = 0; k < 8; ++k) {
        if (lanes & (1 << k)) Replace(job, i + k, alphas[k]);
      }
      continue;
    }
    const __m256i replacement =
        !anyPartial ? opaqueReplacement
                    : _mm256_i32gather_epi32(reinterpret_cast<const int*>(job.replacement.data()), alpha, 4);
    const __m256i out = _mm256_blendv_epi8(pixels, replacement, replace);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(job.source + i), out);
  }
  return i;
}
#endif

bool LampButtonPresent() { return GState.PanelRequester != 0 && GState.ShowFxBrush != 0; }

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
  job.redShift = Shift(context->RedPosition);
  job.greenShift = Shift(context->GreenPosition);
  job.blueShift = Shift(context->BluePosition);
  job.alphaShift = Shift(context->AlphaPosition);
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

// Shows the busy lamp, has the host run the pass (through our own "d" or "l"
// command, or its own stack apply), keeps a spare copy and undoes the stroke
// it replaces, then shows the resting lamp.
void RunPaintModeFilter(PluginContext* context, int32_t request) {
  if (!(GState.PaintModeBits & kPaintLampAlt) && request == 0) return;
  if (LampButtonPresent()) ShowLamp(context, (GState.PaintModeBits & kPaintLampAlt) ? kLampOrange : kLampRed);
  const char* command = "tv_stackapply";
  if (GState.PaintModeBits & kPaintCieDarken) {
    command = "tv_plugin \"tintwell\" cmd \"d\"";
  } else if (GState.PaintModeBits & kPaintCieLighten) {
    command = "tv_plugin \"tintwell\" cmd \"l\"";
  }
  HostSendCommand(context, command, nullptr);
  HostSendCommand(context, "tv_sparecopy", nullptr);
  HostSendCommand(context, "tv_undo", nullptr);
  if (LampButtonPresent()) ShowLamp(context, (GState.PaintModeBits & kPaintLampAlt) ? kLampLime : kLampGreen);
}
