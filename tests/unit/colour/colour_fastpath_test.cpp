// Tests of colour/colour_rows: the batch conversions of every vector path
// this processor runs against the single routines, bit for bit, and their
// byte tables against the encoding for every float the tables cover.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/colour_rows.h"
#include "colour/panel_models.h"
#include "colour/srgb_byte_tables.h"
#include "colour_test_support.h"
#include "support/sweep.h"

namespace {

class ColourRows : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPluginState();
    colourtest::UseDefaultWhite();
  }
  void TearDown() override { ResetPluginState(); }
};

// The default white, D65 itself, an equal-energy white and D50.
const float kWhites[][3] = {{95.147f, 100.1f, 108.983f}, {95.047f, 100.0f, 108.883f}, {100.0f, 100.0f, 100.0f},
                            {96.422f, 100.0f, 82.521f}};

// The vector paths this build and processor can run (SSE2 everywhere, AVX2
// and AVX-512 where the processor has them); the plain path is the single
// routines themselves.
struct VectorPath {
  const char* name;
  const RowConversions* rows;
};
std::vector<VectorPath> VectorPaths() {
  std::vector<VectorPath> paths;
  for (const VectorPath& path : {VectorPath{"SSE2", RowConversionsOn(RowPath::kSse2)},
                                 VectorPath{"AVX2", RowConversionsOn(RowPath::kAvx2)},
                                 VectorPath{"AVX-512", RowConversionsOn(RowPath::kAvx512)}}) {
    if (path.rows) paths.push_back(path);
  }
  return paths;
}

// Mismatches counted by path (in the order of VectorPaths).
using PathCounts = std::vector<int64_t>;
void ExpectNoMismatches(const PathCounts& counts, const std::string& what) {
  const std::vector<VectorPath> paths = VectorPaths();
  for (size_t p = 0; p < paths.size(); ++p) EXPECT_EQ(0, counts[p]) << paths[p].name << ", " << what;
}
void Add(PathCounts* total, const PathCounts& more) {
  total->resize(more.size());
  for (size_t p = 0; p < more.size(); ++p) (*total)[p] += more[p];
}

void UseWhite(const float* white) {
  for (int i = 0; i < 3; ++i) GState.ReferenceWhite[i] = white[i];
}

float FloatOfBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The bytes the row conversions take from the tables, as the tables are
// (even if a bucket were wrong). Realigns its stack on 32-bit Windows, as
// the rows do.
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
void TableBytesRow(const float* linear, uint8_t* truncated, uint8_t* opaque, size_t count) {
  const SrgbByteTables& tables = SrgbTables();
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    const __m128 four = _mm_loadu_ps(linear + i);
    int32_t t[4];
    int32_t o[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(t), SrgbTableBytes4(four, tables.truncated));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), SrgbTableBytes4(four, tables.opaque));
    for (int lane = 0; lane < 4; ++lane) {
      truncated[i + lane] = static_cast<uint8_t>(t[lane]);
      opaque[i + lane] = static_cast<uint8_t>(o[lane]);
    }
  }
#endif
  for (; i < count; ++i) {
    truncated[i] = static_cast<uint8_t>(TruncatedSrgbByte(linear[i]));
    opaque[i] = static_cast<uint8_t>(OpaqueSrgbByte(linear[i]));
  }
}

