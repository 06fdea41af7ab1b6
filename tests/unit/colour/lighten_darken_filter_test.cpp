// Tests of colour/lighten_darken_filter: whole images against a direct
// evaluation of the rule over every channel layout, every vector path
// against the plain one, the guards, and the command sequence that has the
// host run the pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/lighten_darken_filter.h"
#include "interact/paint_mode.h"
#include "host/host_calls.h"
#include "core/worker_threads.h"
#include "colour_test_support.h"
#include "support/plugin_host.h"

using colourtest::ByteAt;
using colourtest::LayoutContext;
using colourtest::PackBytes;

namespace {

// The rule written out on bytes: luma of the un-premultiplied pixel against
// the current colour's luma; replacement is the current colour (from
// CurrentPixel) premultiplied by the pixel's own alpha.
std::vector<Pixel> Expected(const PluginContext& ctx, const std::vector<Pixel>& image, Pixel current,
                            ColourTriple currentRgb, bool lighten) {
  const float currentLuma = 0.587f * currentRgb.c1 + 0.299f * currentRgb.c0 + 0.114f * currentRgb.c2;
  const float ca = static_cast<float>(ByteAt(current, ctx.AlphaPosition));
  const float cr = ca == 0.0f ? 0.0f : static_cast<float>(ByteAt(current, ctx.RedPosition)) * 255.0f / ca;
  const float cg = ca == 0.0f ? 0.0f : static_cast<float>(ByteAt(current, ctx.GreenPosition)) * 255.0f / ca;
  const float cb = ca == 0.0f ? 0.0f : static_cast<float>(ByteAt(current, ctx.BluePosition)) * 255.0f / ca;
  std::vector<Pixel> out = image;
  for (Pixel& p : out) {
    const uint32_t a = ByteAt(p, ctx.AlphaPosition);
    if (a == 0) continue;
    const float fa = static_cast<float>(a);
    const float r = static_cast<float>(ByteAt(p, ctx.RedPosition)) * 255.0f / fa;
    const float g = static_cast<float>(ByteAt(p, ctx.GreenPosition)) * 255.0f / fa;
    const float b = static_cast<float>(ByteAt(p, ctx.BluePosition)) * 255.0f / fa;
    const float luma = 0.587f * g + 0.299f * r + 0.114f * b;
    if (lighten ? !(luma < currentLuma) : !(luma > currentLuma)) continue;
    auto premultiply = [fa](float c) {
      const float v = fa * c / 255.0f;
      return v >= 255.0f ? 255u : static_cast<uint32_t>(v);
    };
    p = PackBytes(ctx, premultiply(cr), premultiply(cg), premultiply(cb), a);
  }
  return out;
}

// A mixed picture: opaque colours, transparent pixels with stray colour
// bytes, half-transparent pixels, pixels with the current colour's luma, and
// runs of opaque ones.
std::vector<Pixel> TestImage(const PluginContext& ctx, std::mt19937& rng, size_t count, Pixel current) {
  std::vector<Pixel> image(count);
  std::uniform_int_distribution<int> byte(0, 255);
  for (size_t i = 0; i < count; ++i) {
    const int kind = byte(rng) % 8;
    if (kind == 0) {
      image[i] = PackBytes(ctx, byte(rng), byte(rng), byte(rng), 0);
    } else if (kind == 1) {
      const uint32_t a = 1 + byte(rng) % 254;
      image[i] = PackBytes(ctx, byte(rng) % (a + 1), byte(rng) % (a + 1), byte(rng) % (a + 1), a);
    } else if (kind == 2) {
      image[i] = current;  // equal luma
    } else if (kind == 3) {
      image[i] = PackBytes(ctx, 64, 64, 64, 128);  // half-transparent grey
    } else {
      image[i] = PackBytes(ctx, byte(rng), byte(rng), byte(rng), 255);
    }
  }
  return image;
}

void SetCurrent(const PluginContext& ctx, uint32_t r, uint32_t g, uint32_t b) {
  GState.CurrentPixel = PackBytes(ctx, r, g, b, 255);
  GState.CurrentRgb = PixelToRgb(&ctx, GState.CurrentPixel);
}

class ColourFilter : public ::testing::Test {
 protected:
  void SetUp() override { ResetPluginState(); }
  void TearDown() override { ResetPluginState(); }
};

std::vector<FilterPath> Paths() {
  std::vector<FilterPath> paths;
  for (FilterPath path : {FilterPath::kScalar, FilterPath::kSse2, FilterPath::kAvx2, FilterPath::kAuto}) {
    if (FilterPathAvailable(path)) paths.push_back(path);
  }
  return paths;
}

// Runs every path, on one thread and split among three, over the picture in
// place (between guard pixels that must stay) and with separate buffers,
// against the rule written out.
void ExpectEveryPathFollowsTheRule(PluginContext ctx, const std::vector<Pixel>& image, int32_t width,
                                   int32_t height, const std::string& label) {
  for (int lighten = 0; lighten < 2; ++lighten) {
    const std::vector<Pixel> expected = Expected(ctx, image, GState.CurrentPixel, GState.CurrentRgb, lighten);
    for (FilterPath path : Paths()) {
      for (int32_t threads : {1, 3}) {
        const std::string where = label + " lighten " + std::to_string(lighten) + " path " +
                                  std::to_string(static_cast<int>(path)) + " threads " + std::to_string(threads);
        std::vector<Pixel> buffer(image.size() + 2, 0xdeadbeefu);
        std::copy(image.begin(), image.end(), buffer.begin() + 1);
        HostImage inPlace{width, height, {0, 0, 0, 0}, buffer.data() + 1};
        CieLightenDarkenFilterOnPath(&ctx, &inPlace, &inPlace, lighten, CurrentColour(), path, threads);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin() + 1)) << where;
        ASSERT_EQ(0xdeadbeefu, buffer.front()) << where;
        ASSERT_EQ(0xdeadbeefu, buffer.back()) << where;

        // Separate buffers: both get the replaced pixels, the destination
        // keeps its own content elsewhere (a replacement can equal the pixel
        // it replaces, so an unchanged pixel may show either).
        std::vector<Pixel> source = image;
        std::vector<Pixel> destination(image.size(), 0x01020304u);
        HostImage sourceImage{width, height, {0, 0, 0, 0}, source.data()};
        HostImage destinationImage{width, height, {0, 0, 0, 0}, destination.data()};
        CieLightenDarkenFilterOnPath(&ctx, &sourceImage, &destinationImage, lighten, CurrentColour(), path, threads);
        ASSERT_EQ(expected, source) << where;
        for (size_t i = 0; i < image.size(); ++i) {
          const bool unchanged = expected[i] == image[i];
          ASSERT_TRUE(destination[i] == expected[i] || (unchanged && destination[i] == 0x01020304u))
              << where << " pixel " << i;
        }
      }
    }
  }
}

