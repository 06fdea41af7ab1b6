// Tintwell interaction: the palette picture's gestures.
//
// Picker coordinates (dx right, dy down from the centre, r the distance)
// choose the region, tested in this order:
//   hue ring      64 <= r <= 87
//   SATVAL square |dx| <= 44 and |dy| <= 44 (the picture ends at 42; the
//                 extra pixels clamp to the edge values)
//   bars          r <= 88: value bars above and below (|dx| <= 42),
//                 saturation bars left and right
//   corners       r >= 89, by quadrant
//
//   event    ring             square           bars              corners
//   press    left: drag 16    drag 32          left: drag        TL A/B swap (right: all locks)
//            right: hue lock  (either button)  128 / 256         TR paint mode
//                                              right: s / v lock BL ring options, background
//                                                                BR CIE model, LAB dialog,
//                                                                single layer, freeze
//   drag     hue from the     absolute s, v;   s or v by the     -
//            pointer's angle  right: fine      travel (fine)
//   release  draw-mode follow-up, scope closed, paint source or re-stroke
//
// The ring and the palette may use different models (plain HSV or CIE
// hue/chroma/lightness). CurrentHsv keeps the hue in the ring's model and
// saturation and value in the palette's; HueRingHsv is the colour the ring
// gesture started from, in the model the gesture does not edit, and edits
// across models go through RGB. A ring drag after a ring drag, or a square
// or bar drag after any other release on the palette (a click on an option
// box too), reuses HueRingHsv so that a hue is not lost through greys. It is
// derived afresh when the colour changed since the last colour drag ended
// (the slider, a mix, the host's pen: reusing it would snap the colour back)
// or when it is held in another model than the one the press reads it in.
//
// Sections: the state the gestures test and the ring colour's validity;
// presses by region; the colour a drag chooses (hue ring, square and bars,
// across models); press, drag and release.
// Interaction layer; calls host/, colour/, panel/, requesters/ and interact/.
#include "interact/palette_gestures.h"

#include <cstdlib>

#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "core/plugin_state.h"
#include "interact/canvas_modes.h"
#include "interact/draw_mode.h"
#include "interact/paint_mode.h"
#include "interact/pen_actions.h"
#include "interact/re_stroke.h"
#include "panel/panel_geometry.h"
#include "panel/panel_images.h"
#include "requesters/lab_dialog.h"
#include "requesters/vectorscope_window.h"