// Every float from 2^-14 (below the tables' first bucket) to 4 (past their
// last), and a spread of the rest: zero, tiny, negative, huge, infinite, NaN.
// The row uses the tables whatever they hold, so a wrong bucket shows here.
TEST(ColourRowTables, SweepEveryLinearValueGetsTheEncodingsByte) {
  std::vector<float> odd;
  for (uint32_t bits = 0; bits < 0x38800000u; bits += 4099) odd.push_back(FloatOfBits(bits));
  for (uint32_t bits = 0x40800000u; bits < 0x7f800000u; bits += 65537) odd.push_back(FloatOfBits(bits));
  for (float v : {0.0f, -0.0f, -1e-30f, -0.5f, -1.0f, -3e38f, INFINITY, -INFINITY, NAN, -NAN, 3.4e38f})
    odd.push_back(v);
  const PluginContext context = colourtest::LayoutContext(0, 1, 2, 3);
  int64_t mismatches = 0;
  float lastBad = 0.0f;
  auto check = [&](const std::vector<float>& values) {
    std::vector<uint8_t> truncated(values.size());
    std::vector<uint8_t> opaque(values.size());
    TableBytesRow(values.data(), truncated.data(), opaque.data(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      const float channel = EncodedSrgbChannel(values[i]);
      const uint32_t wantTruncated = static_cast<uint32_t>(channel);
      const uint32_t wantOpaque = RgbToPixel(&context, {channel, 0.0f, 0.0f, 255}) & 0xffu;
      if (truncated[i] != wantTruncated || opaque[i] != wantOpaque) {
        ++mismatches;
        lastBad = values[i];
      }
    }
  };
  check(odd);
  std::vector<float> chunk;
  const uint32_t stride = SweepStride(37);
  for (uint32_t bits = 0x38800000u; bits <= 0x40800000u; bits += stride) {
    chunk.push_back(FloatOfBits(bits));
    if (chunk.size() == (1u << 20) || bits + stride > 0x40800000u) {
      check(chunk);
      chunk.clear();
    }
  }
  EXPECT_EQ(0, mismatches) << "last at " << lastBad;
}

// Bytes of each path's row against the truncated single routine, and its
// pixel row against RgbToPixel of it (every fifth colour translucent); each
// row is run whole and, for its tail handling, over short prefixes.
PathCounts LabRowMismatches(std::vector<ColourTriple> labs) {
  const PluginContext context = colourtest::LayoutContext(3, 0, 2, 1);
  for (size_t i = 0; i < labs.size(); i += 5) labs[i].alpha = static_cast<int32_t>(i % 256);
  std::vector<uint8_t> wantBytes(3 * labs.size());
  std::vector<Pixel> wantPixels(labs.size());
  for (size_t i = 0; i < labs.size(); ++i) {
    const ColourTriple rgb = PanelLabToRgb(labs[i]);
    wantBytes[3 * i] = static_cast<uint8_t>(rgb.c0);
    wantBytes[3 * i + 1] = static_cast<uint8_t>(rgb.c1);
    wantBytes[3 * i + 2] = static_cast<uint8_t>(rgb.c2);
    wantPixels[i] = RgbToPixel(&context, rgb);
  }
  const std::vector<VectorPath> paths = VectorPaths();
  PathCounts mismatches(paths.size());
  for (size_t length : {labs.size(), size_t{23}, size_t{7}, size_t{1}}) {
    length = std::min(length, labs.size());
    std::vector<uint8_t> bytes(3 * length);
    std::vector<Pixel> pixels(length);
    for (size_t p = 0; p < paths.size(); ++p) {
      paths[p].rows->labToRgbBytes(CurrentWhite(), labs.data(), bytes.data(), length);
      paths[p].rows->labToPixel(&context, CurrentWhite(), labs.data(), pixels.data(), length);
      for (size_t i = 0; i < length; ++i) {
        mismatches[p] += std::memcmp(&bytes[3 * i], &wantBytes[3 * i], 3) != 0 || pixels[i] != wantPixels[i];
      }
    }
  }
  return mismatches;
}

// Lab colours: every colour of the 8-bit cube, then a wide field beyond the
// gamut and special values under several whites.
TEST_F(ColourRows, SweepLabRowGivesTheTruncatedLabToRgb) {
  PathCounts cubeMismatches;
  std::vector<ColourTriple> slab;
  for (int r = 0; r < 256; r += static_cast<int>(SweepStride(17))) {
    slab.clear();
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        slab.push_back(PanelRgbToLab({static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255}));
      }
    }
    Add(&cubeMismatches, LabRowMismatches(slab));
  }
  ExpectNoMismatches(cubeMismatches, "8-bit cube");
  std::vector<ColourTriple> labs;
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> lightness(-20.0f, 130.0f);
  std::uniform_real_distribution<float> chroma(-250.0f, 250.0f);
  for (int i = 0; i < 300000; ++i) labs.push_back({lightness(rng), chroma(rng), chroma(rng), 255});
  for (float odd : {NAN, INFINITY, -INFINITY, 0.0f, -0.0f, 1e30f, -1e30f}) {
    labs.push_back({odd, 0.0f, 0.0f, 255});
    labs.push_back({50.0f, odd, 10.0f, 255});
    labs.push_back({50.0f, -10.0f, odd, 255});
  }
  for (const auto& white : kWhites) {
    UseWhite(white);
    ExpectNoMismatches(LabRowMismatches(labs), "white " + std::to_string(white[0]));
  }
}

