// Tintwell requesters: the two canvas modes and the FX-brush watch.
//
// Both modes and the watch use a tiny 2 x 2 window at (0, 0): it only exists
// to receive pointer movement, while its overlay image is drawn over the
// canvas by the overlay message. The pick mode and the watch share the pick
// window; the brush mode has its own. Canvas event delivery, once started,
// ends with the host's end-of-interaction message, which closes the windows.
// Requester layer; calls host/, colour/, panel/ and store/.
#include "requesters/canvas_modes.h"

#include "colour/colour_models.h"
#include "colour/lighten_darken_filter.h"
#include "colour/pens.h"
#include "host/host_calls.h"
#include "host/host_commands.h"
#include "panel/panel_layout.h"
#include "panel/widget_rendering.h"
#include "plugin/plugin_state.h"
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

constexpr char kFreehandLine[] = "freehandline";

// Opens a small canvas-mode window; 0 after the failure message.
RequesterHandle OpenSmallWindow(PluginContext* context) {
  const RequesterHandle window = HostOpenRequester(context, kSmallWindowSize, kSmallWindowSize, 0, 0,
                                                   kReqFlagsCanvasWindow, LocalisedText(context, texts::kPanelTitle));
  if (!window) ShowRequesterOpenFailure(context);
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

// The whole reply equals "freehandline", ignoring ASCII case.
bool IsFreehandLine(const char* reply) {
  for (int i = 0;; ++i) {
    char a = reply[i];
    const char b = kFreehandLine[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != b) return false;
    if (b == '\0') return true;
  }
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
  const ColourTriple picker = RgbToPickerHsv(GState.CurrentRgb);
  GState.CurrentHsv.c1 = picker.c1;
  GState.CurrentHsv.c2 = picker.c2;
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
  OpenVectorscope(context);
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

void UpdateFxBrushWatch(PluginContext* context) {
  EndPickMode(context);

  char reply[kReplySize] = {};
  HostSendCommand(context, "tv_getactiveshape", reply);
  reply[kReplySize - 1] = '\0';
  if (!IsFreehandLine(reply)) {
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
    SetAPen(context, GState.CurrentPixel);
    RefreshPanel(context);
  }
}
