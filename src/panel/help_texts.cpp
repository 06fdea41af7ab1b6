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
#include "panel/panel_geometry.h"
#include "store/builtin_texts_ids.h"
#include "store/localisation.h"

namespace {

// Swatch band in panel pixels: B and base swatches left of kHoverSwatchSplitX,
// the B swatch above kHoverSwatchSplitY.
constexpr int32_t kHoverSwatchSplitX = 92;
constexpr int32_t kHoverSwatchSplitY = 24;

// The palette picture's top in the panel, above the slider rows.
constexpr int32_t kPaletteTop = 50;

// The inner zones as the hover help tells them apart: |dx| beyond this is
// the saturation zone, |dy| beyond it (with |dx| within) the value zone.
constexpr int32_t kHoverSquareHalf = 41;

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
      return Entry(texts::kHelpLampCieTitle, texts::kHelpLampCie, kPaletteGadget);
    case kLightAdditive:
      return Entry(texts::kHelpLampAdditiveTitle, texts::kHelpLampAdditive, kPaletteGadget);
    default:
      return Entry(texts::kHelpLampNativeTitle, texts::kHelpLampNative, kPaletteGadget);
  }
}

bool FindPaletteHelp(int32_t dx, int32_t dy, HoverHelpEntry* entry) {
  const int32_t r = WholeDistance(dx, dy);
  if (r >= kHueRingInner && r <= kHueRingOuter) {
    *entry = Entry(texts::kHelpHueRingTitle, texts::kHelpHueRing, kPaletteGadget);
    return true;
  }
  if (r >= kCornerPressMinRadius) {
    // The centre lines between the corners belong to none of them.
    if (dx == 0 || dy == 0) return false;
    if (dy < 0) {
      *entry = dx < 0 ? Entry(texts::kHelpSwapTitle, texts::kHelpSwap, kPaletteGadget) : LampEntry();
    } else if (dx < 0) {
      *entry = dy < kLowerOptionMinDy
                   ? Entry(texts::kHelpDynamicRingTitle, texts::kHelpDynamicRing, kPaletteGadget)
                   : Entry(texts::kHelpBackgroundTitle, texts::kHelpBackground, kPaletteGadget);
    } else {
      *entry = dy < kLowerOptionMinDy
                   ? Entry(texts::kHelpSingleLayerTitle, texts::kHelpSingleLayer, kPaletteGadget)
                   : Entry(texts::kHelpCiePaletteTitle, texts::kHelpCiePalette, kPaletteGadget);
    }
    return true;
  }
  // Inside the ring, and the one-pixel gap between ring and corners.
  if (std::abs(dx) > kHoverSquareHalf) {
    *entry = Entry(texts::kHelpSaturationTitle, texts::kHelpSaturation, kPaletteGadget);
  } else if (std::abs(dy) <= kHoverSquareHalf) {
    *entry = Entry(texts::kHelpSatValTitle, texts::kHelpSatVal, kPaletteGadget);
  } else {
    *entry = Entry(texts::kHelpValueTitle, texts::kHelpValue, kPaletteGadget);
  }
  return true;
}

void SetPanelTitle(PluginContext* context, RequesterHandle panel, int32_t number) {
  HostSetRequesterTitle(context, panel, LocalisedText(context, number));
}

}  // namespace

bool FindHoverHelp(int32_t x, int32_t y, HoverHelpEntry* entry) {
  const int32_t sliderRows = GState.SliderMode > 0 ? kSliderSectionHeight : 0;
  if (y < kPanelBaseHeight) {
    if (x >= kHoverSwatchSplitX) {
      *entry = Entry(texts::kHelpCurrentSwatchTitle, texts::kHelpCurrentSwatch, kSwatchGadget);
    } else if (y < kHoverSwatchSplitY) {
      *entry = Entry(texts::kHelpBSwatchTitle, texts::kHelpBSwatch, kSwatchGadget);
    } else {
      *entry = Entry(texts::kHelpBaseSwatchTitle, texts::kHelpBaseSwatch, kSwatchGadget);
    }
    return true;
  }
  if (sliderRows && y < kPanelBaseHeight + kSliderSectionHeight) {
    // The titles keep the slider's older mode names: A-B gradient "VAL",
    // colour scheme "YUV", LAB value (and anything else) "LAB".
    const int32_t title = GState.SliderMode == kSliderGradient  ? texts::kHelpSliderValTitle
                          : GState.SliderMode == kSliderPalette ? texts::kHelpSliderYuvTitle
                                                                : texts::kHelpSliderLabTitle;
    *entry = Entry(title, texts::kHelpSlider, kSwatchGadget);
    return true;
  }
  const int32_t sectionTop = kPanelBaseHeight + sliderRows;
  if (!GState.ShowPalette || y <= sectionTop || y >= sectionTop + kPaletteSectionHeight) return false;
  const int32_t width = GState.PickerAreaSize[0] > 0 ? GState.PickerAreaSize[0] : kPaletteImageSize;
  const int32_t height = GState.PickerAreaSize[1] > 0 ? GState.PickerAreaSize[1] : kPaletteImageSize;
  // From the picture's centre: dx grows to the right, dy downward.
  const int32_t dx = x - kPaletteGadgetX - width / 2;
  const int32_t dy = y - kPaletteTop - height / 2 - sliderRows;
  return FindPaletteHelp(dx, dy, entry);
}

void ShowHoverHelp(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y) {
  const RequesterHandle panel = GState.PanelRequester;
  // Tracking follows Quick Help, so moves come only while it is on; one that
  // arrives anyway shows nothing.
  if (!panel || !GState.PopHelp) return;
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
  HostSetGadgetHelp(context, panel, entry.GadgetId, LocalisedText(context, entry.TextNumber));
}