// Rows of one lightness from a*/500 and b*/200: the lightness of every
// tenth 8-bit grey and a random spread (beyond 0..100 too), each with random
// a*, b* (beyond the gamut) and odd values, over every tail length, in two
// channel layouts and four whites, against RgbToPixel of LabToRgb.
TEST_F(ColourRows, SweepLabTermsRowGivesTheSingleRoutinesPixels) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<float> lightnessOf(-20.0f, 130.0f);
  std::uniform_real_distribution<float> chroma(-250.0f, 250.0f);
  std::vector<float> lightnesses;
  for (int grey = 0; grey < 256; grey += 10) {
    const float g = static_cast<float>(grey);
    lightnesses.push_back(PanelRgbToLab({g, g, g, 255}).c0);
  }
  for (int i = 0; i < 400; ++i) lightnesses.push_back(lightnessOf(rng));
  lightnesses.push_back(NAN);
  std::vector<float> as, bs;
  for (int i = 0; i < 253; ++i) {
    as.push_back(chroma(rng));
    bs.push_back(chroma(rng));
  }
  for (float odd : {NAN, INFINITY, -INFINITY, 0.0f, -0.0f, 1e30f}) {
    as.push_back(odd);
    bs.push_back(10.0f);
    as.push_back(-10.0f);
    bs.push_back(odd);
  }
  std::vector<float> aTerms, bTerms;
  for (size_t i = 0; i < as.size(); ++i) {
    aTerms.push_back(as[i] / 500.0f);
    bTerms.push_back(bs[i] / 200.0f);
  }
  const PluginContext layouts[] = {colourtest::LayoutContext(2, 1, 0, 3), colourtest::LayoutContext(3, 0, 2, 1)};
  const std::vector<VectorPath> paths = VectorPaths();
  std::vector<Pixel> pixels(as.size()), want(as.size());
  for (const auto& white : kWhites) {
    UseWhite(white);
    PathCounts mismatches(paths.size());
    for (const PluginContext& context : layouts) {
      for (size_t k = 0; k < lightnesses.size(); ++k) {
        const float lightness = lightnesses[k];
        const size_t length = as.size() - k % 16;  // every tail length of a group of sixteen
        for (size_t i = 0; i < length; ++i) {
          want[i] = RgbToPixel(&context, PanelLabToRgb({lightness, as[i], bs[i], 255}));
        }
        for (size_t p = 0; p < paths.size(); ++p) {
          paths[p].rows->labTermsToOpaquePixel(&context, UsableWhite(white), lightness, aTerms.data(), bTerms.data(),
                                               pixels.data(), length);
          for (size_t i = 0; i < length; ++i) mismatches[p] += pixels[i] != want[i];
        }
      }
    }
    ExpectNoMismatches(mismatches, "white " + std::to_string(white[0]));
  }
}

