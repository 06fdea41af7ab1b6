// Tintwell panel: drawing the swatch and palette pictures into host images
// and handing them to their gadgets.
//
// Layer: panel/ (draws from GState; calls host/, colour/, store/). Pixel
// contract: row after row, origin top left, channels at the context's
// positions, colours premultiplied.
//
// Every rebuild draws a fresh image and shows it; the image the gadget
// showed before is freed once the new one is shown, so each gadget holds one
// live image however long a drag goes on.
#include "panel/panel_images.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "colour/colour_mixing.h"
#include "colour/colour_models.h"
#include "colour/colour_rows.h"
#include "colour/panel_models.h"
#include "colour/pens.h"
#include "core/artwork.h"
#include "host/host_calls.h"
#include "host/host_images.h"
#include "panel/palette_picture.h"
#include "panel/panel_geometry.h"
#include "store/colour_scheme.h"

namespace {

constexpr int32_t kCanvasModes = kModePick | kModeBrush;
constexpr int32_t kPickerDrags = kDragHueRing | kDragSquare | kDragSaturationBars | kDragValueBars;
constexpr float kSliderMarkerHalfWidth = 0.8f;  // L* units either side of the marker value
constexpr int32_t kSliderStopRows[2] = {72, 73};   // stop marks at the bottom of the palette strip
constexpr int32_t kSliderFifthLastRow = 44;        // the current fifth is marked in rows 42..44
constexpr float kSliderFifths = 5.0f;

// The slider's rows repeat with the row number modulo 4 at most (the
// checkered marks), so each column's colours are worked out once and the
// distinct rows are drawn whole, then copied down.
constexpr int32_t kSliderRowPeriod = 4;

Pixel* SliderRow(Pixel* pixels, int32_t y) { return pixels + y * kSwatchImageWidth; }

// Fills the slider rows from the rows already drawn one period up.
void RepeatSliderRows(Pixel* pixels, int32_t firstRepeated) {
  for (int32_t y = firstRepeated; y <= kSliderLastRow; ++y) {
    std::memcpy(SliderRow(pixels, y), SliderRow(pixels, y - kSliderRowPeriod), sizeof(Pixel) * kSwatchImageWidth);
  }
}

// Slider rows of the palette-gradient mode: the colour-scheme stops; the
// current fifth is marked in the top rows, a stop's first column in the
// bottom two.
void DrawSchemeRows(const PluginContext* context, Pixel* pixels) {
  const ColourSchemeState& scheme = GState.ColourScheme;
  const float k = static_cast<float>(scheme.slot);
  Pixel* plain = SliderRow(pixels, kSliderFifthLastRow + 1);
  Pixel* fifth = SliderRow(pixels, kSliderFirstRow);
  Pixel* stops = SliderRow(pixels, kSliderStopRows[0]);
  int32_t stop = 0;
  for (int32_t x = 0; x < kSwatchImageWidth; ++x) {
    const float p = static_cast<float>(x) / static_cast<float>(kSwatchImageWidth);
    bool stopColumn = false;
    if (stop < scheme.count - 1 && scheme.sorted[stop + 1] && scheme.sorted[stop + 1]->position < p) {
      ++stop;
      stopColumn = true;
    }
    const ColourSchemePoint* point = scheme.count > 0 ? scheme.sorted[stop] : nullptr;
    const Pixel c = point ? point->colour : 0;
    const Pixel ci = InvertPixel(context, c);
    const bool currentFifth = k / kSliderFifths <= p && p < (k + 1.0f) / kSliderFifths;
    plain[x] = c;
    fifth[x] = currentFifth ? ci : c;
    stops[x] = stopColumn ? ci : c;
  }
  for (int32_t y = kSliderFirstRow + 1; y <= kSliderFifthLastRow; ++y) {
    std::memcpy(SliderRow(pixels, y), fifth, sizeof(Pixel) * kSwatchImageWidth);
  }
  for (int32_t y = kSliderFifthLastRow + 2; y <= kSliderLastRow; ++y) {
    if (y == kSliderStopRows[0]) continue;  // drawn above
    std::memcpy(SliderRow(pixels, y), y == kSliderStopRows[1] ? stops : plain, sizeof(Pixel) * kSwatchImageWidth);
  }
}

// Slider rows of the L* value and A-B gradient modes.
void DrawValueRows(const PluginContext* context, Pixel* pixels, const ColourTriple& coords, Pixel white, Pixel black) {
  const bool lab = GState.SliderMode == kSliderLabValue;
  const int32_t markerStep = GState.LumaLock ? 4 : 2;  // the slider lock thins the marker's white
  ColourTriple slider[kSwatchImageWidth];
  Pixel colours[kSwatchImageWidth];
  int32_t warnings[kSwatchImageWidth];
  for (int32_t x = 0; x < kSwatchImageWidth; ++x) {
    const float p = static_cast<float>(x) / static_cast<float>(kSwatchImageWidth);
    slider[x] = {p * (lab ? 100.0f : 255.0f), coords.c1, coords.c2, coords.alpha};
  }
  if (lab) {
    LabToPixelRow(context, CurrentWhite(), slider, colours, kSwatchImageWidth);
  } else {
    for (int32_t x = 0; x < kSwatchImageWidth; ++x) colours[x] = SliderToPixel(context, slider[x]);
  }
  NtscGamutCheckRow(context, GState.GamutMode, colours, warnings, kSwatchImageWidth);
  for (int32_t x = 0; x < kSwatchImageWidth; ++x) {
    const Pixel c = colours[x];
    const bool marker = lab && std::abs(slider[x].c0 - coords.c0) <= kSliderMarkerHalfWidth;
    const Pixel ci = warnings[x] != 0 ? InvertPixel(context, c) : c;
    for (int32_t y = kSliderFirstRow; y < kSliderFirstRow + kSliderRowPeriod; ++y) {
      Pixel colour;
      if (marker) {
        colour = (x + y) % markerStep == 0 ? white : black;
      } else {
        colour = (x + y) % 4 == 0 ? ci : c;
      }
      SliderRow(pixels, y)[x] = colour;
    }
  }
  RepeatSliderRows(pixels, kSliderFirstRow + kSliderRowPeriod);
}

// The colour the slider is drawn around (c1, c2, alpha) and its marker (c0).
ColourTriple SliderDrawCoords(const PluginContext* context) {
  if (!(GState.DragTarget & kDragSlider)) return PixelToSlider(context, GState.CurrentPixel);
  ColourTriple coords = GState.SliderCoords;
  if (GState.ModeFlags & kModePick) coords.c0 = PixelToSlider(context, GState.CurrentPixel).c0;
  return coords;
}

// Markers follow the colour being edited while the user drags on the
// picker, otherwise the host's A pen (which a canvas mode changes).
ColourTriple MarkerColour(PluginContext* context) {
  const bool canvasMode = (GState.ModeFlags & kCanvasModes) != 0;
  const bool editing = (GState.DragTarget & kPickerDrags) != 0 ||
                       ((GState.DragTarget & kDragSlider) && GState.SliderMode == kSliderGradient);
  ColourTriple m;
  if (!canvasMode && editing) {
    m = GState.CurrentHsv;
  } else {
    m = PixelToPickerHsv(context, GetAPen(context));  // a grey keeps the current hue
  }
  m.c0 = WrapPickerHue(m.c0);
  return m;
}

ColourTriple RgbToRingSpace(ColourTriple rgb) {
  return (GState.HueRingMode & kRingCie) ? PanelRgbToCieHsv(rgb) : PanelRgbToHsv(rgb);
}
ColourTriple RingSpaceToRgb(ColourTriple hsv) {
  return (GState.HueRingMode & kRingCie) ? PanelCieHsvToRgb(hsv) : HsvToRgb(hsv);
}
bool SpacesAgree() { return ((GState.HueRingMode & kRingCie) != 0) == (GState.CieHsvMode != 0); }

// Saturation and value the ring's current-colour bands show (ring space).
ColourTriple RingSource() {
  if (!(GState.DragTarget & kDragHueRing)) return RgbToRingSpace(GState.CurrentRgb);
  if (SpacesAgree()) return GState.HueRingHsv;
  return RgbToRingSpace(PickerHsvToRgb(GState.HueRingHsv));
}

// The hue the square shows (picker space).
float SquareHue(const ColourTriple& marker) {
  const int32_t drag = GState.DragTarget;
  float hue;
  if (!(drag & kPickerDrags)) {
    hue = RgbToPickerHsv(GState.CurrentRgb).c0;
  } else if (drag & kDragHueRing) {
    const bool bothCie = (GState.HueRingMode & kRingCie) && GState.CieHsvMode;
    hue = bothCie ? marker.c0 : RgbToPickerHsv(GState.CurrentRgb).c0;
  } else if (SpacesAgree()) {
    hue = marker.c0;
  } else {
    const ColourTriple rgb = RingSpaceToRgb(GState.HueRingHsv);
    hue = GState.CieHsvMode ? PanelRgbToCieHsv(rgb).c0 : PanelRgbToHsv(rgb).c0;
  }
  return WrapPickerHue(hue);
}

}  // namespace

