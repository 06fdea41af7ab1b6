// Tintwell interaction: the two canvas modes and the FX-brush watch, their
// overlays over the canvas view and the end of the canvas interaction.
//
// Both modes and the watch use a tiny 2 x 2 window at (0, 0): it only exists
// to receive pointer movement, while its overlay image is drawn over the
// canvas by the overlay message. The pick mode and the watch share the pick
// window; the brush mode has its own. Canvas event delivery, once started,
// ends with the host's end-of-interaction message, which closes the windows.
// Interaction layer; calls host/, colour/, store/, panel/ and requesters/.
#include "interact/canvas_modes.h"

#include <cmath>

#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "host/host_calls.h"
#include "host/host_images.h"
#include "host/host_commands.h"
#include "interact/paint_mode.h"
#include "interact/pen_actions.h"
#include "panel/panel_images.h"
#include "core/plugin_state.h"
#include "requesters/requester_support.h"
#include "requesters/vectorscope_window.h"
#include "store/localisation.h"

namespace {

// The small windows: 2 x 2 at (0, 0) with one image gadget hanging past their
// edges at (-2, -2).
constexpr int32_t kSmallWindowSize = 2;
constexpr int32_t kGadgetOffset = -2;

constexpr int32_t kPickGadget = 120;
constexpr int32_t kPickGadgetSize = 50;   // pick mode
constexpr int32_t kPickImageSize = 49;
constexpr int32_t kWatchGadgetSize = 2;   // FX-brush watch
constexpr int32_t kWatchImageSize = 17;

constexpr int32_t kBrushGadget = 125;
constexpr int32_t kBrushGadgetSize = 130;
constexpr int32_t kBrushImageSize = 129;

// Option bits that need the pick window's pointer tracking while no canvas
// mode is on. Ending the pick mode consults all but auto trim.
constexpr int32_t kPaintWatchedAtPickEnd = kPaintDirt | kPaintLoad | kPaintRot | kPaintSizeLock;
constexpr int32_t kPaintWatched = kPaintWatchedAtPickEnd | kPaintAutoTrim;


// Opens a small canvas-mode window; 0 after the failure message.
RequesterHandle OpenSmallWindow(PluginContext* context) {
  const RequesterHandle window = HostOpenRequester(context, kSmallWindowSize, kSmallWindowSize, 0, 0,
                                                   kReqFlagsCanvasWindow, LocalisedText(context, texts::kPanelTitle));
  if (!window) {
    ShowRequesterOpenFailure(context);
    return 0;
  }
  ForgetReusedHandle(context, window, nullptr);
  return window;
}

// Adds the window's image gadget and allocates its overlay image (null when
// the host has no memory: the overlay drawing then skips it).
HostImage* FitOverlayGadget(PluginContext* context, RequesterHandle window, int32_t gadget, int32_t gadgetSize,
                            int32_t imageSize) {
  HostAddGadget(context, window, kGadgetOffset, kGadgetOffset, gadgetSize, gadgetSize, gadget, kGadgetCanvasImage,
                nullptr);
  return HostAllocImage(context, imageSize, imageSize);
}

// Draws image centred at (x, y) over the canvas view.
void OverlayCentred(PluginContext* context, HostImage* image, float x, float y) {
  const float halfW = static_cast<float>(image->Width) / 2.0f;
  const float halfH = static_cast<float>(image->Height) / 2.0f;
  const float corners[8] = {-halfW, -halfH, halfW, -halfH, halfW, halfH, -halfW, halfH};
  HostOverlayImage(context, x, y, corners, image);
}

float FixedToFloat(int32_t fixed) { return static_cast<float>(fixed) / 65536.0f; }

// Whole-pixel part of a signed 16.16 canvas position.
int64_t FixedWhole(int32_t fixed) { return fixed >> 16; }

void DrawPickOverlay(PluginContext* context) {
  if (!GState.PickRequester || !GState.PickImage) return;
  OverlayCentred(context, GState.PickImage, FixedToFloat(GState.PickPointer[0]), FixedToFloat(GState.PickPointer[1]));
}

void DrawBrushOverlay(PluginContext* context) {
  if (!GState.BrushRequester) return;
  const float x = FixedToFloat(GState.BrushPointer[0]);
  const float y = FixedToFloat(GState.BrushPointer[1]);
  if (GState.CanvasSubMode != kBrushSubModeSize) {
    if (GState.BrushImage) OverlayCentred(context, GState.BrushImage, x, y);
    return;
  }
  // Radius circle of the brush-size drag. Positions left of or above the
  // canvas are negative: their whole parts stay signed, and the squares are
  // taken wide so no pointer position can overflow them.
  const int64_t dx = FixedWhole(GState.BrushAnchor[0]) - FixedWhole(GState.BrushPointer[0]);
  const int64_t dy = FixedWhole(GState.BrushAnchor[1]) - FixedWhole(GState.BrushPointer[1]);
  float r = std::sqrt(static_cast<float>(dx * dx + dy * dy)) - GState.BrushRadiusOffset + GState.BrushRadiusBase;
  if (r < 0.5f) r = 0.5f;
  if (r > 255.0f) r = 255.0f;
  const Pixel colour = MakePixel(context, 0, 150, 255, 255);
  const float step = 0.09817477f;  // 2 pi / 64
  for (int i = 1; i <= 64; ++i) {
    const double a1 = static_cast<float>(i) * step;
    const double a0 = static_cast<float>(i - 1) * step;
    HostOverlayLine(context, static_cast<float>(x + r * std::cos(a1)), static_cast<float>(y + r * std::sin(a1)),
                    static_cast<float>(x + r * std::cos(a0)), static_cast<float>(y + r * std::sin(a0)), colour);
  }
  HostOverlayDot(context, x, y, 2, GState.CurrentPixel);
}

bool LampFilterWanted() {
  return (GState.PaintModeBits & kPaintLampOn) && (GState.PaintModeBits & (kPaintCieDarken | kPaintCieLighten));
}

}  // namespace

