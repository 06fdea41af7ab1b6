// The swatch and palette pictures: pixels the formulas fix, golden digests of
// whole panels in named states (the same in the native and the Windows
// build), and the fast palette path against the plain one.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/panel_models.h"
#include "core/artwork.h"
#include "core/packed_image.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "panel/palette_picture.h"
#include "panel/panel_layout.h"
#include "panel/panel_images.h"
#include "panel_states.h"
#include "simhost_pictures.h"
#include "support/plugin_host.h"
#include "support/sweep.h"

namespace {

using simhost::Rgba;

class PanelPictures : public PluginHostTest {
 protected:
  void OpenPanel() {
    ASSERT_EQ(1, host->Parameters(nullptr));
    ASSERT_NE(0, GState.PanelRequester);
  }
  PluginContext* Context() { return host->Context(); }
  const simhost::Gadget& Gadget(int32_t id) const { return host->FindRequester(GState.PanelRequester)->gadgets.at(id); }
  Pixel At(int32_t id, int32_t x, int32_t y) const {
    const simhost::Gadget& g = Gadget(id);
    return g.imagePixels.at(static_cast<size_t>(y) * g.imageWidth + x);
  }
  Pixel Opaque(uint8_t r, uint8_t g, uint8_t b) { return host->ToPixel(Rgba{r, g, b, 255}); }
  void SetUp() override {
    PluginHostTest::SetUp();
    // The reference white PI_Open reads when nothing is stored.
    GState.ReferenceWhite[0] = 95.147f;
    GState.ReferenceWhite[1] = 100.1f;
    GState.ReferenceWhite[2] = 108.983f;
  }
};

TEST_F(PanelPictures, SwatchBandSliderAndCanvasModeFrame) {
  GState.SliderMode = kSliderLabValue;
  GState.GamutMode = kGamutWide;
  OpenPanel();
  host->bPen = Rgba{0, 0, 255, 255};
  GState.BasePixel = Opaque(0, 255, 0);
  GState.CurrentPixel = Opaque(255, 255, 255);  // white: the L* marker sits at 100
  BuildSwatchImage(Context());
  EXPECT_EQ(Opaque(0, 0, 255), At(100, 0, 0));
  EXPECT_EQ(Opaque(0, 0, 255), At(100, 89, 20));
  EXPECT_EQ(Opaque(0, 255, 0), At(100, 0, 21));
  EXPECT_EQ(Opaque(0, 255, 0), At(100, 89, 41));
  EXPECT_EQ(Opaque(255, 255, 255), At(100, 90, 0));
  EXPECT_EQ(Opaque(255, 255, 255), At(100, 179, 41));

  // Column 0 is L* 0: black, the darkest slider colour; the last column is
  // L* 99.4, within 0.8 of white's L* (99.96): the marker, white on even
  // diagonals and black on odd ones.
  EXPECT_EQ(Opaque(0, 0, 0), At(100, 0, 42 + 1)) << "(0 + 43) % 4 != 0: no hatching on black";
  EXPECT_EQ(Opaque(255, 255, 255), At(100, 179, 43));
  EXPECT_EQ(Opaque(0, 0, 0), At(100, 179, 44));
  GState.LumaLock = 1;
  BuildSwatchImage(Context());
  EXPECT_EQ(Opaque(0, 0, 0), At(100, 179, 43)) << "with the slider lock white only every fourth step";
  EXPECT_EQ(Opaque(255, 255, 255), At(100, 179, 45));
  // Black is within the (0-100) range but too dark for the (10-90) one.
  GState.GamutMode = kGamutNarrow;
  GState.LumaLock = 0;
  GState.CurrentPixel = Opaque(128, 128, 128);
  BuildSwatchImage(Context());
  EXPECT_EQ(Opaque(255, 255, 255), At(100, 0, 42 + 2)) << "black is too dark for (10-90): inverse on (x + y) % 4 == 0";
  EXPECT_EQ(Opaque(0, 0, 0), At(100, 0, 42 + 3));

  GState.ModeFlags = kModePick;
  BuildSwatchImage(Context());
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {2, 10}, {100, 1}, {178, 40}, {179, 41}}) {
    EXPECT_EQ((x + y) % 2 == 0 ? Opaque(255, 255, 255) : Opaque(0, 0, 0), At(100, x, y)) << x << "," << y;
  }
  EXPECT_EQ(Opaque(128, 128, 128), At(100, 100, 20)) << "inside the frame the current colour";
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

