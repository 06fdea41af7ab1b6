// Soak event kinds for the main panel.
#include "soak/panel_event_kinds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "core/pixel_bytes.h"
#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "panel/panel_layout.h"

namespace soak {

namespace {

constexpr int32_t kSwatchId = 100;

// Set by a gesture that ended with a release; the invariant that compares
// the panel with the pens the plug-in sent takes it.
bool gGestureEnded = false;
constexpr int32_t kPaletteId = 110;
constexpr int32_t kPanelWidth = 182;

// Gadget sizes as the layout makes them.
void GadgetSize(int32_t gadget, int32_t* width, int32_t* height) {
  *width = kPanelWidth;
  *height = 185;
  if (gadget == kSwatchId) *height = GState.SliderMode > 0 ? 76 : 44;
  if (gadget >= 150 && gadget <= 153) *width = *height = 21;
}

int32_t Coordinate(Step& s, int32_t size) {
  const int32_t roll = s.Int(0, 99);
  if (roll < 88) return s.Int(-8, size + 8);
  if (roll < 97) return s.Int(-3000, 3000);
  return s.Pick(std::vector<int32_t>{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                                     -(1 << 20) - 1, 1 << 21});
}

int32_t Buttons(Step& s) { return s.Pick(std::vector<int32_t>{1, 1, 1, 1, 2, 2, 3, 0}); }
int32_t Qualifier(Step& s) { return s.Pick(std::vector<int32_t>{0, 0, 0, 0, 1, 1, 2, -1, 0x7fffffff}); }

int32_t Pressure(Step& s) {
  const int32_t roll = s.Int(0, 99);
  if (roll < 80) return s.Int(0, 255);
  if (roll < 95) return 255;
  return s.Int(-1000, 100000);
}

struct Words {
  int32_t gadget, x, y, buttons, pressure, qualifier;
};

std::vector<HostWord> EventWords(Step& s, const Words& w) {
  const bool exactFixed = s.Chance(0.95);
  const auto fixed = [&](int32_t v) {
    return static_cast<HostWord>(exactFixed ? static_cast<uint32_t>(v) << 16 : static_cast<uint32_t>(s.Int(0, 0x7fffffff)));
  };
  return {w.gadget, w.x, w.y, w.buttons, w.pressure, s.Int(0, 3), w.qualifier, fixed(w.x), fixed(w.y),
          s.Int(-10, 300)};
}

// The host reports events only for gadgets the panel has; until the layout
// has made any, the two pictures stand in.
std::vector<int32_t> PanelGadgets(Step& s) {
  std::vector<int32_t> ids;
  if (const simhost::Requester* panel = s.host.FindRequester(GState.PanelRequester)) {
    for (const auto& [id, gadget] : panel->gadgets) {
      ids.push_back(id);
      // The pictures take most of the gestures.
      if (id == kSwatchId || id == kPaletteId) ids.insert(ids.end(), 3, id);
    }
  }
  if (ids.empty()) ids = {kSwatchId, kPaletteId};
  return ids;
}

// The panel is open when the event needs it (reopened if the user closed it).
bool EnsurePanel(Step& s) {
  if (GState.PanelRequester) return true;
  s.host.Parameters(nullptr);
  return GState.PanelRequester != 0;
}

void SendPanelEvent(Step& s, int32_t event, const Words& w) {
  if (!GState.PanelRequester) return;
  s.host.SendEvent(GState.PanelRequester, event, EventWords(s, w));
}

std::string Describe(int32_t event, const Words& w) {
  return std::to_string(event) + "(g" + std::to_string(w.gadget) + " " + std::to_string(w.x) + "," +
         std::to_string(w.y) + " b" + std::to_string(w.buttons) + " p" + std::to_string(w.pressure) + " q" +
         std::to_string(w.qualifier) + ")";
}

void Gesture(Step& s) {
  if (!EnsurePanel(s)) return;
  Words w;
  w.gadget = s.Pick(PanelGadgets(s));
  int32_t width, height;
  GadgetSize(w.gadget, &width, &height);
  w.x = Coordinate(s, width);
  w.y = Coordinate(s, height);
  w.buttons = Buttons(s);
  w.qualifier = Qualifier(s);
  w.pressure = Pressure(s);
  std::string note = Describe(kEventPress, w);
  SendPanelEvent(s, kEventPress, w);
  const int32_t drags = s.Int(0, 10);
  for (int32_t i = 0; i < drags; ++i) {
    if (s.Chance(0.8)) {
      // A small step from where the pointer is (far-off points walk back in).
      w.x = std::max(-(1 << 22), std::min(1 << 22, w.x)) + s.Int(-15, 15);
      w.y = std::max(-(1 << 22), std::min(1 << 22, w.y)) + s.Int(-15, 15);
    } else {
      w.x = Coordinate(s, width);
      w.y = Coordinate(s, height);
    }
    w.pressure = Pressure(s);
    if (s.Chance(0.03)) w.gadget = s.Pick(PanelGadgets(s));
    SendPanelEvent(s, kEventDrag, w);
  }
  note += " +" + std::to_string(drags) + " drags";
  if (s.Chance(0.92)) {
    if (s.Chance(0.2)) w.buttons = Buttons(s);
    if (s.Chance(0.2)) w.qualifier = Qualifier(s);
    note += " " + Describe(kEventRelease, w);
    SendPanelEvent(s, kEventRelease, w);
    gGestureEnded = true;
  }
  s.Note(note);
}

void StrayEvent(Step& s) {
  if (!EnsurePanel(s)) return;
  const int32_t event = s.Pick(std::vector<int32_t>{kEventPress, kEventDrag, kEventRelease, kEventPointerMove,
                                                    kEventTextEdited, kEventArrowStep, 999});
  Words w;
  // Ids the panel does not have must change nothing.
  w.gadget = s.Chance(0.8) ? s.Pick(PanelGadgets(s)) : s.Pick(std::vector<int32_t>{0, 120, -1, 99999});
  int32_t width, height;
  GadgetSize(w.gadget, &width, &height);
  w.x = Coordinate(s, width);
  w.y = Coordinate(s, height);
  w.buttons = Buttons(s);
  w.qualifier = Qualifier(s);
  w.pressure = Pressure(s);
  s.Note(Describe(event, w));
  SendPanelEvent(s, event, w);
}

void Notice(Step& s) {
  if (!EnsurePanel(s)) return;
  const int32_t event = s.Chance(0.6) ? kEventRefresh : kEventColourNotice;
  s.Note(std::to_string(event));
  if (s.Chance(0.1)) {
    GState.AutoTrimPending = 1;
    GState.SmartFillPoint[0] = s.Int(-5, 70);
    GState.SmartFillPoint[1] = s.Int(-5, 50);
  }
  s.host.SendEvent(GState.PanelRequester, event, {});
}

simhost::Rgba RandomColour(Step& s) {
  if (s.Chance(0.2)) {
    const uint8_t grey = static_cast<uint8_t>(s.Int(0, 255));
    return {grey, grey, grey, 255};
  }
  return {static_cast<uint8_t>(s.Int(0, 255)), static_cast<uint8_t>(s.Int(0, 255)),
          static_cast<uint8_t>(s.Int(0, 255)), 255};
}

void HostState(Step& s) {
  switch (s.Int(0, 4)) {
    case 0:
    case 1:
      // The host tells its panel when a pen changes.
      (s.Int(0, 1) ? s.host.aPen : s.host.bPen) = RandomColour(s);
      if (GState.PanelRequester) s.host.SendEvent(GState.PanelRequester, kEventColourNotice, {});
      s.Note("pens, colour notice");
      break;
    case 2:
      s.host.activeShape = s.Pick(std::vector<std::string>{"freehandline", "FreehandLine", "rectanglefill",
                                                           "RectangleFill and more", "flood", "", "   ", "x"});
      s.Note("shape '" + s.host.activeShape + "'");
      break;
    case 3:
      s.host.activeTool = s.Pick(std::vector<std::string>{"airbrush", "pencil", "oil brush", "", "  ",
                                                          "tv_airbrush", " Pencil power 50"});
      s.Note("tool '" + s.host.activeTool + "'");
      break;
    default:
      s.host.drawMode = s.Pick(std::vector<std::string>{"color", "lighten", "darken", "add", "colorize", "",
                                                        "Lighten more"});
      s.Note("draw mode '" + s.host.drawMode + "'");
      break;
  }
}

void Options(Step& s) {
  bool relayout = false;
  switch (s.Int(0, 10)) {
    case 0: GState.CieHsvMode = s.Int(0, 1); break;
    case 1: GState.HueRingMode = s.Int(0, 3); break;
    case 2: GState.SliderMode = s.Int(0, 3); relayout = true; break;
    case 3: GState.LumaLock = s.Int(0, 1); break;
    case 4: GState.PressureSensitivity = s.Pick(std::vector<int32_t>{0, 64, 128, 255, -200}); break;
    case 5: GState.PaintModeBits ^= 1 << s.Int(0, 8); break;
    case 6: GState.LightMode = s.Int(0, 2); GState.AutoLightenDarken = s.Int(0, 1); break;
    case 7: GState.ShowPalette = s.Int(0, 1); GState.ShowFxBrush = s.Int(0, 1); relayout = true; break;
    case 8: GState.XyzMixMode = s.Int(0, 1); GState.GamutMode = s.Int(0, 2); break;
    case 9: GState.VectorscopeMode = s.Int(0, 2); break;
    default: GState.FloodBackground = s.Int(0, 1); break;
  }
  if (relayout && GState.PanelRequester) LayoutPanel(s.host.Context());
}

void PanelLifecycle(Step& s) {
  switch (s.Int(0, 3)) {
    case 0:
      if (GState.PanelRequester) s.host.UserClosesRequester(GState.PanelRequester, s.Int(0, 1));
      s.Note("user closes the panel");
      break;
    case 1:
      s.host.Parameters("t");
      s.Note("t");
      break;
    case 2:
      s.host.Parameters(nullptr);
      s.Note("show panel");
      break;
    default:
      if (GState.LabDialogRequester) s.host.UserClosesRequester(GState.LabDialogRequester, 0);
      s.Note("user closes the LAB dialog");
      break;
  }
}

void CanvasModes(Step& s) {
  const std::string command = s.Pick(std::vector<std::string>{"s", "s", "S", "R", "x", "r", "end"});
  s.Note(command);
  if (command == "end") {
    s.host.EndCanvasEvents();
  } else {
    s.host.Parameters(command.c_str());
  }
}

void HostFailures(Step& s) {
  switch (s.Int(0, 4)) {
    case 0: s.host.FailNextImageAlloc(s.Int(1, 3)); s.Note("image allocations fail"); break;
    case 1: s.host.FailNextRequesterOpen(1); s.Note("a requester fails to open"); break;
    case 2:
      // A place query fails only for a window the host no longer has; the
      // plug-in then forgets the window. The user closing the scope window
      // is how that happens.
      if (GState.VectorscopeRequester && s.host.FindRequester(GState.VectorscopeRequester)) {
        s.host.UserClosesRequester(GState.VectorscopeRequester);
      }
      s.Note("user closes the scope window");
      break;
    case 3: s.host.SetPopupMenuAnswer(s.Int(0, 80)); s.Note("menu answer"); break;
    default: s.host.SetAskIntegerAnswer(s.Int(-10, 300)); s.Note("integer answer"); break;
  }
}

bool Finite(const ColourTriple& c) { return std::isfinite(c.c0) && std::isfinite(c.c1) && std::isfinite(c.c2); }

// Whether the plug-in may hold another A pen than the host's (after a
// careless reply), whether a pen went out after the last full reload of the
// A-B gradient, and whether the swatch picture could not be built; followed
// through the host's records as they come.
struct PenDialogue {
  size_t seen = 0;
  size_t seenCalls = 0;
  std::string lastSeen;
  bool aKnown = true;  // no careless reply about the A pen since the plug-in last sent its own
  // The ring locks copy hue, saturation or value from the canvas into the
  // pen and leave the panel's colour as it is; switching them off touches
  // neither, so the pen they gave stays with the host until the plug-in next
  // sends one with every lock off.
  bool locksOn = false;
  bool lockedPen = false;
  bool gradientBehind = false;
  bool swatchMissed = false;  // an image could not be allocated since the swatch was last shown

