// Tintwell interaction: the messages PI_Msg hands over that are gestures.
//
//   200  gadget press    the scope picture: waveform <-> vectorscope, redrawn
//   210  pointer move    pick window: pick preview / FX-brush watch;
//                        brush window: the brush mode
//   1002 canvas pointer  pick mode: the pick's event; brush mode: a release
//                        after a hue turn or a size drag makes the draw mode
//                        follow
// Interaction layer; calls requesters/ and interact/.
#include "interact/host_messages.h"

#include "core/plugin_state.h"
#include "interact/canvas_pick.h"
#include "interact/draw_mode.h"
#include "interact/fx_brush.h"
#include "requesters/vectorscope_window.h"

namespace {

// Argument words.
constexpr int kWordGadget = 0;       // of a gadget press
constexpr int kWordCanvasKind = 2;   // of a canvas pointer event

bool IsRelease(int32_t kind) { return kind == kCanvasEventRelease || kind == kCanvasEventReleaseAlt; }

}  // namespace

void PlainGadgetPress(PluginContext* context, const HostWord* args) {
  if (!args || static_cast<int32_t>(args[kWordGadget]) != kScopeGadget) return;
  GState.VectorscopeMode = GState.VectorscopeMode == kScopeVector ? kScopeWaveform : kScopeVector;
  VectorscopeUpdate(context, GState.CurrentPixel);
}

void SmallWindowPointerMove(PluginContext* context, HostWord requester, HostWord* args) {
  if (!args || !requester) return;
  if (requester == GState.PickRequester) {
    FxBrushEvents(context, args);
  } else if (requester == GState.BrushRequester) {
    BrushModeEvents(context, args);
  }
}

void CanvasPointerEvent(PluginContext* context, HostWord* args) {
  if (!args) return;
  if (GState.ModeFlags & kModePick) {
    CanvasPickEvent(context, args);
  } else if (GState.ModeFlags & kModeBrush) {
    const int32_t kind = static_cast<int32_t>(args[kWordCanvasKind]);
    const bool endsColourDrag =
        GState.CanvasSubMode == kBrushSubModeHueTurn || GState.CanvasSubMode == kBrushSubModeSize;
    if (IsRelease(kind) && endsColourDrag) AutoDrawModeFollowUp(context);
  }
}
