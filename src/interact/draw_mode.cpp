// Tintwell interaction: tool and draw-mode detection, and automatic
// lighten/darken built on it.
// Interaction layer; calls host/ only.
#include "interact/draw_mode.h"


#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_commands.h"

namespace {

// Shapes that fill an area; every other shape, and every tool, paints with
// the tool's own draw mode.
constexpr const char* kFillShapes[] = {"freehandfill",   "linefill",       "rectanglefill",
                                       "ellipsefill",    "circle2ptsfill", "circle3ptsfill",
                                       "flood",          "bezierfill",     "bsplinefill"};

// Sends a query and cuts its reply to the first space-separated word
// (leading spaces skipped). The word is empty when the reply has none.
void QueryFirstWord(PluginContext* context, const char* command, char (&word)[kReplySize]) {
  char reply[kReplySize];
  AskHost(context, command, reply);
  const char* start = reply;
  while (*start == ' ') ++start;
  size_t length = 0;
  while (start[length] != '\0' && start[length] != ' ') ++length;
  for (size_t i = 0; i < length; ++i) word[i] = start[i];
  word[length] = '\0';
}

bool LightenDarkenVariantChosen() { return (GState.PaintModeBits & (kPaintCieDarken | kPaintCieLighten)) != 0; }

// Lighter, darker or equal to the value recorded before the colour change.
const char* FollowingWord() {
  const float value = GState.CurrentHsv.c2;
  if (value > GState.StoredValue) return kDrawModeLighten;
  if (value < GState.StoredValue) return kDrawModeDarken;
  return kDrawModeColor;
}

void SendFollowingDrawMode(PluginContext* context) {
  const char* word = FollowingWord();
  SetPaintDrawMode(context, ActiveShapeIsFill(context), word);
}

}  // namespace

bool ActiveShapeIsFill(PluginContext* context) {
  char shape[kReplySize];
  QueryFirstWord(context, "tv_getActiveShape", shape);
  for (const char* fill : kFillShapes) {
    if (ReplyIs(shape, fill)) return true;
  }
  return false;
}

void SetPaintDrawMode(PluginContext* context, bool isFill, const char* word) {
  if (isFill) {
    SendCommandFormat(context, nullptr, "tv_setdrawmode %s", word);
    return;
  }
  char tool[kReplySize];
  QueryFirstWord(context, "tv_GetActiveTool", tool);
  if (tool[0] == '\0') return;  // " mode <word>" would be no command at all
  SendCommandFormat(context, nullptr, "%s mode %s", tool, word);
}

bool AutoDrawModeCheck(PluginContext* context, bool record) {
  const bool variantMode = GState.LightMode == kLightNative || GState.LightMode == kLightAdditive;
  if (!GState.AutoLightenDarken || !variantMode || !LightenDarkenVariantChosen()) return false;
  if (record) {
    GState.StoredValue = GState.CurrentHsv.c2;
    return false;
  }
  // StoredValue stays: the next refresh notice records the new starting point.
  SendFollowingDrawMode(context);
  return true;
}

void AutoDrawModeFollowUp(PluginContext* context) {
  if (!(GState.ModeFlags & kModeBrush)) return;
  if (GState.AutoLightenDarken && GState.LightMode == kLightNative && LightenDarkenVariantChosen()) {
    SendFollowingDrawMode(context);
  } else {
    HostStopCanvasEvents(context);
  }
}
