// Tintwell interaction: the main panel's event callback.
//
//   100 opened    the host's A pen becomes the base and current colour; the
//                 layout builds the gadgets and draws
//   101 closing   place, "%swinvisible" and the options are stored
//   110 refresh   catch up with the canvas: draw-mode starting value, sample
//                 buffer or paint source, a pending Smart Fill
//   310 colour    the host's A pen becomes the current colour
//   210 move      hover help
//   200 press / 202 drag / 201 release, by gadget:
//     swatch band  B and base swatch: Ctrl-left takes the A pen into it, left
//                  mixes from it by pressure while dragging, right opens the
//                  option menu. Current swatch: press arms the weighted pick,
//                  release starts it (right: without resetting the base);
//                  Ctrl-left release sends the host's colour command.
//     slider       Ctrl-right cycles its mode, Ctrl-left toggles the lock;
//                  left drags absolutely, right finely; the palette mode
//                  hands the gesture to the colour-scheme editor
//     palette      the palette gestures
//     lamp, Dirt, Load, Rot  (releases) paint mode and the FX-brush toggles
//
// The handler keeps nothing between calls: gestures live in GState
// (DragTarget, DragAnchor, ModeFlags). With pen pressure on, drag events at
// full pressure (what a mouse reports) are handled every second time.
//
// Sections: opening and notices; the swatch band and the slider; the
// FX-brush toggles; dispatch (the picture gadgets' table, PanelEventHandler).
// Interaction layer; calls host/, colour/, store/, panel/, requesters/ and interact/.
#include "interact/panel_events.h"

#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "colour/pens.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "interact/draw_mode.h"
#include "interact/paint_mode.h"
#include "interact/palette_gestures.h"
#include "interact/panel_menu.h"
#include "interact/panel_pointer.h"
#include "interact/pen_actions.h"
#include "interact/re_stroke.h"
#include "interact/smart_fill.h"
#include "panel/help_texts.h"
#include "panel/panel_layout.h"
#include "panel/panel_images.h"
#include "requesters/panel_window.h"
#include "requesters/vectorscope_window.h"
#include "store/colour_scheme.h"