void BuildSwatchImage(PluginContext* context) {
  const RequesterHandle panel = GState.PanelRequester;
  if (!panel) return;
  const bool slider = GState.SliderMode > 0;
  const int32_t height = slider ? kSliderImageHeight : kSwatchBandHeight;
  HostImage* image = AllocExactImage(context, kSwatchImageWidth, height);
  if (!image) return;
  const ColourTriple coords = SliderDrawCoords(context);
  const Pixel bPen = GetBPen(context);
  if (GState.SliderMode == kSliderPalette) SortColourScheme();

  Pixel* pixels = image->Pixels;
  const bool framed = (GState.ModeFlags & kCanvasModes) != 0;
  const Pixel white = MakePixel(context, 255, 255, 255, 255);
  const Pixel black = MakePixel(context, 0, 0, 0, 255);
  for (int32_t y = 0; y < kSwatchBandHeight; ++y) {
    Pixel* row = pixels + y * kSwatchImageWidth;
    std::fill(row, row + kSwatchSplitX, y <= kBSwatchLastRow ? bPen : GState.BasePixel);
    std::fill(row + kSwatchSplitX, row + kSwatchImageWidth, GState.CurrentPixel);
    if (!framed) continue;
    // A canvas mode is on: a checkered frame around the swatches.
    const bool frameRow = y < kCanvasModeFrame || y >= kSwatchBandHeight - kCanvasModeFrameFar;
    for (int32_t x = 0; x < kSwatchImageWidth; ++x) {
      if (frameRow || x < kCanvasModeFrame || x >= kSwatchImageWidth - kCanvasModeFrameFar) {
        row[x] = (x + y) % 2 == 0 ? white : black;
      }
    }
  }
  if (GState.SliderMode == kSliderPalette) {
    DrawSchemeRows(context, pixels);
  } else if (slider) {
    DrawValueRows(context, pixels, coords, white, black);
  }
  ShowHeldImage(context, panel, kSwatchGadget, image, &GState.SwatchImage);
}

void BuildPaletteImage(PluginContext* context) {
  const RequesterHandle panel = GState.PanelRequester;
  if (!panel || !GState.ShowPalette) return;
  HostImage* image = AllocExactImage(context, kPaletteImageSize, kPaletteImageSize);
  if (!image) return;
  HostUnpackImage(context, kPaletteBackground.Data, image->Pixels, kPackedImagePixels);
  GState.PickerAreaSize[0] = image->Width;
  GState.PickerAreaSize[1] = image->Height;

  PaletteInputs inputs;
  inputs.marker = MarkerColour(context);
  inputs.ringSource = RingSource();
  inputs.squareHue = SquareHue(inputs.marker);
  DrawPaletteAreas(context, image->Pixels, inputs);
  DrawPaletteOverlays(context, image->Pixels, inputs);
  ShowHeldImage(context, panel, kPaletteGadget, image, &GState.PaletteImage);
}