// Random pixels, half of them opaque, the rest of any alpha.
std::vector<Pixel> HalfOpaqueImage(const PluginContext& ctx, std::mt19937& rng, size_t count) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<Pixel> image(count);
  for (Pixel& p : image) {
    const uint32_t a = (byte(rng) & 1) ? 255 : byte(rng);
    p = PackBytes(ctx, byte(rng) % (a + 1), byte(rng) % (a + 1), byte(rng) % (a + 1), a);
  }
  return image;
}

// Only partly transparent pixels: every replacement is premultiplied.
std::vector<Pixel> PartlyTransparentImage(const PluginContext& ctx, std::mt19937& rng, size_t count) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<Pixel> image(count);
  for (Pixel& p : image) {
    const uint32_t a = 1 + static_cast<uint32_t>(byte(rng)) % 254;
    p = PackBytes(ctx, byte(rng) % (a + 1), byte(rng) % (a + 1), byte(rng) % (a + 1), a);
  }
  return image;
}

// Every (byte, alpha) pair in every channel: each division and each entry of
// the replacement table is met.
std::vector<Pixel> EveryByteAndAlphaImage(const PluginContext& ctx, std::mt19937&, size_t count) {
  std::vector<Pixel> image(count);
  for (size_t i = 0; i < image.size(); ++i) {
    const uint32_t alpha = static_cast<uint32_t>(i >> 8) & 255;
    const uint32_t byte = static_cast<uint32_t>(i) & 255;
    image[i] = PackBytes(ctx, byte, (byte + 85) & 255, (byte + 170) & 255, alpha);
  }
  return image;
}