namespace {

// Zones of the swatch gadget, in its pixels: the swatch band above the
// slider, the B swatch over the base swatch on the left, the current swatch
// on the right.
constexpr int32_t kSliderTop = 48;
constexpr int32_t kCurrentSwatchLeft = 91;
constexpr int32_t kSwatchBandRight = 182;  // first column past the current swatch
constexpr int32_t kBSwatchPressBottom = 24;  // presses above are on the B swatch
constexpr int32_t kBSwatchDragBottom = 24;   // drags at or above mix from the B pen

// The slider's position t = (x - left) / span.
constexpr float kSliderLeft = 2.0f;
constexpr float kSliderSpan = 177.0f;
constexpr float kSliderMaxLab = 100.0f;  // slider mode 1
constexpr float kSliderMaxByte = 255.0f;  // other modes
constexpr int32_t kSliderModeCount = 3;

// Pressure a mouse reports; such drag events are thinned with pen pressure on.
constexpr int32_t kFullPressure = 255;

constexpr float kLoadLevelFull = 100.0f;

bool PickModeOn() { return (GState.ModeFlags & kModePick) != 0; }
bool HasLeft(const PanelEvent& event) { return (event.buttons & kPanelButtonLeft) != 0; }
bool HasRight(const PanelEvent& event) { return (event.buttons & kPanelButtonRight) != 0; }

float SliderPosition(int32_t x) { return (static_cast<float>(x) - kSliderLeft) / kSliderSpan; }

float Clamp01(float value) {
  if (value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

float SliderMaximum() { return GState.SliderMode == kSliderLabValue ? kSliderMaxLab : kSliderMaxByte; }

void Redraw(PluginContext* context, SchemeRedraw redraw) {
  if (redraw == SchemeRedraw::kSwatch) {
    BuildSwatchImage(context);
  } else if (redraw == SchemeRedraw::kPanel) {
    RefreshPanel(context);
  }
}

void SetSchemePointer(int32_t x) { GState.ColourScheme.pointerPos = Clamp01(SliderPosition(x)); }

// The A-B gradient is the host's range between the pens: once they may have
// moved without it (a slider drag holds it still, the host's or the B pen
// changed), it is read again and the slider drawn from it, unless the slider
// is still being dragged. Only a slider that shows the gradient reads it: in
// the other modes (hidden, as at a first start, too) the mark waits, so the
// host hears no reload it has no use for.
void CatchUpGradient(PluginContext* context, bool pensMoved) {
  if (pensMoved) GState.GradientStale = 1;
  if (!GState.GradientStale || (GState.DragTarget & kDragSlider) || GState.SliderMode != kSliderGradient) return;
  GState.GradientStale = 0;
  LoadGradientTable(context);
  BuildSwatchImage(context);
}

// ---------------------------------------------------------------- opening, notices

void PanelOpened(PluginContext* context, HostWord requester) {
  GState.PanelRequester = requester;
  TakeAPenAsCurrent(context);
  // A gesture cannot outlive the panel. The brush mode, though, may still be
  // running with its window and canvas events; its bit stays so that its
  // events and overlay keep being served until the host ends it.
  if (GState.DragTarget & kDragSlider) GState.GradientStale = 1;
  GState.DragTarget = 0;
  GState.ModeFlags &= kModeBrush;
  LayoutPanel(context);
  CatchUpGradient(context, false);
}

void RefreshNotice(PluginContext* context) {
  AutoDrawModeCheck(context, true);
  const bool sampling = PickModeOn() || (GState.RingLockBits & kLockAny) ||
                        (GState.PaintModeBits & (kPaintDirt | kPaintLoad));
  if (sampling) {
    if (!(GState.SampleSourceFlags & kSampleFrozen)) LoadSampleBuffer(context);
  } else if ((GState.PaintModeBits & (kPaintLampOn | kPaintLampAlt)) == (kPaintLampOn | kPaintLampAlt)) {
    PaintSourceRefresh(context, kPaintSourceOnRefresh);
  }
  if (GState.AutoTrimPending && (GState.PaintModeBits & kPaintAutoTrim)) SmartFill(context);
  GState.AutoTrimPending = 0;
}

void ColourNotice(PluginContext* context) {
  TakeCurrentFromPixel(context, GetAPen(context));
  BuildSwatchImage(context);
  // The square's hue and the markers follow a colour chosen in the host.
  BuildPaletteImage(context);
  CatchUpGradient(context, true);
}

// ---------------------------------------------------------------- swatch band and slider

void LeftSwatchesPress(PluginContext* context, const PanelEvent& event) {
  if (HasLeft(event) && event.qualifier != 0) {
    Pixel pen = 0;
    HostGetAPenPixel(context, &pen);
    if (event.y < kBSwatchPressBottom) {
      SendBPen(context, pen);
    } else {
      GState.BasePixel = pen;
    }
    BuildSwatchImage(context);
    CatchUpGradient(context, false);
  } else if (HasLeft(event)) {
    GState.DragTarget |= kDragSwatchMix;
    OpenScopeWindow(context);
    VectorscopeUpdate(context, GState.CurrentPixel);
  } else if (HasRight(event)) {
    RunOptionMenu(context);
    CatchUpGradient(context, false);  // the menu may have turned the gradient on
  } else {
    return;
  }
  if (PickModeOn()) EndPickMode(context);
}

void CurrentSwatchPress(PluginContext* context) {
  if (GState.ModeFlags == 0) {
    GState.ModeFlags = kModeWeightedArmed;  // the release starts the pick
  } else if (PickModeOn()) {
    EndPickMode(context);
  }
}

void SliderPress(PluginContext* context, const PanelEvent& event) {
  const bool ctrl = event.qualifier == kPanelQualifierCtrl && !PickModeOn();
  if (ctrl && HasRight(event)) {
    GState.SliderMode = GState.SliderMode % kSliderModeCount + 1;
    if (GState.SliderMode == kSliderGradient) LoadGradientTable(context);
    BuildSwatchImage(context);
  } else if (ctrl && HasLeft(event)) {
    GState.LumaLock = GState.LumaLock ? 0 : 1;
    BuildSwatchImage(context);
  } else {
    GState.DragTarget |= kDragSlider;
    GState.DragAnchor[0] = event.x;
    GState.DragAnchor[1] = event.y;
    if (GState.SliderMode == kSliderPalette) {
      SetSchemePointer(event.x);
      Redraw(context, ColourSchemePress(context, event.buttons));
    }
  }
  MoveSliderToColour(ColourHeldInCurrentHsv());
  OpenScopeWindow(context);
}

void SwatchPress(PluginContext* context, const PanelEvent& event) {
  if (event.y < kSliderTop) {
    if (event.x < kCurrentSwatchLeft) {
      LeftSwatchesPress(context, event);
    } else {
      CurrentSwatchPress(context);
    }
  } else if (GState.SliderMode > kSliderHidden) {
    SliderPress(context, event);
  }
}

void SwatchMixDrag(PluginContext* context, const PanelEvent& event) {
  const Pixel source = event.y > kBSwatchDragBottom ? GState.BasePixel : GetBPen(context);
  MixIntoCurrent(source, event.pressure, context);
  SendCurrentColour(context);
  FollowColour(PixelToRgb(context, GState.CurrentPixel));  // the stored bytes, as the swatch shows them
  BuildSwatchImage(context);
  BuildPaletteImage(context);
}

void SliderDrag(PluginContext* context, const PanelEvent& event) {
  const float t = SliderPosition(event.x);
  if (GState.SliderMode == kSliderPalette && event.buttons != 0) {
    GState.ColourScheme.pointerPos = Clamp01(t);
    GState.GradientStale = 1;  // the scheme editor may send a pen
    Redraw(context, ColourSchemeDrag(context));
    return;
  }
  ColourTriple coords = GState.SliderCoords;
  float& c0 = coords.c0;
  if (HasLeft(event) || PickModeOn()) {
    c0 = Clamp01(t) * SliderMaximum();
  } else {
    // Fine: half the pointer's travel along x + y, scaled by pressure.
    const int32_t travel = ((event.x + event.y) - (GState.DragAnchor[0] + GState.DragAnchor[1])) / 2;
    c0 += static_cast<float>(travel) * PressureFactor(event.pressure);
    if (c0 > SliderMaximum()) c0 = SliderMaximum();
    if (c0 < 0.0f) c0 = 0.0f;
    GState.DragAnchor[0] = event.x;
    GState.DragAnchor[1] = event.y;
  }
  if (PickModeOn()) {
    MoveSliderTo(coords);
    const Pixel target = HasLeft(event) ? SliderToPixel(context, coords) : GState.BasePixel;
    MixIntoCurrent(target, event.pressure, context);
  } else if (GState.SliderMode != kSliderPalette) {
    TakeCurrentFromSlider(context, coords);
  } else {
    MoveSliderTo(coords);
  }
  // DragTarget holds kDragSlider: the A-B gradient is not reloaded meanwhile,
  // but once the gesture is over.
  SendCurrentColour(context);
  GState.GradientStale = 1;
  SetPickerHsv(RgbToPickerHsv(GState.CurrentRgb));
  VectorscopeUpdate(context, SliderToPixel(context, GState.SliderCoords));
  BuildSwatchImage(context);
  BuildPaletteImage(context);
}

void SwatchDrag(PluginContext* context, const PanelEvent& event) {
  if (event.x < kCurrentSwatchLeft && !(GState.DragTarget & kDragSlider)) {
    if (GState.DragTarget & kDragSwatchMix) SwatchMixDrag(context, event);
  } else if (GState.SliderMode > kSliderHidden && (GState.DragTarget & kDragSlider)) {
    SliderDrag(context, event);
  }
}

void SwatchRelease(PluginContext* context, const PanelEvent& event) {
  const uint32_t x = event.fixedX >> 16;
  const uint32_t y = event.fixedY >> 16;
  bool closeScope = true;
  if (y < static_cast<uint32_t>(kSliderTop) && x >= static_cast<uint32_t>(kCurrentSwatchLeft) &&
      x < static_cast<uint32_t>(kSwatchBandRight)) {
    if (event.qualifier == kPanelQualifierCtrl && HasLeft(event)) {
      // The weighted pick stays armed for a later plain release.
      SendSwatchColourCommand(context);
      closeScope = false;
    } else if (GState.ModeFlags & kModeWeightedArmed) {
      if (HasRight(event)) {
        GState.ModeFlags |= kModeKeepBase;
        GState.ModeFlags &= ~kModeWeightedArmed;
      }
      StartPickMode(context);
      closeScope = false;
    }
  } else if (GState.SliderMode == kSliderPalette && (y >= static_cast<uint32_t>(kSliderTop) ||
                                                     (GState.DragTarget & kDragSlider))) {
    // A slider gesture that ends above the slider still ends: the scheme
    // editor would otherwise stay in its drag state.
    SetSchemePointer(event.x);
    Redraw(context, ColourSchemeRelease(context));
  }
  if (closeScope) CloseScopeWindow(context);
  GState.DragTarget = 0;
  if (GState.PaintModeBits & kPaintLampOn) PaintSourceRefresh(context, kPaintSourceOnRelease);
}

// ---------------------------------------------------------------- FX-brush toggles

void ToggleRelease(PluginContext* context, HostWord requester, int32_t gadget) {
  int32_t bit = kPaintRot;
  if (gadget == kDirtButton) {
    bit = kPaintDirt;
    if (GState.PaintModeBits & kPaintDirt) {
      // Dirt off: back to the clean colour held in CurrentHsv.
      TakeCurrentFromPicker(context, GState.CurrentHsv);
      SendCurrentColour(context);
      BuildSwatchImage(context);
      BuildPaletteImage(context);
    }
  } else if (gadget == kLoadButton) {
    bit = kPaintLoad;
    if (GState.PaintModeBits & kPaintLoad) GState.LoadLevel = kLoadLevelFull;
  }
  GState.PaintModeBits ^= bit;
  HostSetGadgetState(context, requester, gadget, (GState.PaintModeBits & bit) ? kGadgetToggleOn : kGadgetToggleOff);
  UpdateFxBrushWatch(context);
}

// ---------------------------------------------------------------- dispatch

// The picture gadgets, which take whole gestures: press, drag, release.
struct PictureGadget {
  int32_t gadget;
  void (*press)(PluginContext* context, const PanelEvent& event);
  void (*drag)(PluginContext* context, const PanelEvent& event);
  void (*release)(PluginContext* context, const PanelEvent& event);
};
constexpr PictureGadget kPictureGadgets[] = {{kSwatchGadget, SwatchPress, SwatchDrag, SwatchRelease},
                                             {kPaletteGadget, PalettePress, PaletteDrag, PaletteRelease}};

// The picture gadget the event is on, or null.
const PictureGadget* PictureGadgetOf(const PanelEvent& event) {
  for (const PictureGadget& picture : kPictureGadgets) {
    if (picture.gadget == event.gadget) return &picture;
  }
  return nullptr;
}

void Press(PluginContext* context, const PanelEvent& event) {
  if (const PictureGadget* picture = PictureGadgetOf(event)) picture->press(context, event);
}

void Drag(PluginContext* context, const PanelEvent& event) {
  if (GState.PressureSensitivity > 0 && event.pressure >= kFullPressure && !(GState.ModeFlags & kModeSkippedDrag)) {
    GState.ModeFlags |= kModeSkippedDrag;
    return;
  }
  GState.ModeFlags &= ~kModeSkippedDrag;
  if (const PictureGadget* picture = PictureGadgetOf(event)) picture->drag(context, event);
}

void ReleaseOnGadget(PluginContext* context, HostWord requester, const PanelEvent& event, HostWord* args);

void Release(PluginContext* context, HostWord requester, const PanelEvent& event, HostWord* args) {
  GState.ModeFlags &= ~kModeSkippedDrag;
  const bool sliderGesture = (GState.DragTarget & kDragSlider) != 0;
  ReleaseOnGadget(context, requester, event, args);
  // A slider gesture may end on any gadget: every release ends it, and the
  // pens it sent (itself or through the scheme editor) reach the gradient.
  GState.DragTarget &= ~kDragSlider;
  CatchUpGradient(context, sliderGesture);
}

void ReleaseOnGadget(PluginContext* context, HostWord requester, const PanelEvent& event, HostWord* args) {
  if (const PictureGadget* picture = PictureGadgetOf(event)) {
    picture->release(context, event);
    return;
  }
  switch (event.gadget) {
    case kLampButton: {
      HostWord none[kPanelEventWords] = {};
      LampButtonRelease(context, args ? args : none);
      break;
    }
    case kDirtButton:
    case kLoadButton:
    case kRotButton:
      ToggleRelease(context, requester, event.gadget);
      break;
    default:
      break;
  }
}

}  // namespace

int32_t TW_CALL PanelEventHandler(PluginContext* context, int32_t event, HostWord requester, HostWord* args) {
  const PanelEvent words = ReadPanelEvent(args);
  switch (event) {
    case kEventOpened:
      PanelOpened(context, requester);
      break;
    case kEventClosing:
      // The place is saved for the window that is actually closing, which
      // may already be forgotten by whoever asked for the close.
      // A slider gesture cut short by the closing leaves the gradient behind.
      if (GState.DragTarget & kDragSlider) GState.GradientStale = 1;
      GState.DragTarget = 0;
      PanelClosing(context, requester, args);
      break;
    case kEventRefresh:
      RefreshNotice(context);
      break;
    case kEventColourNotice:
      ColourNotice(context);
      break;
    case kEventPress:
      Press(context, words);
      break;
    case kEventDrag:
      Drag(context, words);
      break;
    case kEventRelease:
      Release(context, requester, words, args);
      break;
    case kEventPointerMove:
      ShowHoverHelp(context, requester, words.requesterX, words.requesterY);
      break;
    default:
      break;
  }
  return 1;
}

int32_t ShowPanel(PluginContext* context) {
  if (RaisePanelWindow(context)) return 1;
  EndPickMode(context);
  AutoDrawModeFollowUp(context);
  return OpenPanelWindow(context, PanelEventHandler);
}
