// Tintwell panel: the hover help.
//
// With Quick Help on, the host reports every pointer move over the panel; the
// area under the pointer names itself in the panel's title bar, and the help
// text of the gadget under it explains the area. Titles and texts come by
// number through the localisation look-up (built-in GBK texts otherwise),
// copied and cut to what the host takes.
//
// Areas, top to bottom (s = 1 while the value slider is shown):
//   y < 48                 swatch band: B (x < 92, y < 24), base (x < 92),
//                          current (x >= 92)
//   48 <= y < 80, slider   value slider, titled by its mode
//   48 + 32s < y, palette  the palette picture, by distance r from its centre:
//                          64..87 hue ring; >= 89 the corner icon or option
//                          box of the quadrant; otherwise the inner zones
//   the row 48 + 32s, hidden sections and the FX-brush row give no help.
//
// Panel layer; calls host/ and store/.
#include "panel/help_texts.h"

#include <cmath>
#include <cstdlib>

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "store/builtin_texts_ids.h"
#include "store/localisation.h"

namespace {

constexpr int32_t kSwatchGadgetId = 100;
constexpr int32_t kPaletteGadgetId = 110;

// Swatch band and value slider rows of the panel.
constexpr int32_t kSwatchBandHeight = 48;
constexpr int32_t kSliderHeight = 32;
constexpr int32_t kSwatchSplitX = 92;  // B and base swatches left of it, current swatch from it
constexpr int32_t kSwatchSplitY = 24;  // B swatch above it, base swatch from it

// The palette section: picture centre relative to the section's top row,
// and the section's height (the FX-brush row follows it).
constexpr int32_t kPaletteLeft = 1;
constexpr int32_t kPaletteTop = 50;
constexpr int32_t kPaletteSectionHeight = 185;
constexpr int32_t kPaletteSizeFallback = 180;  // before the first palette picture is built

// Radii (whole pixels) and offsets of the palette areas, from the centre.
constexpr int32_t kRingInner = 64;
constexpr int32_t kRingOuter = 87;
constexpr int32_t kCornerRadius = 89;
constexpr int32_t kSquareHalf = 41;       // |dx|, |dy| up to this: the SATVAL square
constexpr int32_t kLowerBoxSplit = 77;    // dy from this: the lower option box of a lower corner

// Whole part of the distance, exact for every integer square.
int32_t WholeDistance(int32_t dx, int32_t dy) {
  const int64_t squared = static_cast<int64_t>(dx) * dx + static_cast<int64_t>(dy) * dy;
  int64_t r = static_cast<int64_t>(std::sqrt(static_cast<double>(squared)));
  while (r * r > squared) --r;
  while ((r + 1) * (r + 1) <= squared) ++r;
  return static_cast<int32_t>(r);
}

HoverHelpEntry Entry(int32_t title, int32_t text, int32_t gadget) { return HoverHelpEntry{title, text, gadget}; }

HoverHelpEntry LampEntry() {
  switch (GState.LightMode) {
    case kLightCie:
      return Entry(texts::kHelpLampCieTitle, texts::kHelpLampCie, kPaletteGadgetId);
    case kLightAdditive:
      return Entry(texts::kHelpLampAdditiveTitle, texts::kHelpLampAdditive, kPaletteGadgetId);
    default:
      return Entry(texts::kHelpLampNativeTitle, texts::kHelpLampNative, kPaletteGadgetId);
  }
}

bool FindPaletteHelp(int32_t dx, int32_t dy, HoverHelpEntry* entry) {
  const int32_t r = WholeDistance(dx, dy);
  if (r >= kRingInner && r <= kRingOuter) {
    *entry = Entry(texts::kHelpHueRingTitle, texts::kHelpHueRing, kPaletteGadgetId);
    return true;
  }
  if (r >= kCornerRadius) {
    // The centre lines between the corners belong to none of them.
    if (dx == 0 || dy == 0) return false;
    if (dy < 0) {
      *entry = dx < 0 ? Entry(texts::kHelpSwapTitle, texts::kHelpSwap, kPaletteGadgetId) : LampEntry();
    } else if (dx < 0) {
      *entry = dy < kLowerBoxSplit ? Entry(texts::kHelpDynamicRingTitle, texts::kHelpDynamicRing, kPaletteGadgetId)
                                   : Entry(texts::kHelpBackgroundTitle, texts::kHelpBackground, kPaletteGadgetId);
    } else {
      *entry = dy < kLowerBoxSplit ? Entry(texts::kHelpSingleLayerTitle, texts::kHelpSingleLayer, kPaletteGadgetId)
                                   : Entry(texts::kHelpCiePaletteTitle, texts::kHelpCiePalette, kPaletteGadgetId);
    }
    return true;
  }
  // Inside the ring, and the one-pixel gap between ring and corners.
  if (std::abs(dx) > kSquareHalf) {
    *entry = Entry(texts::kHelpSaturationTitle, texts::kHelpSaturation, kPaletteGadgetId);
  } else if (std::abs(dy) <= kSquareHalf) {
    *entry = Entry(texts::kHelpSatValTitle, texts::kHelpSatVal, kPaletteGadgetId);
  } else {
    *entry = Entry(texts::kHelpValueTitle, texts::kHelpValue, kPaletteGadgetId);
  }
  return true;
}

void SetPanelTitle(PluginContext* context, RequesterHandle panel, int32_t number) {
  char title[kHostTextBufferSize];
  HostSetRequesterTitle(context, panel, CopyLocalisedText(context, number, title, sizeof title));
}

}  // namespace