void StartBrushMode(PluginContext* context) {
  if (GState.ModeFlags & kModeBrush) return;
  GState.BrushFirstDraw = 1;
  RefreshPanel(context);
  GState.ModeFlags |= kModeBrush;

  if (GState.BrushRequester || GState.BrushImage) {
    CloseWindowAndImage(context, &GState.BrushRequester, &GState.BrushImage, false);
  }
  BuildSwatchImage(context);
  BuildPaletteImage(context);

  const RequesterHandle window = OpenSmallWindow(context);
  if (!window) {
    // Canvas events were never started, so no end-of-interaction message
    // would come to clear the mode: leave it off so the next try can start.
    GState.ModeFlags &= ~kModeBrush;
    return;
  }
  GState.BrushRequester = window;
  GState.BrushImage = FitOverlayGadget(context, window, kBrushGadget, kBrushGadgetSize, kBrushImageSize);
  HostStartCanvasEvents(context, kCanvasEventMask);
  HostSendCommand(context, "tv_LockMouse 1", nullptr);
  HostSetPointerTracking(context, window, 1);
}

void StartPickMode(PluginContext* context) {
  if (GState.ModeFlags & kModePick) return;
  if (!(GState.ModeFlags & kModeKeepBase)) RefreshPanel(context);
  GState.ModeFlags |= kModePick;
  HostStartCanvasEvents(context, kCanvasEventMask);
  HostSendCommand(context, "tv_LockMouse 1", nullptr);

  // The hue stays: greys keep the hue they were reached with.
  const ColourTriple followed = RgbToPickerHsv(GState.CurrentRgb);
  ColourTriple picker = GState.CurrentHsv;
  picker.c1 = followed.c1;
  picker.c2 = followed.c2;
  SetPickerHsv(picker);
  BuildSwatchImage(context);
  BuildPaletteImage(context);

  // The watch's small window, or a pick window left from before, makes way.
  if (GState.PickRequester || GState.PickImage) {
    CloseWindowAndImage(context, &GState.PickRequester, &GState.PickImage, false);
  }
  // On failure the mode stays on: canvas events were started, and ending the
  // mode ("s") brings the end-of-interaction message that tidies up.
  const RequesterHandle window = OpenSmallWindow(context);
  if (!window) return;
  GState.PickRequester = window;
  GState.PickImage = FitOverlayGadget(context, window, kPickGadget, kPickGadgetSize, kPickImageSize);
  HostSetPointerTracking(context, window, 1);
  OpenScopeWindow(context);
}