// Pixels whose luma lies as near the current colour's as their bytes allow
// (the vector paths' integer shortcuts cannot decide these): for a random
// alpha and red and green, the blue byte that brings the formula's luma
// closest; every other pixel opaque.
std::vector<Pixel> NearCurrentLumaImage(const PluginContext& ctx, std::mt19937& rng, size_t count) {
  std::uniform_int_distribution<int> byte(0, 255);
  const ColourTriple current = GState.CurrentRgb;
  const float currentLuma = 0.587f * current.c1 + 0.299f * current.c0 + 0.114f * current.c2;
  std::vector<Pixel> image(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = (i % 2) ? 255u : 1u + static_cast<uint32_t>(byte(rng)) % 255u;
    const uint32_t r = static_cast<uint32_t>(byte(rng)) % (a + 1);
    const uint32_t g = static_cast<uint32_t>(byte(rng)) % (a + 1);
    uint32_t best = 0;
    float bestDistance = 1e30f;
    const float fa = static_cast<float>(a);
    for (uint32_t b = 0; b <= a; ++b) {
      const float luma = 0.587f * (static_cast<float>(g) * 255.0f / fa) +
                         0.299f * (static_cast<float>(r) * 255.0f / fa) +
                         0.114f * (static_cast<float>(b) * 255.0f / fa);
      const float distance = std::fabs(luma - currentLuma);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = b;
      }
    }
    image[i] = PackBytes(ctx, r, g, best, a);
  }
  return image;
}

// One table over pictures: what they are made of, their sizes (odd ones stop
// the vector loops short of the end), the channel layouts and current
// colours they are filtered under (a partly transparent current colour has
// un-premultiplied floats that some pixels' lumas equal exactly).
TEST_F(ColourFilter, EveryPathFollowsTheRuleOnEveryPicture) {
  using Maker = std::vector<Pixel> (*)(const PluginContext&, std::mt19937&, size_t);
  const Maker mixed = [](const PluginContext& ctx, std::mt19937& rng, size_t count) {
    return TestImage(ctx, rng, count, GState.CurrentPixel);
  };
  struct Picture {
    const char* name;
    Maker make;
    std::vector<std::pair<int32_t, int32_t>> sizes;
    bool allLayouts;
    std::vector<std::array<uint32_t, 4>> currents;
  };
  const std::vector<std::array<uint32_t, 4>> opaqueCurrents = {
      {255, 255, 255, 255}, {128, 128, 128, 255}, {30, 200, 90, 255}, {0, 0, 0, 255}};
  std::vector<std::pair<int32_t, int32_t>> small;
  for (int32_t width = 1; width <= 19; ++width) {
    for (int32_t height = 1; height <= 3; ++height) small.emplace_back(width, height);
  }
  const Picture pictures[] = {
      {"mixed", mixed, {{203, 1}}, true, opaqueCurrents},
      {"mixed small", mixed, small, false, {{128, 128, 128, 255}}},
      {"half opaque", HalfOpaqueImage, {{1000, 3}, {1037, 3}, {1074, 3}, {1111, 3}}, true, opaqueCurrents},
      {"partly transparent", PartlyTransparentImage, {{511, 1}, {512, 1}, {513, 1}, {1031, 1}, {2048, 1}}, false,
       {{90, 140, 60, 255}}},
      {"every byte and alpha", EveryByteAndAlphaImage, {{256 * 256 + 5, 1}}, false,
       {{255, 255, 255, 255}, {64, 64, 64, 128}, {30, 200, 90, 255}, {7, 3, 11, 13}}},
      {"near the current luma", NearCurrentLumaImage, {{997, 3}}, false,
       {{128, 128, 128, 255}, {30, 200, 90, 255}, {64, 64, 64, 128}, {0, 0, 0, 255}}},
  };
  std::mt19937 rng(42);
  for (const Picture& picture : pictures) {
    const auto all = colourtest::AllLayouts();
    std::vector<std::array<int, 4>> layouts(all.begin(), all.end());
    if (!picture.allLayouts) layouts = {all.front(), all.back()};
    for (const auto& layout : layouts) {
      PluginContext ctx = LayoutContext(layout[0], layout[1], layout[2], layout[3]);
      for (const auto& colour : picture.currents) {
        GState.CurrentPixel = PackBytes(ctx, colour[0], colour[1], colour[2], colour[3]);
        GState.CurrentRgb = PixelToRgb(&ctx, GState.CurrentPixel);
        for (const auto& [width, height] : picture.sizes) {
          const std::vector<Pixel> image = picture.make(ctx, rng, static_cast<size_t>(width) * height);
          const std::string label = std::string(picture.name) + " " + std::to_string(width) + "x" +
                                    std::to_string(height) + " layout " + std::to_string(layout[0]) +
                                    std::to_string(layout[1]) + std::to_string(layout[2]) +
                                    std::to_string(layout[3]) + " colour " + std::to_string(colour[0]) + "," +
                                    std::to_string(colour[1]) + "," + std::to_string(colour[2]) + "," +
                                    std::to_string(colour[3]);
          ExpectEveryPathFollowsTheRule(ctx, image, width, height, label);
          if (HasFatalFailure()) return;
        }
      }
    }
  }
}