bool FindHoverHelp(int32_t x, int32_t y, HoverHelpEntry* entry) {
  const int32_t sliderRows = GState.SliderMode > 0 ? kSliderHeight : 0;
  if (y < kSwatchBandHeight) {
    if (x >= kSwatchSplitX) {
      *entry = Entry(texts::kHelpCurrentSwatchTitle, texts::kHelpCurrentSwatch, kSwatchGadgetId);
    } else if (y < kSwatchSplitY) {
      *entry = Entry(texts::kHelpBSwatchTitle, texts::kHelpBSwatch, kSwatchGadgetId);
    } else {
      *entry = Entry(texts::kHelpBaseSwatchTitle, texts::kHelpBaseSwatch, kSwatchGadgetId);
    }
    return true;
  }
  if (sliderRows && y < kSwatchBandHeight + kSliderHeight) {
    // The titles keep the slider's older mode names: A-B gradient "VAL",
    // colour scheme "YUV", LAB value (and anything else) "LAB".
    const int32_t title = GState.SliderMode == kSliderGradient  ? texts::kHelpSliderValTitle
                          : GState.SliderMode == kSliderPalette ? texts::kHelpSliderYuvTitle
                                                                : texts::kHelpSliderLabTitle;
    *entry = Entry(title, texts::kHelpSlider, kSwatchGadgetId);
    return true;
  }
  const int32_t sectionTop = kSwatchBandHeight + sliderRows;
  if (!GState.ShowPalette || y <= sectionTop || y >= sectionTop + kPaletteSectionHeight) return false;
  const int32_t width = GState.PickerAreaSize[0] > 0 ? GState.PickerAreaSize[0] : kPaletteSizeFallback;
  const int32_t height = GState.PickerAreaSize[1] > 0 ? GState.PickerAreaSize[1] : kPaletteSizeFallback;
  const int32_t dx = x - kPaletteLeft - width / 2;
  const int32_t dy = y - kPaletteTop - height / 2 - sliderRows;
  return FindPaletteHelp(dx, dy, entry);
}

void ShowHoverHelp(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y) {
  const RequesterHandle panel = GState.PanelRequester;
  if (!panel) return;
  int32_t width = 0;
  int32_t height = 0;
  // Outside the panel (or a move reported for another window) the title
  // returns to the plug-in's own.
  if (requester != panel || x <= 0 || y <= 0 ||
      !HostGetRequesterPlace(context, panel, nullptr, nullptr, &width, &height) || x >= width || y >= height) {
    SetPanelTitle(context, panel, texts::kPanelTitle);
    return;
  }
  HoverHelpEntry entry;
  if (!FindHoverHelp(x, y, &entry)) return;
  SetPanelTitle(context, panel, entry.TitleNumber);
  char text[kHostTextBufferSize];
  HostSetGadgetHelp(context, panel, entry.GadgetId, CopyLocalisedText(context, entry.TextNumber, text, sizeof text));
}
