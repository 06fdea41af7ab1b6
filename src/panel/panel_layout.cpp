// Tintwell panel: gadgets of the main panel and whole-panel refreshes.
//
// Layer: panel/. The panel is one column; sections stack from the top:
//   swatch band (+ value slider)  always          48 (+32) high
//   palette picture               ShowPalette     +185
//   lamp and three toggles        ShowFxBrush     +24
// Relayout removes every content gadget and adds back what is shown, so the
// gadgets always follow the flags; the panel keeps its place and only its
// height changes.
#include "panel/panel_layout.h"

#include <cstdlib>

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_images.h"
#include "panel/lamp_picture.h"
#include "panel/panel_images.h"
#include "store/builtin_texts_ids.h"
#include "store/localisation.h"

namespace {

constexpr int32_t kPanelGadgets[] = {kSwatchGadget, kPaletteGadget, kLampButton,
                                     kDirtButton,   kLoadButton,    kRotButton};

struct ToggleButton {
  int32_t id;
  int32_t x;
  int32_t bit;   // PaintModeBits bit it shows
  int32_t text;  // localised text number of its label
};
constexpr ToggleButton kToggleButtons[] = {
    {kDirtButton, kDirtButtonX, kPaintDirt, texts::kFxDirt},
    {kLoadButton, kLoadButtonX, kPaintLoad, texts::kFxLoad},
    {kRotButton, kRotButtonX, kPaintRot, texts::kFxRot},
};

// The lamp as the painter left it: switching it off keeps the second-state
// bit for the next switch-on, so the lamp is dark whenever the on bit is clear.
int32_t RestingLampType() {
  if (!(GState.PaintModeBits & kPaintLampOn)) return kLampTypeOff;
  return (GState.PaintModeBits & kPaintLampAlt) ? kLampTypeLime : kLampTypeGreen;
}

}  // namespace

void LayoutPanel(PluginContext* context) {
  const RequesterHandle panel = GState.PanelRequester;
  if (!panel) return;
  int32_t x = 0, y = 0, width = 0, height = 0;
  const bool placeKnown = HostGetRequesterPlace(context, panel, &x, &y, &width, &height) != 0;

  for (int32_t id : kPanelGadgets) HostRemoveGadget(context, panel, id);
  // The removed gadgets showed these; the new ones get fresh pictures.
  ReleasePanelImages(context);

  int32_t h = kPanelBaseHeight;
  if (GState.SliderMode > 0) h += kSliderSectionHeight;
  HostAddGadget(context, panel, kSwatchGadgetX, kSwatchGadgetY, kSwatchGadgetWidth, h - 4, kSwatchGadget,
                kGadgetImage, nullptr);
  HostSetGadgetHelp(context, panel, kSwatchGadget, LocalisedText(context, texts::kSwatchHelp));
  BuildSwatchImage(context);

  if (GState.ShowPalette) {
    HostAddGadget(context, panel, kPaletteGadgetX, h - 2, kPaletteGadgetWidth, kPaletteGadgetHeight,
                  kPaletteGadget, kGadgetImage, nullptr);
    h += kPaletteSectionHeight;
    BuildPaletteImage(context);
  }

  if (GState.ShowFxBrush) {
    HostAddGadget(context, panel, kLampButtonX, h - 2, kLampButtonSize, kLampButtonSize, kLampButton,
                  kGadgetImage, nullptr);
    ShowLamp(context, RestingLampType());
    for (const ToggleButton& button : kToggleButtons) {
      const int32_t flags = (GState.PaintModeBits & button.bit) ? kGadgetToggleOn : kGadgetToggleOff;
      HostAddGadget(context, panel, button.x, h + 2, kToggleButtonWidth, kToggleButtonHeight, button.id, flags,
                    LocalisedText(context, button.text));
    }
    h += kFxBrushSectionHeight;
  }

  // Without its place the panel is left where and as it is rather than
  // moved to a guessed one.
  if (placeKnown) HostSetRequesterPlace(context, panel, x, y, kPanelWidth, h);
}

void ReleasePanelImages(PluginContext* context) {
  FreeHeldImage(context, &GState.SwatchImage);
  FreeHeldImage(context, &GState.PaletteImage);
  FreeHeldImage(context, &GState.LampImage);
}