namespace {

// The square's picture: saturation 0..1 across dx -42..42, value 1..0 down dy -42..42.
constexpr float kSquareHalfF = static_cast<float>(kSquareHalf);
constexpr float kSquareSpanF = static_cast<float>(kSquareSpan);
// Pointer travel that moves saturation or value by 1 in a fine drag.
constexpr float kFineTravel = 90.0f;

constexpr float kTwoPi = 6.2831855f;

// Passes of the slider-locked hue drag: enough for the slider coordinate to
// settle while the hue moves; no convergence test.
constexpr int kSliderLockPasses = 8;

bool PickModeOn() { return (GState.ModeFlags & kModePick) != 0; }
bool RingIsCie() { return (GState.HueRingMode & kRingCie) != 0; }
bool PaletteIsCie() { return GState.CieHsvMode != 0; }
// The slider lock holds the slider's quantity while the hue turns; the A-B
// gradient has no such quantity (each place is one fixed colour), so there
// the lock would hold the whole colour and the ring would do nothing.
bool SliderLocked() {
  return GState.LumaLock && GState.SliderMode > kSliderHidden && GState.SliderMode != kSliderGradient && !PickModeOn();
}

bool IsColourDrag(int32_t target) {
  return target == kDragHueRing || target == kDragSquare || target == kDragSaturationBars ||
         target == kDragValueBars;
}

bool SameColour(const ColourTriple& a, const ColourTriple& b) {
  return a.c0 == b.c0 && a.c1 == b.c1 && a.c2 == b.c2 && a.alpha == b.alpha;
}

// HueRingHsv of an earlier gesture serves the next one only after a release
// of the kind the press asks for, with the colour untouched since the last
// colour drag and the ring colour held in the model the press reads it in.
bool RingColourStillValid(int32_t kind, bool readAsCie) {
  return GState.LastReleaseKind == kind && SameColour(GState.LastReleaseRgb, GState.CurrentRgb) &&
         (GState.HueRingCie != 0) == readAsCie;
}

// For square and bar drags: the ring colour in the ring's model.
void DeriveRingColourForSquare() {
  if (!RingColourStillValid(kReleasePicker, RingIsCie())) DeriveRingColour(RingIsCie());
}

int32_t Toggle(int32_t flag) { return flag ? 0 : 1; }

void HueRingPress(PluginContext* context, const PanelEvent& event) {
  if (event.buttons & kPanelButtonRight) {
    GState.RingLockBits ^= kLockRing;
    UpdateFxBrushWatch(context);
    BuildPaletteImage(context);
    return;
  }
  GState.DragTarget = kDragHueRing;
  // Only the hue follows the colour; saturation and value stay as they are.
  const ColourTriple followed = RgbToPickerHsv(GState.CurrentRgb);
  ColourTriple picker = GState.CurrentHsv;
  picker.c0 = followed.c0;
  picker.alpha = followed.alpha;
  SetPickerHsv(picker);
  if (!RingColourStillValid(kReleaseHueRing, PaletteIsCie())) DeriveRingColour(PaletteIsCie());
  OpenScopeWindow(context);
}

void SquarePress(PluginContext* context, const PickerPoint& point) {
  // Both buttons start the drag; the drag tells them apart.
  GState.DragTarget = kDragSquare;
  DeriveRingColourForSquare();
  GState.DragAnchor[0] = point.dx;
  GState.DragAnchor[1] = point.dy;
  OpenScopeWindow(context);
}

void BarsPress(PluginContext* context, const PanelEvent& event, const PickerPoint& point) {
  const bool right = (event.buttons & kPanelButtonRight) != 0;
  GState.DragAnchor[0] = point.dx;
  GState.DragAnchor[1] = point.dy;
  if (std::abs(point.dx) <= kSquareHalf) {  // above and below the square
    if (right) {
      GState.RingLockBits ^= kLockVertical;
    } else {
      GState.DragTarget = kDragValueBars;
    }
  } else if (right) {
    GState.RingLockBits ^= kLockHorizontal;
  } else {
    GState.DragTarget = kDragSaturationBars;
  }
  DeriveRingColourForSquare();
  if (right) {
    UpdateFxBrushWatch(context);
  } else {
    OpenScopeWindow(context);
  }
  BuildPaletteImage(context);
}

void CornerPress(PluginContext* context, const PanelEvent& event, const PickerPoint& point) {
  const bool right = (event.buttons & kPanelButtonRight) != 0;
  if (point.dx == 0 || point.dy == 0) {
    BuildPaletteImage(context);
    return;
  }
  if (point.dx < 0 && point.dy < 0) {  // A/B swap; right: all ring locks at once
    if (right) {
      GState.RingLockBits = (GState.RingLockBits & kLockAny) ? (GState.RingLockBits & ~kLockAny)
                                                             : (GState.RingLockBits | kLockAny);
      UpdateFxBrushWatch(context);
    } else {
      SwapPens(context);
      SetRingColour(GState.HueRingHsv, PaletteIsCie());  // the swap leaves the picker's coordinates there
    }
    BuildPaletteImage(context);
  } else if (point.dx > 0 && point.dy < 0) {  // paint mode
    PaintModeCornerPress(context, event.buttons, event.qualifier);
  } else if (point.dx < 0) {  // bottom left: background, ring options
    if (point.dy >= kLowerOptionMinDy) {
      GState.FloodBackground = Toggle(GState.FloodBackground);
    } else {
      GState.HueRingMode ^= right ? kRingCie : kRingShowsCurrent;
    }
    BuildPaletteImage(context);
  } else if (point.dy >= kLowerOptionMinDy) {  // bottom right, lower box: CIE model, LAB dialog
    if (right) {
      OpenLabDialog(context);
      BuildPaletteImage(context);
    } else {
      // The colour stays; only its coordinates change model.
      const ColourTriple colour = ColourHeldInCurrentHsv();
      GState.CieHsvMode = Toggle(GState.CieHsvMode);
      SetPickerHsv(RgbToPickerHsv(colour));
      BuildSwatchImage(context);
      BuildPaletteImage(context);
    }
  } else {  // bottom right, upper box: sample source
    GState.SampleSourceFlags ^= right ? kSampleFrozen : kSampleSingleLayer;
    LoadSampleBuffer(context);
    BuildPaletteImage(context);
  }
}

using Conversion = ColourTriple (*)(ColourTriple);

// What a palette drag chooses: the colour, and the picker's coordinates it
// leaves in CurrentHsv (another colour's when the ring and the palette use
// different models).
struct PanelColour {
  ColourTriple rgb;
  ColourTriple picker;
};

// The ring and the picker work in different HSV spaces: the ring's colour is
// taken into the picker's space (`toRgb`, then `toSpace`), gets hue h there
// and comes back (`fromSpace`); the current colour takes its saturation and
// value in the ring's space (`toRing`).
PanelColour TurnHueAcrossSpaces(float h, Conversion toRgb, Conversion toSpace, Conversion fromSpace,
                                Conversion toRing) {
  ColourTriple t = toSpace(toRgb(GState.HueRingHsv));
  t.c0 = h;
  const ColourTriple n = fromSpace(t);
  const ColourTriple u = toRing(n);
  ColourTriple picker = GState.CurrentHsv;
  picker.c0 = h;
  picker.c1 = u.c1;
  picker.c2 = u.c2;
  return PanelColour{n, picker};
}

// The same for a saturation and value set in the ring's space: the current
// colour takes the hue the result has in the picker's space.
PanelColour SetSatValAcrossSpaces(float s, float v, Conversion toRgb, Conversion toSpace, Conversion fromSpace,
                                  Conversion toPicker) {
  ColourTriple t = toSpace(toRgb(GState.HueRingHsv));
  t.c1 = s;
  t.c2 = v;
  const ColourTriple n = fromSpace(t);
  ColourTriple picker = GState.CurrentHsv;
  picker.c0 = toPicker(n).c0;
  picker.c1 = s;
  picker.c2 = v;
  return PanelColour{n, picker};
}

// New colour of a hue-ring drag at hue h (0, 1].
PanelColour HueRingColour(PluginContext* context, float h) {
  ColourTriple w = GState.CurrentHsv;
  if (GState.SliderMode == kSliderLabValue && GState.LumaLock && !PickModeOn()) {
    w = RgbToPickerHsv(SliderToRgb(context, GState.SliderCoords));
  }
  ColourTriple picker = GState.CurrentHsv;
  picker.c0 = h;
  if (SliderLocked()) {
    // Turn the hue while the slider coordinate holds still: a fixed number
    // of passes of hue -> slider -> colour. The hue is the picker's first,
    // so that a grey met in the passes takes it.
    SetPickerHsv(picker);
    ColourTriple n{};
    for (int pass = 0; pass < kSliderLockPasses; ++pass) {
      n = PickerHsvToRgb(ColourTriple{h, w.c1, w.c2, w.alpha});
      ColourTriple slider = RgbToSlider(n);
      slider.c0 = GState.SliderCoords.c0;
      n = SliderToRgb(context, slider);
      const ColourTriple t = RgbToPickerHsv(n);
      w.c1 = t.c1;
      w.c2 = t.c2;
      w.alpha = t.alpha;
      picker.c1 = t.c1;
      picker.c2 = t.c2;
    }
    return PanelColour{n, picker};
  }
  if (PaletteIsCie() && !RingIsCie()) return TurnHueAcrossSpaces(h, PanelCieHsvToRgb, PanelRgbToHsv, HsvToRgb, PanelRgbToCieHsv);
  if (!PaletteIsCie() && RingIsCie()) return TurnHueAcrossSpaces(h, HsvToRgb, PanelRgbToCieHsv, PanelCieHsvToRgb, PanelRgbToHsv);
  return PanelColour{PickerHsvToRgb(picker), picker};
}

float Clamp01(float value) {
  if (value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

// New colour of a square or bar drag.
PanelColour SaturationValueColour(const PanelEvent& event, const PickerPoint& point) {
  float s = GState.CurrentHsv.c1;
  float v = GState.CurrentHsv.c2;
  const float f = PressureFactor(event.pressure);
  const int32_t anchorDx = GState.DragAnchor[0];
  const int32_t anchorDy = GState.DragAnchor[1];
  // Travel along the bars: right and down count positive.
  const float barTravel = static_cast<float>((point.dx + point.dy) - (anchorDx + anchorDy)) / kFineTravel * f;
  switch (GState.DragTarget) {
    case kDragSquare:
      if (event.buttons & kPanelButtonRight) {
        s = s + static_cast<float>(point.dx - anchorDx) / kFineTravel * f;
        v = v + static_cast<float>(point.dy - anchorDy) / -kFineTravel * f;
      } else {
        s = (static_cast<float>(point.dx) + kSquareHalfF) / kSquareSpanF;
        v = (static_cast<float>(point.dy) - kSquareHalfF) / -kSquareSpanF;
      }
      break;
    case kDragSaturationBars:
      s = s + barTravel;
      break;
    default:  // value bars: right or down darkens
      v = v - barTravel;
      break;
  }
  GState.DragAnchor[0] = point.dx;
  GState.DragAnchor[1] = point.dy;
  s = Clamp01(s);
  v = Clamp01(v);

  if (PaletteIsCie() && !RingIsCie()) return SetSatValAcrossSpaces(s, v, HsvToRgb, PanelRgbToCieHsv, PanelCieHsvToRgb, PanelRgbToHsv);
  if (!PaletteIsCie() && RingIsCie()) return SetSatValAcrossSpaces(s, v, PanelCieHsvToRgb, PanelRgbToHsv, HsvToRgb, PanelRgbToCieHsv);
  ColourTriple picker = GState.CurrentHsv;
  picker.c1 = s;
  picker.c2 = v;
  return PanelColour{PickerHsvToRgb(picker), picker};
}

}  // namespace

void PalettePress(PluginContext* context, const PanelEvent& event) {
  const PickerPoint point = PalettePoint(event);
  if (point.r >= kHueRingInner && point.r <= kHueRingOuter) {
    HueRingPress(context, event);
  } else if (std::abs(point.dx) <= kSquarePressHalf && std::abs(point.dy) <= kSquarePressHalf) {
    SquarePress(context, point);
  } else if (point.r <= kBarPressMaxRadius) {
    BarsPress(context, event, point);
  } else {
    CornerPress(context, event, point);
  }
}

void PaletteDrag(PluginContext* context, const PanelEvent& event) {
  if (!IsColourDrag(GState.DragTarget)) return;
  const PickerPoint point = PalettePoint(event);
  PanelColour n;
  if (GState.DragTarget == kDragHueRing) {
    // Right of the centre is hue 1 (not 0), straight down 0.25.
    float h = ColourAtan2(static_cast<float>(point.dy), static_cast<float>(point.dx)) / kTwoPi;
    if (h < 1.0f) h += 1.0f;
    if (h > 1.0f) h -= 1.0f;
    n = HueRingColour(context, h);
  } else {
    n = SaturationValueColour(event, point);
  }
  if (PickModeOn()) {
    const bool left = (event.buttons & kPanelButtonLeft) != 0;
    MixIntoCurrent(left ? RgbToPixel(context, n.rgb) : GState.BasePixel, event.pressure, context);
  }
  CommitPanelColour(context, n.rgb, n.picker);
}

void PaletteRelease(PluginContext* context, const PanelEvent& event) {
  const int32_t target = GState.DragTarget;
  const bool colourDrag = IsColourDrag(target);
  // Only a colour gesture can make the draw mode follow: after a click on
  // the paint-mode corner it would undo the mode the click has just set.
  if (colourDrag) AutoDrawModeCheck(context, false);
  GState.LastReleaseKind = target == kDragHueRing ? kReleaseHueRing : kReleasePicker;
  // Only a colour drag brings the ring colour and the colour into step; a
  // click in between must not vouch for a colour the slider has changed.
  if (colourDrag) GState.LastReleaseRgb = GState.CurrentRgb;
  if (!PickModeOn()) CloseScopeWindow(context);
  if (GState.PaintModeBits & kPaintLampOn) {
    PaintSourceRefresh(context, kPaintSourceOnRelease);
    GState.DragTarget = 0;
    return;
  }
  if (event.qualifier != 0 && colourDrag) ReStroke(context);
  GState.DragTarget = 0;
}