TEST_F(ColourFilter, EdgeCasesOfTheRule) {
  PluginContext ctx = LayoutContext();
  SetCurrent(ctx, 255, 255, 255);
  const Pixel transparent = PackBytes(ctx, 10, 20, 30, 0);
  const Pixel half = PackBytes(ctx, 20, 20, 20, 128);
  const Pixel white = PackBytes(ctx, 255, 255, 255, 255);
  const Pixel dark = PackBytes(ctx, 1, 2, 3, 255);
  std::vector<Pixel> pixels = {transparent, half, white, dark};
  HostImage image{2, 2, {0, 0, 0, 0}, pixels.data()};
  // Darkening toward white changes nothing.
  CieLightenDarkenFilter(&ctx, &image, &image, 0, CurrentColour());
  EXPECT_EQ((std::vector<Pixel>{transparent, half, white, dark}), pixels);
  // Lightening toward white whitens every visible pixel below white's luma,
  // keeping alpha; white itself (equal luma) and transparent pixels stay.
  CieLightenDarkenFilter(&ctx, &image, &image, 1, CurrentColour());
  EXPECT_EQ(transparent, pixels[0]);
  EXPECT_EQ(PackBytes(ctx, 128, 128, 128, 128), pixels[1]);
  EXPECT_EQ(white, pixels[2]);
  EXPECT_EQ(white, pixels[3]);
}

// Current colours whose luma is no ordinary number, or whose floats are not
// the bytes of CurrentPixel (mixing leaves fractions): the shortcuts must
// step aside or still agree with the rule.
TEST_F(ColourFilter, UnusualCurrentLumas) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const ColourTriple currents[] = {{nan, nan, nan, 255},        {-40.0f, -3.0f, -7.5f, 255},
                                   {infinity, 0.0f, 0.0f, 255}, {1e30f, 1e30f, 1e30f, 255},
                                   {0.0f, 0.0f, 0.0f, 255},     {127.99999f, 128.00002f, 128.0f, 255},
                                   {300.0f, 280.0f, 400.0f, 255}};
  PluginContext ctx = LayoutContext();
  std::mt19937 rng(7);
  GState.CurrentPixel = PackBytes(ctx, 128, 128, 128, 255);
  const std::vector<Pixel> image = TestImage(ctx, rng, 777, GState.CurrentPixel);
  for (const ColourTriple& current : currents) {
    GState.CurrentRgb = current;
    ExpectEveryPathFollowsTheRule(ctx, image, 777, 1, "current " + std::to_string(current.c0));
    if (HasFatalFailure()) return;
  }
}

// Seeded: current colours anywhere in the cube, whole bytes and fractions,
// each over pixels as near its luma as bytes get, where the shortcuts'
// margins are tightest.
TEST_F(ColourFilter, RandomCurrentColoursOverPixelsNearTheirLuma) {
  PluginContext ctx = LayoutContext();
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> channel(0.0f, 255.0f);
  for (int round = 0; round < 48; ++round) {
    ColourTriple current{channel(rng), channel(rng), channel(rng), 255};
    if (round % 2) current = {std::floor(current.c0), std::floor(current.c1), std::floor(current.c2), 255};
    GState.CurrentRgb = current;
    GState.CurrentPixel = RgbToPixel(&ctx, current);
    const std::vector<Pixel> image = NearCurrentLumaImage(ctx, rng, 257);
    ExpectEveryPathFollowsTheRule(ctx, image, 257, 1, "round " + std::to_string(round));
    if (HasFatalFailure()) return;
  }
}

// The worker threads end on request (PI_Close) and start again when a pass
// needs them.
TEST_F(ColourFilter, WorkersEndAndStartAgain) {
  PluginContext ctx = LayoutContext();
  SetCurrent(ctx, 128, 128, 128);
  std::mt19937 rng(3);
  const std::vector<Pixel> image = HalfOpaqueImage(ctx, rng, 5000);
  const std::vector<Pixel> expected = Expected(ctx, image, GState.CurrentPixel, GState.CurrentRgb, true);
  for (int round = 0; round < 2; ++round) {
    std::vector<Pixel> pixels = image;
    HostImage picture{100, 50, {0, 0, 0, 0}, pixels.data()};
    CieLightenDarkenFilterOnPath(&ctx, &picture, &picture, 1, CurrentColour(), FilterPath::kAuto, 4);
    EXPECT_EQ(expected, pixels) << "round " << round;
    EXPECT_EQ(3, StartedWorkerThreads()) << "round " << round;
    StopWorkerThreads();
    EXPECT_EQ(0, StartedWorkerThreads());
  }
}