// CIE HSV colours: the CIE HSV of every 8-bit colour, a dense grid over the
// hue ring (and well beyond it), odd values, and alphas other than opaque
// (which take the single routine), in two channel layouts and four whites.
TEST_F(ColourRows, SweepCieHsvRowGivesTheSingleRoutinesPixels) {
  std::vector<ColourTriple> colours;
  for (int h = -40; h <= 440; ++h) {
    for (float s : {0.0f, 0.0005f, 0.1f, 0.45f, 0.8f, 1.0f, 1.34f, 2.5f}) {
      for (float v : {0.0f, 0.05f, 0.3f, 0.5f, 0.77f, 1.0f, 1.2f}) {
        colours.push_back({static_cast<float>(h) / 360.0f, s, v, 255});
      }
    }
  }
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_real_distribution<float> wideHue(-4.0f, 4.0f);
  for (int i = 0; i < 20000; ++i) colours.push_back({wideHue(rng), 0.6f, 0.6f, i % 3 == 0 ? byte(rng) : 255});
  for (float odd : {NAN, INFINITY, -INFINITY, 1e9f, -1e9f, 1.0833333f, 0.083333336f, 3.0f, -2.0f}) {
    colours.push_back({odd, 0.5f, 0.5f, 255});
    colours.push_back({0.3f, odd, 0.5f, 255});
    colours.push_back({0.3f, 0.5f, odd, 255});
  }
  for (int32_t alpha : {0, 1, 128, 254}) colours.push_back({0.4f, 0.7f, 0.6f, alpha});
  const PluginContext layouts[] = {colourtest::LayoutContext(2, 1, 0, 3), colourtest::LayoutContext(0, 3, 1, 2)};
  // Every 8-bit colour's CIE HSV: converted back, its channels land within a
  // hair of whole numbers, so a last-bit slip anywhere on the way (the sine
  // and cosine included) changes a byte.
  const std::vector<VectorPath> paths = VectorPaths();
  PathCounts cubeMismatches(paths.size());
  std::vector<ColourTriple> slab;
  std::vector<Pixel> slabPixels(65536), slabWant(65536);
  for (int r = 0; r < 256; r += static_cast<int>(SweepStride(17))) {
    slab.clear();
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        slab.push_back(PanelRgbToCieHsv({static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 255}));
      }
    }
    for (size_t i = 0; i < slab.size(); ++i) slabWant[i] = RgbToPixel(&layouts[0], PanelCieHsvToRgb(slab[i]));
    for (size_t p = 0; p < paths.size(); ++p) {
      paths[p].rows->cieHsvToPixel(&layouts[0], CurrentWhite(), slab.data(), slabPixels.data(), slab.size());
      for (size_t i = 0; i < slab.size(); ++i) cubeMismatches[p] += slabPixels[i] != slabWant[i];
    }
  }
  ExpectNoMismatches(cubeMismatches, "8-bit cube");
  std::vector<Pixel> pixels(colours.size()), want(colours.size());
  for (const auto& white : kWhites) {
    UseWhite(white);
    for (const PluginContext& context : layouts) {
      for (size_t i = 0; i < colours.size(); ++i) want[i] = RgbToPixel(&context, PanelCieHsvToRgb(colours[i]));
      for (const VectorPath& path : paths) {
        path.rows->cieHsvToPixel(&context, CurrentWhite(), colours.data(), pixels.data(), colours.size());
        int64_t mismatches = 0;
        size_t firstBad = 0;
        for (size_t i = 0; i < colours.size(); ++i) {
          if (pixels[i] != want[i] && mismatches++ == 0) firstBad = i;
        }
        EXPECT_EQ(0, mismatches) << path.name << ", white " << white[0] << ", first at hue " << colours[firstBad].c0;
      }
    }
  }
}