void EndPickMode(PluginContext* context) {
  if (!(GState.ModeFlags & kModePick)) return;
  GState.ModeFlags &= ~kModePick;
  if ((GState.RingLockBits & kLockAny) || (GState.PaintModeBits & kPaintWatchedAtPickEnd)) {
    UpdateFxBrushWatch(context);
  }
  if (LampFilterWanted()) RunPaintModeFilter(context, 1);
  // The host answers with the end-of-interaction message, which closes the
  // pick window.
  HostStopCanvasEvents(context);
}

void ToggleBrushSizeLock(PluginContext* context) {
  GState.PaintModeBits ^= kPaintSizeLock;
  GState.BrushSizeLock = -1;
  GState.BrushSizeLockSize = -1.0f;
  UpdateFxBrushWatch(context);
}

void UpdateFxBrushWatch(PluginContext* context) {
  EndPickMode(context);

  char reply[kReplySize];
  AskHost(context, "tv_getactiveshape", reply);
  if (!ReplyIs(reply, kFreehandLine)) {
    // The ring locks only make sense for freehand lines.
    GState.RingLockBits = 0;
    BuildPaletteImage(context);
  }

  if ((GState.RingLockBits & kLockAny) || (GState.PaintModeBits & kPaintWatched)) {
    if (GState.PickRequester) return;
    const RequesterHandle window = OpenSmallWindow(context);
    if (!window) return;
    GState.PickRequester = window;
    GState.PickImage = FitOverlayGadget(context, window, kPickGadget, kWatchGadgetSize, kWatchImageSize);
    HostSetPointerTracking(context, window, 1);
  } else if (GState.PickRequester) {
    CloseWindowAndImage(context, &GState.PickRequester, &GState.PickImage, true);
    SendCurrentColour(context);
    RefreshPanel(context);
  }
}

void DrawCanvasOverlay(PluginContext* context) {
  if (GState.ModeFlags & kModePick) {
    DrawPickOverlay(context);
  } else if (GState.ModeFlags & kModeBrush) {
    DrawBrushOverlay(context);
  }
}

void EndCanvasInteraction(PluginContext* context) {
  FreeHeldImage(context, &GState.SampleBuffer);
  const bool brushMode = (GState.ModeFlags & kModeBrush) != 0;
  GState.ModeFlags = 0;
  if (GState.PickRequester || GState.PickImage) {
    CloseWindowAndImage(context, &GState.PickRequester, &GState.PickImage, false);
  }
  if (GState.BrushRequester || GState.BrushImage) {
    GState.CanvasSubMode = kBrushSubModeNone;
    GState.BrushFirstDraw = 1;
    CloseWindowAndImage(context, &GState.BrushRequester, &GState.BrushImage, false);
  }
  if (brushMode) {
    // The brush mode turns the host's pen without the panel: its colour
    // becomes the panel's when the mode ends.
    RefreshPanel(context);
  } else {
    BuildSwatchImage(context);
    BuildPaletteImage(context);
  }
  HostSendCommand(context, "tv_UnlockMouse", nullptr);
  if (LampFilterWanted()) RunPaintModeFilter(context, 1);
  CloseScopeWindow(context);
  UpdateFxBrushWatch(context);
}
