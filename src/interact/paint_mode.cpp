// Tintwell interaction: the paint modes and their filter run.
// Interaction layer; calls host/, colour/ and panel/.
#include "interact/paint_mode.h"

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "panel/button_bitmaps.h"

namespace {

bool LampButtonPresent() { return GState.PanelRequester != 0 && GState.ShowFxBrush != 0; }

}  // namespace

// Shows the busy lamp, has the host run the pass (through our own "d" or "l"
// command, or its own stack apply), keeps a spare copy and undoes the stroke
// it replaces, then shows the resting lamp.
void RunPaintModeFilter(PluginContext* context, int32_t request) {
  if (!(GState.PaintModeBits & kPaintLampAlt) && request == 0) return;
  if (LampButtonPresent()) ShowLamp(context, (GState.PaintModeBits & kPaintLampAlt) ? kLampOrange : kLampRed);
  const char* command = "tv_stackapply";
  if (GState.PaintModeBits & kPaintCieDarken) {
    command = "tv_plugin \"tintwell\" cmd \"d\"";
  } else if (GState.PaintModeBits & kPaintCieLighten) {
    command = "tv_plugin \"tintwell\" cmd \"l\"";
  }
  HostSendCommand(context, command, nullptr);
  HostSendCommand(context, "tv_sparecopy", nullptr);
  HostSendCommand(context, "tv_undo", nullptr);
  if (LampButtonPresent()) ShowLamp(context, (GState.PaintModeBits & kPaintLampAlt) ? kLampLime : kLampGreen);
}

// Placeholders: the paint-mode button's gestures arrive with their own change.
void PaintModeCornerPress(PluginContext*, int32_t, int32_t) {}
void LampButtonRelease(PluginContext*, HostWord*) {}
void PaintSourceRefresh(PluginContext*, int32_t) {}
