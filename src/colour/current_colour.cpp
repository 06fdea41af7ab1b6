// Tintwell colour: the current colour's one owner.
//
// Layer: colour/. The only writer of CurrentPixel, CurrentRgb, CurrentHsv,
// HueRingHsv and SliderCoords (tools/count-colour-writes.sh counts the places
// elsewhere: none), and the only sender of the pens. Conversions come from
// panel_models, the plain mixing from colour_mixing, the host exchanges from
// pens.
#include "colour/current_colour.h"

#include "colour/colour_mixing.h"
#include "colour/panel_models.h"
#include "colour/pens.h"
#include "core/plugin_state.h"

static_assert(kPenRangeSize == static_cast<int>(sizeof GState.GradientTable / sizeof(Pixel)),
              "the gradient table holds the host's whole A-B range");

// ---------------------------------------------------------------- take

// The slider's coordinates are worked out before the picker's: a grey takes
// the remembered hue in both, and the picker's conversion leaves a grey's hue
// as it was, so the order makes no difference to either.
void TakeCurrentFromPixel(PluginContext* context, Pixel pixel) {
  GState.CurrentPixel = pixel;
  GState.CurrentRgb = PixelToRgb(context, pixel);
  GState.SliderCoords = PixelToSlider(context, pixel);
  GState.CurrentHsv = PixelToPickerHsv(context, pixel);
}

void TakeAPenAsCurrent(PluginContext* context) {
  const Pixel aPen = GetAPen(context);
  GState.BasePixel = aPen;
  TakeCurrentFromPixel(context, aPen);
  GState.LastReleaseKind = kReleaseRefreshed;
}

void TakeCurrentFromRgb(PluginContext* context, ColourTriple rgb) {
  GState.CurrentPixel = RgbToPixel(context, rgb);
  GState.CurrentRgb = rgb;
}

void TakeCurrentFromSlider(PluginContext* context, ColourTriple coords) {
  GState.SliderCoords = coords;
  GState.CurrentPixel = SliderToPixel(context, coords);
  GState.CurrentRgb = SliderToRgb(context, coords);
}

void TakeCurrentFromPicker(PluginContext* context, ColourTriple hsv) {
  GState.CurrentHsv = hsv;
  GState.CurrentPixel = PickerHsvToPixel(context, hsv);
  GState.CurrentRgb = PickerHsvToRgb(hsv);
}

// ---------------------------------------------------------------- mix

void MixIntoCurrent(Pixel colour, int32_t pressure, PluginContext* context) {
  const float strength = MixStrength(pressure, GState.PressureSensitivity);
  const PixelAndRgb mixed = MixColour(context, GState.CurrentRgb, colour, strength, GState.XyzMixMode != 0);
  GState.CurrentRgb = mixed.rgb;
  GState.CurrentPixel = mixed.pixel;
}

void WeightedPick(Pixel sample, int32_t pressure, PluginContext* context) {
  Pixel target = 0;
  if (WeightedPickTarget(context, GState.CurrentRgb, sample, &target)) MixIntoCurrent(target, pressure, context);
}

// ---------------------------------------------------------------- records that follow the colour

void FollowColour(ColourTriple rgb) {
  GState.SliderCoords = RgbToSlider(rgb);
  GState.CurrentHsv = RgbToPickerHsv(rgb);
  SetRingColour(GState.CurrentHsv, GState.CieHsvMode != 0);  // the picker's model
}

void SetPickerHsv(ColourTriple hsv) { GState.CurrentHsv = hsv; }

void SetRingColour(ColourTriple hsv, bool cie) {
  GState.HueRingHsv = hsv;
  GState.HueRingCie = cie ? 1 : 0;
}

void DeriveRingColour(bool cie) {
  SetRingColour(cie ? PanelRgbToCieHsv(GState.CurrentRgb) : PanelRgbToHsv(GState.CurrentRgb), cie);
}

void MoveSliderTo(ColourTriple coords) { GState.SliderCoords = coords; }

void MoveSliderToColour(ColourTriple rgb) { GState.SliderCoords = RgbToSlider(rgb); }

// ---------------------------------------------------------------- send

namespace {

// The A-B gradient starts at the A pen: after a new one it is read again,
// unless the slider itself is being dragged, when it holds still and is
// marked behind. A slider gesture can be cut short without a release; the
// mark outlives it and the panel reads the range when it next catches up.
void GradientFollowsAPen(PluginContext* context) {
  if (GState.DragTarget & kDragSlider) {
    GState.GradientStale = 1;
  } else {
    LoadGradientTable(context);
  }
}

}  // namespace

void SendAPen(PluginContext* context, Pixel pen) {
  SetAPen(context, pen);
  GradientFollowsAPen(context);
}

void SendCurrentColour(PluginContext* context) { SendAPen(context, GState.CurrentPixel); }

// Until the next reload (the A pen's, or the panel's catching up).
void SendBPen(PluginContext* context, Pixel pen) {
  SetBPen(context, pen);
  GState.GradientStale = 1;
}

void LoadGradientTable(PluginContext* context) {
  ReadPenRange(context, GState.GradientTable.data());
  GState.GradientStale = 0;  // the table is the host's range between the pens again
}

// ---------------------------------------------------------------- read

PixelAndRgb CurrentColour() { return PixelAndRgb{GState.CurrentPixel, GState.CurrentRgb}; }
