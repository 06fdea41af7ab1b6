// Soak event kinds for the canvas side.
#include "soak/canvas_event_kinds.h"

#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "requesters/vectorscope_window.h"

namespace soak {

namespace {

constexpr int32_t kFxOptionBits = kPaintDirt | kPaintLoad | kPaintRot | kPaintSizeLock | kPaintAutoTrim;

// One pointer message: buttons, canvas and second position (16.16, mostly
// near a brush control at 100..240 so every ring of it is hit), pressure,
// flag and the negated screen word; now and then anything at all.
std::vector<HostWord> PointerWords(Step& s, int32_t buttons) {
  std::vector<HostWord> words(10, 0);
  words[0] = buttons;
  words[1] = s.Int(-20, 90) * 65536 + s.Int(0, 65535);
  words[2] = s.Int(-20, 70) * 65536 + s.Int(0, 65535);
  const int32_t reach = s.Chance(0.85) ? 140 : 2000;
  words[3] = s.Int(100, 100 + reach) * 65536 + s.Int(0, 65535);
  words[4] = s.Int(100, 100 + reach) * 65536 + s.Int(0, 65535);
  words[5] = s.Chance(0.95) ? s.Int(0, 255) : s.Int(-1000, 100000);
  words[7] = s.Int(0, 2);
  words[9] = -s.Int(-100, 2000);
  if (s.Chance(0.02)) {
    for (HostWord& word : words) word = s.Int(INT32_MIN, INT32_MAX);
  }
  return words;
}

int32_t PointerButtons(Step& s) { return s.Pick(std::vector<int32_t>{0, 0, 0, 1, 1, 2, 3, 16, 17}); }

void WatchPointer(Step& s) {
  if (!GState.PickRequester && s.Chance(0.3)) {
    GState.PaintModeBits |= s.Pick(std::vector<int32_t>{kPaintDirt, kPaintLoad, kPaintRot, kPaintSizeLock,
                                                        kPaintAutoTrim});
    UpdateFxBrushWatch(s.host.Context());
  }
  if (!GState.PickRequester) return;
  const int32_t moves = s.Int(1, 12);
  s.Note(std::to_string(moves) + " moves, options " + std::to_string(GState.PaintModeBits & kFxOptionBits));
  for (int32_t i = 0; i < moves && GState.PickRequester; ++i) {
    s.host.Message(kMsgPointerMove, GState.PickRequester, PointerWords(s, PointerButtons(s)));
  }
}

// A stroke in the brush mode: a few moves, a press, drags, a release (and
// the host's end-of-stroke message now and then).
void BrushStroke(Step& s) {
  if (!GState.BrushRequester) {
    const char* command = s.Chance(0.7) ? "S" : "R";
    s.host.Parameters(command);
    s.Note(command);
  }
  if (!GState.BrushRequester) return;
  const int32_t buttons = s.Pick(std::vector<int32_t>{1, 1, 2, 3});
  const int32_t moves = s.Int(0, 3), drags = s.Int(0, 8);
  s.Note("sub-mode " + std::to_string(GState.CanvasSubMode) + ", " + std::to_string(moves) + " moves, b" +
         std::to_string(buttons) + " " + std::to_string(drags) + " drags");
  for (int32_t i = 0; i < moves + 1 + drags + 1 && GState.BrushRequester; ++i) {
    const bool down = i >= moves && i < moves + 1 + drags;
    s.host.Message(kMsgPointerMove, GState.BrushRequester, PointerWords(s, down ? buttons : 0));
  }
  if (s.Chance(0.3)) {
    std::vector<HostWord> words = PointerWords(s, 0);
    words[2] = s.Pick(std::vector<int32_t>{-1, -2, 1, 2});
    s.host.Message(kMsgCanvasPointer, 0, words);
    s.Note("canvas event " + std::to_string(words[2]));
  }
}

void FxOptions(Step& s) {
  if (s.Chance(0.5)) {
    const char command[2] = {s.Pick(std::vector<char>{'k', 'K', 'T', 'U', 'u'}), '\0'};
    s.host.Parameters(command);
    s.Note(command);
    return;
  }
  GState.PaintModeBits = (GState.PaintModeBits & ~kFxOptionBits) | (s.Int(0, 0x1ff) & kFxOptionBits);
  GState.RingLockBits = s.Int(0, 7);
  GState.AggressiveAutosample = s.Int(0, 1);
  s.Note("options " + std::to_string(GState.PaintModeBits) + " locks " + std::to_string(GState.RingLockBits));
  UpdateFxBrushWatch(s.host.Context());
  // Called from outside any entry, so the host's loop delivers what it queued.
  s.host.DeliverPendingMessages();
}

void ToolReply(Step& s) {
  s.host.activeTool = s.Pick(std::vector<std::string>{"tv_airbrush", "tv_penbrush", "tv_propelling", "tv_oilbrush",
                                                      "tv_pencil", "tv_wetbrush", "tv_specialbrush", "tv_bucketfill",
                                                      ""});
  const std::vector<std::string> odd = {"lots", "2147483647", "-5", "1e60", "0.25", "nan"};
  s.host.toolSettings.clear();
  if (s.Chance(0.8)) s.host.toolSettings.push_back({"size", s.Chance(0.85) ? std::to_string(s.Int(1, 300)) : s.Pick(odd)});
  if (s.Chance(0.8)) s.host.toolSettings.push_back({"power", s.Chance(0.85) ? std::to_string(s.Int(0, 100)) : s.Pick(odd)});
  if (s.Chance(0.5)) s.host.toolSettings.push_back({"opacity", std::to_string(s.Int(0, 100))});
  if (s.Chance(0.1)) s.host.ScriptReply("tv_GetActiveTool force", s.Chance(0.5) ? "" : "size power");
  s.Note("tool '" + s.host.activeTool + "'");
}

void Scope(Step& s) {
  PluginContext* context = s.host.Context();
  GState.VectorscopeMode = s.Int(0, 2);
  if (GState.VectorscopeMode == kScopeOff) {
    CloseScopeWindow(context);
  } else {
    OpenScopeWindow(context);
  }
  const int32_t gadget = s.Chance(0.8) ? kScopeGadget : 7;
  s.Note("mode " + std::to_string(GState.VectorscopeMode) + ", click " + std::to_string(gadget));
  s.host.Message(kMsgGadgetPress, GState.VectorscopeRequester, {gadget});
}

void Overlay(Step& s) {
  s.Note("overlay");
  s.host.Message(kMsgOverlayDraw, 0, {});
}

// The artist draws a line and clicks inside; the panel's refresh notice runs
// Smart Fill, sometimes with a reply that holds no number.
void SmartFillRun(Step& s) {
  s.host.activeShape = s.Chance(0.8) ? "freehandline" : "rectanglefill";
  s.host.DrawStroke({{s.Int(0, 63), s.Int(0, 47)}, {s.Int(0, 63), s.Int(0, 47)}, {s.Int(0, 63), s.Int(0, 47)}},
                    simhost::Rgba{9, 9, 9, 255});
  if (s.Chance(0.5)) {
    const std::string asked = s.Pick(std::vector<std::string>{"tv_LayerGetImage", "tv_LayerCurrentID",
                                                              "tv_LayerCreate \"deleteme_restroke\"",
                                                              "tv_LayerCreate \"deleteme_fillresult\""});
    s.host.ScriptReply(asked, s.Chance(0.5) ? "" : "no");
    s.Note("no number from " + asked);
  }
  GState.PaintModeBits |= kPaintAutoTrim;
  GState.AutoTrimPending = 1;
  GState.SmartFillPoint[0] = s.Int(-5, 70);
  GState.SmartFillPoint[1] = s.Int(-5, 50);
  if (GState.PanelRequester) s.host.SendEvent(GState.PanelRequester, kEventRefresh, {});
}

}  // namespace

void AddCanvasEventKinds(Harness& harness) {
  harness.AcceptToolCommandWord("size");
  harness.AcceptToolCommandWord("power");
  harness.AcceptToolCommandWord("angle");
  harness.Add("watch pointer", 20, WatchPointer);
  harness.Add("brush stroke", 20, BrushStroke);
  harness.Add("FX options", 5, FxOptions);
  harness.Add("tool reply", 4, ToolReply);
  harness.Add("scope", 3, Scope);
  harness.Add("overlay", 3, Overlay);
  harness.Add("Smart Fill", 3, SmartFillRun);
}

void AddCanvasInvariants(Harness& harness) {
  harness.AddInvariant("canvas", [](simhost::SimHost& host) -> std::string {
    if (host.undoStackDepth != 0) return "an undo group left open";
    if (GState.VectorscopeImage && !host.IsLiveImage(GState.VectorscopeImage)) return "scope picture already freed";
    for (const simhost::Layer& layer : host.layers) {
      if (layer.name.rfind("deleteme", 0) == 0) return "a scratch layer survived";
    }
    return std::string();
  });
}

}  // namespace soak