TEST_F(PanelPictures, PaletteColoursMarkersHatchingAndOptionBoxes) {
  GState.ShowPalette = 1;
  OpenPanel();
  // Plain HSV: red at the right of the ring, white and black at the square's
  // top-left and bottom-right corners.
  GState.DragTarget = kDragSquare;
  GState.CurrentHsv = {0.5f, 0.0f, 1.0f, 255};  // saturation 0, value 1: marker centre (48, 48)
  GState.CurrentRgb = {255.0f, 0.0f, 0.0f, 255};
  BuildPaletteImage(Context());
  EXPECT_EQ(Opaque(255, 0, 0), At(110, 175, 90));
  EXPECT_EQ(Opaque(0, 0, 0), At(110, 132, 132));
  const Pixel markerHue = PickerHsvToPixel(Context(), {0.5f, 1.0f, 1.0f, 255});
  const Pixel markerInverse = host->ToPixel(Rgba{static_cast<uint8_t>(255 - host->FromPixel(markerHue).r),
                                                 static_cast<uint8_t>(255 - host->FromPixel(markerHue).g),
                                                 static_cast<uint8_t>(255 - host->FromPixel(markerHue).b), 255});
  EXPECT_EQ(markerInverse, At(110, 48, 48)) << "marker centre";
  EXPECT_EQ(markerInverse, At(110, 52, 52));
  EXPECT_EQ(markerHue, At(110, 48, 50));
  // Flood background fills the zones with the current colour; off, the
  // background picture (transparent) shows.
  GState.CurrentPixel = Opaque(10, 200, 30);
  GState.FloodBackground = 1;
  BuildPaletteImage(Context());
  EXPECT_EQ(Opaque(10, 200, 30), At(110, 90, 40));
  GState.FloodBackground = 0;
  BuildPaletteImage(Context());
  EXPECT_EQ(0u, At(110, 90, 40));

  // Value 0 puts the marker on row 132; saturation beyond the square gives
  // the four dotted corner diagonals instead.
  GState.CurrentHsv = {0.5f, 1.1f, 0.5f, 255};
  BuildPaletteImage(Context());
  EXPECT_EQ(markerHue, At(110, 48, 48));
  EXPECT_EQ(markerInverse, At(110, 49, 49));
  EXPECT_EQ(markerInverse, At(110, 130, 49));
  EXPECT_EQ(markerHue, At(110, 131, 131));

  // Hatching only with the gamut warning on; with HueRingMode 0 the ring is
  // never hatched, the square still is.
  GState.CurrentHsv = {0.5f, 0.5f, 0.5f, 255};
  GState.HueRingMode = 0;
  GState.GamutMode = kGamutOff;
  BuildPaletteImage(Context());
  const std::vector<Pixel> unhatched = Gadget(110).imagePixels;
  GState.GamutMode = kGamutNarrow;
  BuildPaletteImage(Context());
  const std::vector<Pixel> hatched = Gadget(110).imagePixels;
  int32_t ringChanged = 0, squareChanged = 0;
  for (int32_t y = 0; y < 180; ++y) {
    for (int32_t x = 0; x < 180; ++x) {
      const size_t i = static_cast<size_t>(y) * 180 + x;
      if (unhatched[i] == hatched[i]) continue;
      EXPECT_EQ(0, (x + y) % 4) << x << "," << y << " hatching only on every fourth diagonal";
      const PaletteArea area = PaletteAreaAt(x, y);
      ringChanged += area == PaletteArea::kHueRing;
      squareChanged += area == PaletteArea::kSatValSquare;
    }
  }
  EXPECT_EQ(0, ringChanged);
  EXPECT_GT(squareChanged, 100);

  // Option boxes: CIE white, sample source both bits a white/red checker.
  GState.CieHsvMode = 1;
  GState.SampleSourceFlags = kSampleSingleLayer | kSampleFrozen;
  GState.HueRingMode = kRingCie;
  BuildPaletteImage(Context());
  EXPECT_EQ(Opaque(255, 255, 255), At(110, 169, 170));
  EXPECT_EQ(Opaque(255, 255, 255), At(110, 174, 175));
  EXPECT_EQ(Opaque(255, 255, 255), At(110, 169, 161));  // (x + y) even
  EXPECT_EQ(Opaque(255, 0, 0), At(110, 170, 161));
  EXPECT_EQ(Opaque(255, 0, 0), At(110, 5, 160)) << "ring mode 0x2 alone: red";
  EXPECT_EQ(0u, At(110, 5, 170)) << "flood off: the background's empty box";
  EXPECT_EQ(180, GState.PickerAreaSize[0]);
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

// Digests of the whole panel as the host shows it, one per named state. The
// same table holds for the native and the Windows build (single-precision
// arithmetic with the same bits on both). A change of the drawing or of the
// artwork changes them on purpose: check the pictures (tools/run-session.sh)
// and update the table.
TEST_F(PanelPictures, NamedStatesMatchTheirGoldenDigests) {
  const std::vector<std::pair<std::string, std::string>> golden = {
      {"swatches", "d3efe331869b9dfe"},
      {"slider-lab", "da5dcf83012b095e"},
      {"slider-lab-locked-gamut", "0324de842523ea9e"},
      {"slider-scheme", "c86e11929580ef22"},
      {"slider-gradient", "643e5e64e072f41e"},
      {"palette-hsv", "586aa74b53d93add"},
      {"palette-hsv-ring-current", "69782d0e122f04f8"},
      {"palette-cie", "f59af5503e37b0a1"},
      {"palette-cie-gamut", "20b4016c8e36806c"},
      {"palette-locks-options", "750329e661f7d8f7"},
      {"palette-out-of-square", "2b380cd20c5258ad"},
      {"canvas-mode", "3f41ef3e65c2e90c"},
      {"paint-sign-minus", "32955d7f94f664e4"},
      {"paint-sign-plus", "82fb2b767a3c9d60"},
      {"paint-sign-cross", "ea5c1a89fd06372f"},
      {"full", "6027eaa2391d7f14"},
      {"lamp-off", "f992a566fed73202"},
      {"lamp-green", "5fb5957f27e69f39"},
      {"lamp-lime", "c07f8a044d30970c"},
      {"lamp-red", "079e34b05b1ec796"},
      {"lamp-orange", "df53ba0bb2d8607e"},
  };
  ASSERT_EQ(1, host->Open());
  std::string table;
  for (const PanelState& state : NamedPanelStates()) {
    ShowPanelState(*host, state);
    const simhost::Requester* panel = host->FindRequester(GState.PanelRequester);
    ASSERT_NE(nullptr, panel);
    const std::string digest = simhost::PictureDigest(simhost::ComposeRequester(*panel, options.channelPositions));
    table += std::string("      {\"") + state.name + "\", \"" + digest + "\"},\n";
    for (const auto& [name, expected] : golden) {
      if (name == state.name) {
        EXPECT_EQ(expected, digest) << name;
      }
    }
  }
  EXPECT_EQ(NamedPanelStates().size(), golden.size()) << "table now:\n" << table;
  EXPECT_TRUE(host->Faults().empty()) << host->Faults().front();
}

// The fast palette path keeps colours between calls; over a long seeded
// sequence of states, changing a few inputs at a time as drags do, it must
// give exactly the plain path's pixels (160 states natively, 40 under the
// sanitizers and wine).
TEST_F(PanelPictures, SweepFastPaletteMatchesThePlainPath) {
  std::mt19937 random(20240611);
  auto pick = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
  auto unit = [&](float scale) { return std::uniform_real_distribution<float>(0.0f, scale)(random); };
  PluginContext* context = Context();
  std::vector<Pixel> background(kPackedImagePixels);
  UnpackImage(kPaletteBackground.Data, static_cast<size_t>(kPaletteBackground.Size), background.data(),
              kPackedImagePixels);
  PaletteInputs inputs{{0.3f, 0.5f, 0.5f, 255}, {0.3f, 0.5f, 0.5f, 255}, 0.3f};
  const int kStates = 160 / static_cast<int>(SweepStride(4));
  for (int step = 0; step < kStates; ++step) {
    switch (pick(9)) {  // what changes, as one drag event or one option would change it
      case 0: inputs.squareHue = WrapPickerHue(unit(1.2f)); break;
      case 1: inputs.ringSource.c1 = unit(1.4f), inputs.ringSource.c2 = unit(1.0f); break;
      case 2: GState.HueRingMode = pick(4); break;
      case 3: GState.CieHsvMode = pick(2); break;
      case 4: GState.GamutMode = pick(3); break;
      case 5: GState.RingLockBits = pick(8); break;
      case 6: GState.FloodBackground = pick(2), GState.CurrentPixel = static_cast<Pixel>(random()) | 0xff000000u; break;
      case 7: GState.ReferenceWhite[pick(3)] = 90.0f + unit(20.0f); break;
      default: break;  // nothing changed: the kept colours are used as they are
    }
    std::vector<Pixel> fast = background, plain = background;
    DrawPaletteAreas(context, fast.data(), inputs);
    DrawPaletteAreasPlain(context, plain.data(), inputs);
    size_t first = 0;
    while (first < fast.size() && fast[first] == plain[first]) ++first;
    ASSERT_EQ(fast.size(), first) << "step " << step << ": first difference at x " << first % 180 << " y "
                                  << first / 180 << " (ring mode " << GState.HueRingMode << ", CIE "
                                  << GState.CieHsvMode << ", gamut " << GState.GamutMode << ")";
  }
}

}  // namespace
