// Tests of colour/: one digest of every conversion over a fixed grid of
// inputs and several reference whites. The same number is expected from the
// native build and the 32-bit Windows build, which proves they compute the
// same bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "colour/colour_mixing.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "colour_test_support.h"

namespace {

// FNV-1a over the bits of each result; NaNs hash as one canonical value.
struct Digest {
  uint64_t value = 1469598103934665603ULL;
  void Add(uint32_t word) {
    for (int i = 0; i < 4; ++i) {
      value ^= (word >> (8 * i)) & 0xffu;
      value *= 1099511628211ULL;
    }
  }
  void Add(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    if (f != f) bits = 0x7fc00000u;
    Add(bits);
  }
  void Add(const ColourTriple& t) {
    Add(t.c0);
    Add(t.c1);
    Add(t.c2);
    Add(static_cast<uint32_t>(t.alpha));
  }
};

uint64_t ConversionDigest() {
  PluginContext ctx = colourtest::LayoutContext(2, 1, 0, 3);
  const PluginContext other = colourtest::LayoutContext(0, 3, 1, 2);
  const float whites[][3] = {{95.147f, 100.1f, 108.983f}, {100.0f, 100.0f, 100.0f}, {95.047f, 100.0f, 108.883f},
                             {96.422f, 100.0f, 82.521f}};
  const float levels[] = {0.0f, 1.0f, 3.5f, 10.0f, 17.0f, 64.0f, 127.0f, 128.0f, 200.25f, 254.0f, 255.0f};
  const float hues[] = {-0.75f, 0.0f, 0.01f, 1.0f / 6.0f, 0.25f, 0.5f, 0.9999f, 1.0f, 1.0833333f, 2.3f};
  const float saturations[] = {0.0f, 0.0005f, 0.3f, 1.0f, 1.34f};
  const float values[] = {0.0f, 0.2f, 0.5f, 1.0f, 1.2f};
  const uint32_t alphas[] = {0, 1, 77, 128, 255};
  Digest digest;
  for (const auto& white : whites) {
    for (int i = 0; i < 3; ++i) GState.ReferenceWhite[i] = white[i];
    for (int cie = 0; cie < 2; ++cie) {
      GState.CieHsvMode = cie;
      GState.CurrentHsv.c0 = 0.4f;
      for (float r : levels) {
        for (float g : levels) {
          for (float b : levels) {
            const ColourTriple rgb{r, g, b, 255};
            const ColourTriple hsv = PanelRgbToHsv(rgb);
            const ColourTriple xyz = RgbToXyz(rgb);
            const ColourTriple lab = XyzToLab(xyz, CurrentWhite());
            const ColourTriple yxy = XyzToYxy(xyz);
            const ColourTriple cieHsv = PanelRgbToCieHsv(rgb);
            const ColourTriple picker = RgbToPickerHsv(rgb);
            const ColourTriple luma = RgbToLumaDiff(rgb);
            for (const ColourTriple& t :
                 {hsv, HsvToRgb(hsv), xyz, XyzToRgb(xyz), lab, LabToXyz(lab, CurrentWhite()), PanelRgbToLab(rgb), PanelLabToRgb(lab), yxy,
                  yxy.c2 != 0.0f ? YxyToXyz(yxy) : yxy, cieHsv, PanelCieHsvToRgb(cieHsv), picker, PickerHsvToRgb(picker),
                  RgbToYuv(rgb), luma, LumaDiffToRgb(luma)}) {
              digest.Add(t);
            }
            for (int mode = 0; mode < 4; ++mode) {
              GState.SliderMode = mode;
              const ColourTriple slider = RgbToSlider(rgb);
              digest.Add(slider);
              if (mode != 3) digest.Add(SliderToRgb(&ctx, slider));
            }
          }
        }
      }
      for (float h : hues) {
        for (float s : saturations) {
          for (float v : values) {
            const ColourTriple hsv{h, s, v, 200};
            digest.Add(HsvToRgb(hsv));
            digest.Add(PanelCieHsvToRgb(hsv));
            digest.Add(PickerHsvToPixel(&ctx, hsv));
          }
        }
      }
      for (uint32_t a : alphas) {
        for (uint32_t c = 0; c <= a; c += 1 + a / 9) {
          for (const PluginContext* layout : {static_cast<const PluginContext*>(&ctx), &other}) {
            const Pixel pixel = colourtest::PackBytes(*layout, c, a - c, c / 2, a);
            digest.Add(PixelToRgb(layout, pixel));
            digest.Add(RgbToPixel(layout, PixelToRgb(layout, pixel)));
            digest.Add(InvertPixel(layout, pixel));
            digest.Add(PixelToXyz(layout, pixel));
            digest.Add(XyzToPixel(layout, PixelToXyz(layout, pixel)));
            digest.Add(PixelToPickerHsv(layout, pixel));
            digest.Add(PixelToYuv(layout, pixel));
            digest.Add(PixelToLumaDiff(layout, pixel));
            digest.Add(PixelToSlider(layout, pixel));
            for (int gamut = 0; gamut < 3; ++gamut) {
              GState.GamutMode = gamut;
              digest.Add(static_cast<uint32_t>(PanelGamutCheck(layout, pixel)));
            }
          }
        }
      }
      // Mixing and the weighted picker in both mixing spaces and pressure modes.
      for (int xyzMix = 0; xyzMix < 2; ++xyzMix) {
        GState.XyzMixMode = xyzMix;
        for (int32_t sensitivity : {-255, 64, 255}) {
          GState.PressureSensitivity = sensitivity;
          GState.CurrentRgb = ColourTriple{20.0f, 120.0f, 220.0f, 255};
          GState.CurrentPixel = RgbToPixel(&ctx, GState.CurrentRgb);
          for (int32_t pressure : {0, 1, 63, 128, 255}) {
            MixIntoCurrent(colourtest::PackBytes(ctx, 250, 40, 10, 255), pressure, &ctx);
            digest.Add(GState.CurrentRgb);
            digest.Add(GState.CurrentPixel);
            WeightedPick(colourtest::PackBytes(ctx, 30, 90, 60, 200), pressure, &ctx);
            digest.Add(GState.CurrentRgb);
            digest.Add(GState.CurrentPixel);
          }
        }
      }
    }
  }
  // The transcendental functions over their own grid.
  for (int i = 1; i <= 2000; ++i) {
    const float x = static_cast<float>(i) * 0.00731f;
    digest.Add(ColourPow(x, 2.4f));
    digest.Add(ColourPow(x, 0.41666666f));
    digest.Add(ColourPow(x, 0.33333334f));
    digest.Add(ColourPow(x * 17.0f, 1.1f));
    digest.Add(ColourSin(x - 7.0f));
    digest.Add(ColourCos(x - 7.0f));
    digest.Add(ColourAtan2(x - 7.0f, 3.0f - x));
  }
  return digest.value;
}

TEST(ColourDigest, ConversionsGiveTheSameBitsInEveryBuild) {
  ResetPluginState();
  const uint64_t digest = ConversionDigest();
  ResetPluginState();
  EXPECT_EQ(0x494cf2aca607ab8fULL, digest) << std::hex << "digest 0x" << digest;
}

}  // namespace