  void Follow(simhost::SimHost& host) {
    const bool locksNow = (GState.RingLockBits & kLockAny) != 0;
    const bool locksInStep = locksOn || locksNow;  // a lock switch happens at most once an event
    locksOn = locksNow;
    const std::vector<simhost::CommandRecord>& commands = host.Commands();
    const std::vector<simhost::DispatchRecord>& calls = host.Calls();
    // The harness drops the records now and then.
    if (seen > commands.size() || seenCalls > calls.size() || (seen > 0 && commands[seen - 1].command != lastSeen)) {
      seen = 0;
      seenCalls = 0;
    }
    for (; seenCalls < calls.size(); ++seenCalls) {
      const simhost::DispatchRecord& call = calls[seenCalls];
      if (call.function == kFnAllocImage && call.result == 0) swatchMissed = true;
      if (call.function == kFnRequesterOp && call.pack.size() > 3 && call.pack[0] == kReqSetGadgetImage &&
          call.pack[2] == kSwatchId && call.pack[3] != 0) {
        swatchMissed = false;
      }
    }
    for (; seen < commands.size(); ++seen) {
      const simhost::CommandRecord& record = commands[seen];
      int32_t v[4];
      char tail = 0;
      if (std::sscanf(record.command.c_str(), "tv_SetAPen %d %d %d%c", &v[0], &v[1], &v[2], &tail) == 3) {
        aKnown = true;
        gradientBehind = true;
        lockedPen = locksInStep;
      } else if (record.command.rfind("tv_SetBPen ", 0) == 0) {
        gradientBehind = true;
      } else if (record.command == "tv_GetAPen") {
        // After a careless reply the plug-in may hold another colour than
        // the host's until it next sends its own.
        const bool clean = std::sscanf(record.reply.c_str(), "%d %d %d %d%c", &v[0], &v[1], &v[2], &v[3], &tail) == 4 &&
                           std::all_of(v, v + 3, [](int32_t c) { return c >= 0 && c <= 255; });
        aKnown = aKnown && clean;
      } else if (record.command == "tv_RangeGrab 0") {
        gradientBehind = false;  // the last position of a reload
      }
    }
    if (seen > 0) lastSeen = commands[seen - 1].command;
  }
};
PenDialogue gPens;

// After a gesture: the current swatch shows the host's A pen, and the A-B
// gradient has been read since the last pen went out.
// The panel and the pen part by design while a canvas mode is on (the pen
// follows the canvas or the brush control) and while a pen the ring locks
// gave is the host's (they copy hue, saturation or value into the pen
// only, and it outlives them).
std::string PanelShowsThePens(simhost::SimHost& host) {
  gPens.Follow(host);
  if (!gGestureEnded) return std::string();
  gGestureEnded = false;
  const simhost::Requester* panel = host.FindRequester(GState.PanelRequester);
  if (!panel) return std::string();
  if (gPens.gradientBehind && GState.SliderMode == kSliderGradient && !(GState.DragTarget & kDragSlider)) {
    return "the A-B gradient is behind the pens";
  }
  const auto swatch = panel->gadgets.find(kSwatchId);
  if (swatch == panel->gadgets.end() || swatch->second.imageWidth != 180 || swatch->second.imagePixels.empty()) {
    return std::string();
  }
  // A picture the host could not give memory for stays as it was.
  if ((GState.ModeFlags & (kModePick | kModeBrush)) || gPens.lockedPen || !gPens.aKnown ||
      gPens.swatchMissed) {
    return std::string();
  }
  const PluginContext* context = host.Context();
  const Pixel shown = swatch->second.imagePixels[20 * 180 + 135];  // inside the current swatch, off any frame
  const int32_t rgb[3] = {ChannelByte(shown, context->RedPosition), ChannelByte(shown, context->GreenPosition),
                          ChannelByte(shown, context->BluePosition)};
  const int32_t pen[3] = {host.aPen.r, host.aPen.g, host.aPen.b};
  if (std::equal(rgb, rgb + 3, pen)) return std::string();
  return "the swatch shows " + std::to_string(rgb[0]) + " " + std::to_string(rgb[1]) + " " + std::to_string(rgb[2]) +
         ", the host's A pen is " + std::to_string(pen[0]) + " " + std::to_string(pen[1]) + " " +
         std::to_string(pen[2]);
}

}  // namespace

void AddPanelEventKinds(Harness& harness) {
  harness.Add("gesture", 40, Gesture);
  harness.Add("stray event", 10, StrayEvent);
  harness.Add("notice", 6, Notice);
  harness.Add("host state", 8, HostState);
  harness.Add("options", 8, Options);
  harness.Add("panel lifecycle", 2, PanelLifecycle);
  harness.Add("canvas modes", 3, CanvasModes);
  harness.Add("host failures", 1, HostFailures);
}

void AddPanelInvariants(Harness& harness) {
  gPens = PenDialogue{};
  gGestureEnded = false;
  harness.AddInvariant("panel shows the pens", PanelShowsThePens);
  harness.AddInvariant("colours", [](simhost::SimHost& host) -> std::string {
    const ColourTriple& rgb = GState.CurrentRgb;
    for (float c : {rgb.c0, rgb.c1, rgb.c2}) {
      if (!(c >= 0.0f && c <= 255.0f)) return "CurrentRgb channel " + std::to_string(c);
    }
    if (rgb.alpha < 0 || rgb.alpha > 255) return "CurrentRgb alpha " + std::to_string(rgb.alpha);
    if (!Finite(GState.CurrentHsv) || !Finite(GState.HueRingHsv) || !Finite(GState.SliderCoords)) {
      return "a colour record is not finite";
    }
    if (GState.CurrentPixel != RgbToPixel(host.Context(), rgb)) return "CurrentPixel out of step with CurrentRgb";
    return std::string();
  });
  harness.AddInvariant("handles", [](simhost::SimHost& host) -> std::string {
    const std::pair<const char*, RequesterHandle> handles[] = {
        {"panel", GState.PanelRequester},         {"pick", GState.PickRequester},
        {"brush", GState.BrushRequester},         {"scope", GState.VectorscopeRequester},
        {"LAB dialog", GState.LabDialogRequester}};
    for (const auto& [name, handle] : handles) {
      // The scope window may be closed by the user unheard, until the
      // plug-in next asks after it.
      if (handle && !host.FindRequester(handle) && !(handle == GState.VectorscopeRequester && host.ClosedByUser(handle))) {
        return std::string(name) + " handle of a closed requester";
      }
    }
    for (HostImage* image : {GState.PickImage, GState.BrushImage, GState.SampleBuffer}) {
      if (image && !host.IsLiveImage(image)) return "held image already freed";
    }
    return std::string();
  });
  harness.AddInvariant("bounded host objects", [](simhost::SimHost& host) -> std::string {
    if (host.LiveImageCount() > kPanelImageBound) return std::to_string(host.LiveImageCount()) + " live images";
    if (host.OpenRequesterCount() > kPanelRequesterBound) {
      return std::to_string(host.OpenRequesterCount()) + " open requesters";
    }
    return std::string();
  });
}

}  // namespace soak