// HSV colours as the palette draws them (ring hues, the square's grid), a
// wide random field, odd values and every alpha, in two layouts and with
// tails of every length.
TEST_F(ColourRows, SweepHsvRowGivesTheSingleRoutinesPixels) {
  std::vector<ColourTriple> colours;
  for (int h = -40; h <= 760; ++h) {
    for (float s : {0.0f, -0.0f, 0.0005f, 0.3f, 0.8f, 1.0f, 1.4f}) {
      for (float v : {0.0f, 0.05f, 0.5f, 0.77f, 1.0f, 1.2f}) colours.push_back({static_cast<float>(h) / 360.0f, s, v, 255});
    }
  }
  for (int k = 0; k <= 84; ++k) {
    for (int j = 0; j <= 84; ++j) colours.push_back({0.95f, 1.0f - k / 84.0f, j / 84.0f, 255});
  }
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_real_distribution<float> wide(-3.0f, 3.0f);
  for (int i = 0; i < 100000; ++i) colours.push_back({wide(rng), wide(rng), wide(rng), i % 3 == 0 ? byte(rng) : 255});
  for (float odd : {NAN, INFINITY, -INFINITY, 1e9f, -1e9f, 1.0f, -1.0f, 2.0f, -2.0f, 0.99999994f, -0.0f}) {
    colours.push_back({odd, 0.5f, 0.5f, 255});
    colours.push_back({0.3f, odd, 0.5f, 255});
    colours.push_back({0.3f, 0.5f, odd, 255});
  }
  for (int32_t alpha : {0, 1, 128, 254, 256, -1}) colours.push_back({0.4f, 0.7f, 0.6f, alpha});
  const PluginContext layouts[] = {colourtest::LayoutContext(2, 1, 0, 3), colourtest::LayoutContext(0, 3, 1, 2)};
  const std::vector<VectorPath> paths = VectorPaths();
  std::vector<Pixel> pixels(colours.size()), want(colours.size());
  for (const PluginContext& context : layouts) {
    for (size_t i = 0; i < colours.size(); ++i) want[i] = RgbToPixel(&context, HsvToRgb(colours[i]));
    for (const VectorPath& path : paths) {
      for (size_t tail = 0; tail < 16; tail += 5) {
        const size_t length = colours.size() - tail;
        path.rows->hsvToPixel(&context, colours.data(), pixels.data(), length);
        int64_t mismatches = 0;
        size_t firstBad = 0;
        for (size_t i = 0; i < length; ++i) {
          if (pixels[i] != want[i] && mismatches++ == 0) firstBad = i;
        }
        EXPECT_EQ(0, mismatches) << path.name << ", first at " << colours[firstBad].c0 << " " << colours[firstBad].c1
                                 << " " << colours[firstBad].c2 << " alpha " << colours[firstBad].alpha;
      }
    }
  }
  // Hues worked out once, saturation and value multiplied in afterwards.
  std::vector<float> hues;
  for (int h = -719; h <= 719; ++h) hues.push_back(static_cast<float>(h) / 360.0f);
  for (float odd : {1.0f, -1.0f, 0.99999994f, -0.0f, 1.9999999f, -1.9999999f}) hues.push_back(odd);
  std::vector<int32_t> sectors(hues.size());
  std::vector<float> fractions(hues.size());
  ASSERT_TRUE(HsvHueSectors(hues.data(), sectors.data(), fractions.data(), hues.size()));
  const float outside[] = {2.0f, NAN};
  EXPECT_FALSE(HsvHueSectors(outside, sectors.data(), fractions.data(), 1));
  EXPECT_FALSE(HsvHueSectors(outside + 1, sectors.data(), fractions.data(), 1));
  ASSERT_TRUE(HsvHueSectors(hues.data(), sectors.data(), fractions.data(), hues.size()));
  std::vector<Pixel> fixed(hues.size());
  for (float sv : {0.0f, 0.0005f, 0.37f, 1.0f, 1.3f, NAN}) {
    for (float v : {0.0f, 0.41f, 1.0f, 1.5f}) {
      for (const VectorPath& path : paths) {
        path.rows->hsvFixedHuesToPixel(&layouts[1], sectors.data(), fractions.data(), sv, v, fixed.data(),
                                       hues.size() - 1);
        int64_t mismatches = 0;
        for (size_t i = 0; i + 1 < hues.size(); ++i) {
          mismatches += fixed[i] != RgbToPixel(&layouts[1], HsvToRgb({hues[i], sv, v, 255}));
        }
        EXPECT_EQ(0, mismatches) << path.name << ", saturation " << sv << ", value " << v;
      }
    }
  }
}

// Pixels of every alpha with a spread of colour bytes (premultiplied ones and
// bytes above alpha), in every gamut mode and two layouts.
TEST_F(ColourRows, GamutRowGivesTheSingleChecksResults) {
  std::vector<Pixel> pixels;
  std::mt19937 rng(9);
  std::uniform_int_distribution<uint32_t> word;
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t r = 0; r < 256; r += 15) {
      for (uint32_t g = 0; g < 256; g += 17) {
        for (uint32_t b = 0; b < 256; b += 51) pixels.push_back(r | g << 8 | b << 16 | a << 24);
      }
    }
  }
  for (int i = 0; i < 200000; ++i) pixels.push_back(word(rng));
  for (int i = 0; i < 20000; ++i) pixels.push_back(word(rng) | 0xff000000u);  // long opaque runs, as the palette's
  const PluginContext layouts[] = {colourtest::LayoutContext(2, 1, 0, 3), colourtest::LayoutContext(3, 0, 2, 1)};
  std::vector<int32_t> results(pixels.size()), want(pixels.size());
  for (int32_t mode : {0, 1, 2, 3}) {
    GState.GamutMode = mode;
    for (const PluginContext& context : layouts) {
      for (size_t i = 0; i < pixels.size(); ++i) want[i] = PanelGamutCheck(&context, pixels[i]);
      for (const VectorPath& path : VectorPaths()) {
        const size_t length = pixels.size() - static_cast<size_t>(5 * mode);  // tails of several lengths
        path.rows->ntscGamutCheck(&context, GState.GamutMode, pixels.data(), results.data(), length);
        int64_t mismatches = 0;
        for (size_t i = 0; i < length; ++i) mismatches += results[i] != want[i];
        EXPECT_EQ(0, mismatches) << path.name << ", mode " << mode;
      }
    }
  }
}

}  // namespace
