// Tintwell interaction: the command letters (see the table in the header).
#include "interact/command_letters.h"

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "interact/canvas_modes.h"
#include "interact/draw_mode.h"
#include "interact/panel_events.h"
#include "interact/pen_actions.h"

namespace {

// The filter pass runs in the direction the letter names, whatever the lamp's
// lighten or darken bits hold (the pass lightens whenever the lighten bit is
// set, so "d" clears it); the bits are as before afterwards.
void RunFilterLetter(PluginContext* context, int32_t direction) {
  const int32_t saved = GState.PaintModeBits;
  GState.PaintModeBits = (saved & ~(kPaintCieDarken | kPaintCieLighten)) | direction;
  HostApplyFilter(context);
  GState.PaintModeBits = saved;
}

void ToggleAutoTrim(PluginContext* context, int32_t newBits) {
  GState.PaintModeBits = newBits;
  GState.AutoTrimPending = 0;
  UpdateFxBrushWatch(context);
}

// 't': closes the panel when it is open (its closing event stores its place
// and the options), opens it otherwise.
int32_t TogglePanel(PluginContext* context) {
  if (const RequesterHandle panel = GState.PanelRequester) {
    HostSetPointerTracking(context, panel, 0);
    GState.PanelRequester = 0;
    HostCloseRequester(context, panel);
    return 1;
  }
  return ShowPanel(context) ? 1 : 0;
}

// The command of one letter; 0 when the panel was asked for and could not open.
int32_t RunCommandLetter(PluginContext* context, char letter) {
  switch (letter) {
    case 's':
      if (GState.ModeFlags & kModePick) {
        EndPickMode(context);
      } else {
        StartPickMode(context);
      }
      break;
    case 'S':
      if (!(GState.ModeFlags & kModeBrush)) {
        GState.CanvasSubMode = kBrushSubModeNone;
        StartBrushMode(context);
      } else if (!AutoDrawModeCheck(context, false)) {
        AutoDrawModeFollowUp(context);
      }
      break;
    case 'R':
      if (GState.ModeFlags & kModeBrush) {
        AutoDrawModeFollowUp(context);
      } else {
        GState.CanvasSubMode = kBrushSubModeResize;
        StartBrushMode(context);
      }
      break;
    case 'x': SwapPens(context); break;
    case 'r': RefreshPanel(context); break;
    case 'd': RunFilterLetter(context, kPaintCieDarken); break;
    case 'l': RunFilterLetter(context, kPaintCieLighten); break;
    case 'k': ToggleBrushSizeLock(context); break;
    case 'K':
      GState.BrushSizeLock = 100;
      GState.BrushSizeLockSize = 0.0f;
      break;
    case 'T': ToggleAutoTrim(context, GState.PaintModeBits ^ kPaintAutoTrim); break;
    case 'U': ToggleAutoTrim(context, GState.PaintModeBits | kPaintAutoTrim); break;
    case 'u': ToggleAutoTrim(context, GState.PaintModeBits & ~kPaintAutoTrim); break;
    case 't': return TogglePanel(context);
    default: break;  // not a command letter
  }
  return 1;
}

}  // namespace

int32_t RunCommandLetters(PluginContext* context, const char* letters) {
  int32_t result = 1;
  for (const char* c = letters; *c; ++c) {
    if (!RunCommandLetter(context, *c)) result = 0;
  }
  return result;
}