TEST_F(ColourFilter, BuffersThatDisagreeAreLeftAlone) {
  PluginContext ctx = LayoutContext();
  SetCurrent(ctx, 255, 255, 255);
  std::vector<Pixel> a(6, PackBytes(ctx, 0, 0, 0, 255));
  std::vector<Pixel> b(6, PackBytes(ctx, 0, 0, 0, 255));
  const std::vector<Pixel> original = a;
  HostImage twoByThree{2, 3, {0, 0, 0, 0}, a.data()};
  HostImage threeByTwo{3, 2, {0, 0, 0, 0}, b.data()};
  HostImage empty{0, 5, {0, 0, 0, 0}, a.data()};
  HostImage negative{-2, -3, {0, 0, 0, 0}, a.data()};
  HostImage noPixels{2, 3, {0, 0, 0, 0}, nullptr};
  CieLightenDarkenFilter(&ctx, &twoByThree, &threeByTwo, 1, CurrentColour());
  CieLightenDarkenFilter(&ctx, &twoByThree, nullptr, 1, CurrentColour());
  CieLightenDarkenFilter(&ctx, nullptr, &twoByThree, 1, CurrentColour());
  CieLightenDarkenFilter(&ctx, &empty, &empty, 1, CurrentColour());
  CieLightenDarkenFilter(&ctx, &negative, &negative, 1, CurrentColour());
  CieLightenDarkenFilter(&ctx, &twoByThree, &noPixels, 1, CurrentColour());
  EXPECT_EQ(original, a);
  EXPECT_EQ(original, b);
}

// ---- the trigger, with the stand-in host

class ColourPaintModeFilter : public PluginHostTest {};

TEST_F(ColourPaintModeFilter, CommandSequences) {
  struct Case {
    int32_t bits;
    int32_t request;
    std::vector<std::string> commands;
  };
  const std::string darken = "tv_plugin \"tintwell\" cmd \"d\"";
  const std::string lighten = "tv_plugin \"tintwell\" cmd \"l\"";
  const Case cases[] = {
      {0, 0, {}},
      {kPaintLampOn | kPaintCieLighten, 0, {}},
      {kPaintLampOn, 1, {"tv_stackapply", "tv_sparecopy", "tv_undo"}},
      {kPaintLampAlt, 0, {"tv_stackapply", "tv_sparecopy", "tv_undo"}},
      {kPaintLampOn | kPaintCieLighten, 1, {lighten, "tv_sparecopy", "tv_undo"}},
      {kPaintLampOn | kPaintCieDarken | kPaintCieLighten, 1, {darken, "tv_sparecopy", "tv_undo"}},
  };
  for (const Case& c : cases) {
    host->ClearRecords();
    GState.PaintModeBits = c.bits;
    RunPaintModeFilter(host->Context(), c.request);
    EXPECT_EQ(c.commands, host->CommandTexts()) << "bits " << c.bits << " request " << c.request;
    EXPECT_EQ(c.bits, GState.PaintModeBits);
  }
}

// The whole road: our own command makes the host run the pass over the
// current layer, whose filtered picture ends up on the spare page before the
// stroke is undone.
TEST_F(ColourPaintModeFilter, LightenPassRunsOverTheLayer) {
  PluginContext* ctx = host->Context();
  host->FillCurrentLayer(simhost::Rgba{10, 10, 10, 255});
  host->PaintPixel(1, 0, simhost::Rgba{250, 250, 250, 255});
  host->PaintPixel(2, 0, simhost::Rgba{0, 0, 0, 0});
  GState.CurrentPixel = MakePixel(ctx, 200, 100, 0, 255);
  GState.CurrentRgb = PixelToRgb(ctx, GState.CurrentPixel);
  GState.PaintModeBits = kPaintLampOn | kPaintCieLighten;
  RunPaintModeFilter(ctx, 1);
  EXPECT_TRUE(host->Faults().empty());
  ASSERT_EQ(host->sparePage.size(), host->CurrentLayer()->pixels.size());
  EXPECT_EQ((simhost::Rgba{200, 100, 0, 255}), host->sparePage[0]);
  EXPECT_EQ((simhost::Rgba{250, 250, 250, 255}), host->sparePage[1]);
  EXPECT_EQ(0, host->sparePage[2].a);
  // The undo puts the layer back as it was.
  EXPECT_EQ((simhost::Rgba{10, 10, 10, 255}), host->CurrentLayer()->pixels[0]);
}

}  // namespace
