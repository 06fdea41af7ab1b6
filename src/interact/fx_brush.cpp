// Tintwell interaction: the FX-brush section's canvas events (the watch) and
// the on-canvas brush mode.
//
// The watch is the pick window's pointer tracking while an FX-brush option
// is on. Per pointer event (message 210), in this order:
//   auto trim     a click (buttons word 17) records the Smart Fill point
//   pick mode     the ring preview and the scope follow the pointer
//   size lock     strokes without a button measure canvas against screen
//                 travel; a zoom change rescales the tool's size
//   sampling      autosample or "Dirt" at the point two steps ahead
//   Load / Rot    power and opacity fall while painting and recover between
//                 strokes; the angle follows the stroke
//   end           the scope shows the colour under the pointer, or the
//                 watch closes when no option is left
//
// The brush mode, by CanvasSubMode:
//   0  first event after "S": the canvas colour becomes current, then as 1
//   1  idle: a press at the centre (d < 12) takes canvas colour (4), on the
//      disc (12..59) picks saturation and value and turns hue (2), on the
//      outer ring (60+) turns hue (32)
//   2, 32  hue turn by the pointer's angle; 32 ends with the button up
//   4  canvas colour under the control until the button is up, then 1
//   16 after "R": the press starts the size drag (8)
//   8  size drag: the release sets the tool's size to the radius
// Event words: 0 buttons (0x1 first, 0x2 second: B pen too, 17 the auto trim
// click), 1 and 2 canvas x, y (16.16), 3 and 4 a second position whose upper
// 16 bits are used, 5 pressure, 7 a flag, 9 negated with word 3 a screen
// position.
//
// Sections:
//   event words and tools  the words' places, the brush tools, asking the active tool
//   the watch's steps      size lock, Load and Rot, sampling, closing the watch
//   the watch              FxBrushEvents
//   the brush mode         its sub-modes' events, BrushModeEvents
// Interaction layer; calls host/, colour/, panel/, requesters/ and interact/.
#include "interact/fx_brush.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "colour/colour_constants.h"
#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "requesters/vectorscope_window.h"
#include "core/plugin_state.h"
#include "core/text_numbers.h"
#include "host/host_calls.h"
#include "host/host_commands.h"
#include "interact/canvas_modes.h"
#include "interact/canvas_pick.h"
#include "interact/pen_actions.h"
#include "panel/brush_control.h"
#include "panel/panel_images.h"
#include "requesters/requester_support.h"

namespace {

// ---------------------------------------------------------------- event words and tools

// Where each value stands in a canvas event's words.
enum EventWord : int { kWordButtons, kWordX, kWordY, kWordScreenX, kWordScreenY, kWordPressure, kWordFlag = 7, kWordScreenT = 9 };

constexpr int32_t kButtonFirst = 0x1;
constexpr int32_t kButtonSecond = 0x2;  // the brush mode also sets the B pen
constexpr int32_t kButtonsAny = kButtonFirst | kButtonSecond;
constexpr int32_t kAutoTrimClick = 17;  // 0x10 | 0x1

// Options that act while the artist paints: with one of them on, button
// events flagged by the host are not the watch's.
constexpr int32_t kPaintStrokeOptions = kPaintDirt | kPaintLoad | kPaintRot | kPaintSizeLock;
// Options that keep the watch window open.
constexpr int32_t kPaintLoadOrRot = kPaintLoad | kPaintRot;
constexpr int32_t kPaintWatchKept = kPaintStrokeOptions | kPaintAutoTrim;

constexpr float kZoomMeasureLength = 1000.0f;  // screen travel of one zoom measurement
constexpr float kRotMinStep = 48.0f;           // shorter screen steps don't turn the brush
constexpr float kLoadDrain = 0.002f;           // Load lost per pressure-weighted pixel of stroke
constexpr int32_t kZoomUnset = -1;             // size lock freshly reset
constexpr float kSizeUnset = -1.0f;

// Brush-mode distances from the control's centre.
constexpr int32_t kCanvasColourRadius = 12;
constexpr int32_t kHueRingRadius = 60;
constexpr float kMinBrushSize = 0.5f;
constexpr float kMaxBrushSize = 255.0f;

// The tools whose power, opacity, angle and size the section changes, and
// those of them that take an angle together with power and opacity.
constexpr const char* kBrushTools[] = {"tv_airbrush", "tv_penbrush",    "tv_propelling",  "tv_oilbrush",
                                       "tv_pencil",   "tv_wetbrush",    "tv_specialbrush"};
constexpr const char* kAngleTools[] = {"tv_airbrush", "tv_oilbrush", "tv_pencil", "tv_wetbrush", "tv_specialbrush"};

template <size_t N>
bool NameIn(const char* name, const char* const (&names)[N]) {
  for (const char* candidate : names) {
    if (std::strcmp(name, candidate) == 0) return true;
  }
  return false;
}

// The host's answer about the active tool, split into words on spaces.
struct ToolReply {
  static constexpr int kMaxWords = kReplySize / 2;  // every word a reply can hold
  char text[kReplySize];
  const char* words[kMaxWords];
  int count = 0;

  const char* Name() const { return count > 0 ? words[0] : ""; }
  // The word after `key` (after the tool name), or null.
  const char* After(const char* key) const {
    for (int i = 1; i + 1 < count; ++i) {
      if (std::strcmp(words[i], key) == 0) return words[i + 1];
    }
    return nullptr;
  }
};

void AskActiveTool(PluginContext* context, const char* command, ToolReply* reply) {
  AskHost(context, command, reply->text);
  reply->count = 0;
  char* p = reply->text;
  while (*p && reply->count < ToolReply::kMaxWords) {
    while (*p == ' ') ++p;
    if (!*p) break;
    reply->words[reply->count++] = p;
    while (*p && *p != ' ') ++p;
    if (*p) *p++ = '\0';
  }
}

// The number after `key` in the reply as a finite float; false without one.
bool ToolNumber(const ToolReply& tool, const char* key, float* value) {
  const char* word = tool.After(key);
  if (!word) return false;
  TextCursor cursor{word, std::strlen(word), 0};
  double number = 0.0;
  if (!ScanDecimal(cursor, &number)) return false;
  *value = static_cast<float>(number);
  return std::isfinite(*value);
}

// "<tool> size <size>", the size written with "." whatever the process's
// locale, as the host's command language reads it.
void SendToolSize(PluginContext* context, const char* tool, float size) {
  char number[64];
  std::snprintf(number, sizeof number, "%f", static_cast<double>(size));
  NormaliseDecimalPoint(number);
  SendCommandFormat(context, nullptr, "%s size %s", tool, number);
}

// Rounds half-way and below down, above half-way up (positive values).
float RoundHalfDown(float value) {
  const float whole = std::floor(value);
  return value - whole > 0.5f ? whole + 1.0f : whole;
}

int32_t Word(const HostWord* args, int index) { return static_cast<int32_t>(args[index]); }

// Whole part of a signed 16.16 canvas position.
int32_t CanvasWhole(int32_t fixed) { return fixed >> 16; }

// Upper 16 bits of a word, read as an unsigned number.
int32_t UpperHalf(int32_t word) { return static_cast<int32_t>(static_cast<uint32_t>(word) >> 16); }

// A whole canvas position in 16.16 (only used for positions inside the canvas).
int32_t ToFixed(int64_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

// Pen pressure 0..255; larger words are taken as full pressure.
int32_t Pressure(const HostWord* args) {
  const uint32_t pressure = static_cast<uint32_t>(args[kWordPressure]);
  return pressure > 255u ? 255 : static_cast<int32_t>(pressure);
}

bool InsideCanvas(const PluginContext* context, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < context->ImageWidth && y < context->ImageHeight;
}

// The squares go through double: a hostile or wrapped word can make a step
// of 2^32, whose square overflows 64 bits. Below 2^26 per axis the sum is
// exact either way, so ordinary moves measure as before.
float Distance(int64_t dx, int64_t dy) {
  const double x = static_cast<double>(dx), y = static_cast<double>(dy);
  return std::sqrt(static_cast<float>(x * x + y * y));
}

// ---------------------------------------------------------------- the watch's steps

// Keeps the brush's on-screen size across zoom changes. A measurement runs
// over 1000 pixels of screen travel without a button; its canvas travel
// gives the zoom percentage. The first measurement after a reset only
// starts the count; the next sets the reference zoom; from then on a zoom
// change rescales the tool's size (the first rescale records the tool's
// size without sending it).
void SizeLockStep(PluginContext* context, int32_t buttons, float screenStep, float canvasStep) {
  ToolReply tool;
  AskActiveTool(context, "tv_GetActiveTool force", &tool);
  if (buttons != 0 || tool.count == 0) return;
  if (GState.ZoomScreenDistance < kZoomMeasureLength) {
    GState.ZoomScreenDistance += screenStep;
    GState.ZoomCanvasDistance += canvasStep;
    return;
  }
  const float zoom = RoundHalfDown(GState.ZoomCanvasDistance / GState.ZoomScreenDistance * 100.0f);
  if (GState.BrushSizeLock == kZoomUnset) {
    GState.BrushSizeLock = 0;
    return;
  }
  if (zoom != static_cast<float>(GState.BrushSizeLock)) {
    float size = 0.0f;
    if (GState.BrushSizeLock != 0 && NameIn(tool.Name(), kBrushTools) && ToolNumber(tool, "size", &size)) {
      const float scaled = RoundHalfDown(size / static_cast<float>(GState.BrushSizeLock) * zoom * 100.0f) / 100.0f;
      if (GState.BrushSizeLockSize == kSizeUnset) {
        GState.BrushSizeLockSize = size;
      } else if (std::isfinite(scaled)) {
        GState.BrushSizeLockSize = scaled;
        SendToolSize(context, tool.Name(), scaled);
      }
    }
    GState.BrushSizeLock = static_cast<int32_t>(zoom);
  }
  GState.ZoomScreenDistance = 0.0f;
  GState.ZoomCanvasDistance = 0.0f;
}

// "Load" and "Rot": between strokes power and opacity recover by one step
// from the tool's power and the angle follows long screen steps; while
// painting, power and opacity drain with pressure and stroke length.
void LoadAndRotStep(PluginContext* context, int32_t buttons, int32_t pressure, float screenStep, int32_t angle) {
  ToolReply tool;
  AskActiveTool(context, "tv_GetActiveTool force", &tool);
  if (!NameIn(tool.Name(), kBrushTools)) return;
  const char* powerWord = tool.After("power");
  int32_t power = 0;
  if (!powerWord || ScanReplyIntegers(powerWord, &power, 1) != 1) return;
  const bool load = GState.PaintModeBits & kPaintLoad;
  const bool rot = GState.PaintModeBits & kPaintRot;
  const bool turn = rot && screenStep > kRotMinStep;
  if (buttons == 0) {
    if (load) {
      const int64_t next = static_cast<int64_t>(power) + 1;  // wide: the reply may hold any int
      GState.LoadLevel = static_cast<float>(next);
      const int32_t recovered = next > 100 ? 100 : static_cast<int32_t>(next);
      if (turn && NameIn(tool.Name(), kAngleTools)) {
        SendCommandFormat(context, nullptr, "%s power %i opacity %i angle %i", tool.Name(), recovered, recovered,
                          angle);
      } else {
        SendCommandFormat(context, nullptr, "%s power %i opacity %i", tool.Name(), recovered, recovered);
      }
    } else if (turn) {
      SendCommandFormat(context, nullptr, "%s angle %i", tool.Name(), angle);
    }
    return;
  }
  if (!load) return;
  float level =
      GState.LoadLevel * (1.0f - (static_cast<float>(pressure) / 255.0f) * screenStep * kLoadDrain) + 1.0f;
  if (level < 0.0f) level = 0.0f;
  if (level > 100.0f) level = 100.0f;
  GState.LoadLevel = level;
  const int32_t amount = static_cast<int32_t>(level);
  SendCommandFormat(context, nullptr, "%s power %i opacity %i", tool.Name(), amount, amount);
}

// Autosample and "Dirt" at the look-ahead point (whole canvas pixels).
void SampleStep(PluginContext* context, const HostWord* args, int64_t aheadX, int64_t aheadY) {
  const int32_t buttons = Word(args, kWordButtons);
  const int32_t pressure = Pressure(args);
  const bool inside = InsideCanvas(context, aheadX, aheadY);
  const int32_t fx = ToFixed(aheadX);
  const int32_t fy = ToFixed(aheadY);
  if (!(GState.PaintModeBits & kPaintDirt)) {
    if ((static_cast<int64_t>(pressure) + buttons == 0 || GState.AggressiveAutosample) && inside) {
      ApplySample(context, SamplePixel(fx, fy, context), 255);
    }
  } else if (buttons == 0) {
    ApplySample(context, PickerHsvToPixel(context, GState.CurrentHsv), 127);
  } else if (inside) {
    const float alpha = static_cast<float>(SampleAlpha(fx, fy, context));
    const int32_t weighted = static_cast<int32_t>(alpha / 255.0f * static_cast<float>(pressure));
    ApplySample(context, SamplePixel(fx, fy, context), weighted);
  }
}

// Closes the watch window once no option needs it.
void CloseWatch(PluginContext* context) {
  BuildPaletteImage(context);
  if (GState.PickRequester || GState.PickImage) {
    CloseWindowAndImage(context, &GState.PickRequester, &GState.PickImage, true);
  }
}

// Angle of a brush-mode position around the anchor, in turns (-0.5..0.5).
float AnchorAngle(int32_t dx, int32_t dy) {
  return ColourAtan2(static_cast<float>(dy), static_cast<float>(dx)) / colour::kTurn;
}

void SetPensForBrushMode(PluginContext* context, int32_t buttons, Pixel colour) {
  if (buttons & kButtonSecond) SendBPen(context, colour);
  SendAPen(context, colour);
}

}  // namespace

// ---------------------------------------------------------------- the watch

void FxBrushEvents(PluginContext* context, HostWord* args) {
  const int32_t buttons = Word(args, kWordButtons);
  const int32_t flag = Word(args, kWordFlag);

  if ((GState.PaintModeBits & kPaintAutoTrim) && buttons == kAutoTrimClick) {
    // Left of or above the canvas the upper halves read as 65536 minus the distance.
    GState.SmartFillPoint[0] = UpperHalf(Word(args, kWordX));
    GState.SmartFillPoint[1] = UpperHalf(Word(args, kWordY));
    GState.AutoTrimPending = 1;
  }

  if (GState.ModeFlags & kModePick) {
    if (flag == 1) GState.ModeFlags |= kModePickPenDown;
    if (flag == 0 && (GState.ModeFlags & kModePickPenDown) && buttons == 0) {
      EndPickMode(context);
      return;
    }
    GState.PickPointer[0] = Word(args, kWordX);
    GState.PickPointer[1] = Word(args, kWordY);
    CanvasPickPreview(context, SamplePixel(GState.PickPointer[0], GState.PickPointer[1], context));
    VectorscopeUpdate(context, SamplePixel(GState.PickPointer[0], GState.PickPointer[1], context));
    return;
  }

  if (buttons != 0) {
    const bool active = (GState.AggressiveAutosample && (GState.RingLockBits & kLockAny)) ||
                        (GState.PaintModeBits & kPaintStrokeOptions);
    if (active != (flag == 0)) return;
  }

  const int32_t x = CanvasWhole(Word(args, kWordX));
  const int32_t y = CanvasWhole(Word(args, kWordY));
  const int32_t px = GState.WatchLastPosition[0];
  const int32_t py = GState.WatchLastPosition[1];
  const int64_t aheadX = 3 * static_cast<int64_t>(x) - 2 * static_cast<int64_t>(px);
  const int64_t aheadY = 3 * static_cast<int64_t>(y) - 2 * static_cast<int64_t>(py);
  const int32_t screenP = UpperHalf(Word(args, kWordScreenX));
  const int32_t screenT = static_cast<int32_t>(0u - static_cast<uint32_t>(Word(args, kWordScreenT)));
  const int64_t dP = static_cast<int64_t>(screenP) - GState.WatchLastScreen[0];
  const int64_t dT = static_cast<int64_t>(screenT) - GState.WatchLastScreen[1];
  const float screenStep = Distance(dP, dT);
  const float turned = -180.0f * ColourAtan2(static_cast<float>(dT), static_cast<float>(dP)) / colour::kPiF;
  const int32_t angle = (180 - static_cast<int32_t>(turned)) % 360;

  if (GState.PaintModeBits & kPaintSizeLock) {
    SizeLockStep(context, buttons, screenStep, Distance(static_cast<int64_t>(x) - px, static_cast<int64_t>(y) - py));
  }

  GState.WatchLastPosition[0] = x;
  GState.WatchLastPosition[1] = y;
  GState.WatchLastScreen[0] = screenP;
  GState.WatchLastScreen[1] = screenT;

  SampleStep(context, args, aheadX, aheadY);

  if (GState.PaintModeBits & kPaintLoadOrRot) LoadAndRotStep(context, buttons, Pressure(args), screenStep, angle);

  if (GState.RingLockBits || (GState.PaintModeBits & kPaintWatchKept)) {
    VectorscopeUpdate(context, SamplePixel(Word(args, kWordX), Word(args, kWordY), context));
  } else {
    CloseWatch(context);
  }
}

// ---------------------------------------------------------------- the brush mode

namespace {

// The pointer's canvas place becomes the control's sample point, its screen
// place the control's centre.
void TakeBrushPlace(const HostWord* args) {
  GState.BrushPointer[0] = Word(args, kWordX);
  GState.BrushPointer[1] = Word(args, kWordY);
  GState.BrushAnchor[0] = Word(args, kWordScreenX);
  GState.BrushAnchor[1] = Word(args, kWordScreenY);
}

// Hue ring or turn: the hue follows the pointer's angle around the centre;
// a release ends the ring. Returns the angle, which the picture marks.
float BrushHueEvent(PluginContext* context, int32_t buttons, int32_t dx, int32_t dy) {
  const float angle = AnchorAngle(dx, dy);
  const ColourTriple current = GState.CurrentHsv;
  const float hue = angle - GState.BrushHueOffset + current.c0;
  SetPensForBrushMode(context, buttons, PickerHsvToPixel(context, ColourTriple{hue, current.c1, current.c2,
                                                                                current.alpha}));
  if (buttons == 0 && GState.CanvasSubMode == kBrushSubModeHueRing) {
    GState.CanvasSubMode = kBrushSubModeIdle;
    GState.BrushFirstDraw = 1;
    ColourTriple picker = GState.CurrentHsv;
    picker.c0 = hue;  // a grey keeps the hue turned to
    SetPickerHsv(picker);
    RefreshPanel(context);
  }
  return angle;
}

// Canvas colour: the pens take the canvas under the control (a grey keeps
// the hue); a release goes back to idle. The control follows the pointer.
void BrushCanvasEvent(PluginContext* context, int32_t buttons, const HostWord* args) {
  const Pixel sample = SamplePixel(GState.BrushPointer[0], GState.BrushPointer[1], context);
  SetPensForBrushMode(context, buttons, sample);
  SetPickerHsv(PixelToPickerHsv(context, sample));  // a grey keeps the hue it had
  GState.BrushFirstDraw = 1;
  if (buttons == 0) {
    RefreshPanel(context);
    GState.CanvasSubMode = kBrushSubModeIdle;
  }
  TakeBrushPlace(args);
}

// Idle: a press chooses the sub-mode by its distance from the centre: the
// canvas colour, the disc (which sets the colour at once, then turns the
// hue) or the hue ring.
void BrushIdlePress(PluginContext* context, int32_t dx, int32_t dy) {
  const int32_t d = static_cast<int32_t>(Distance(dx, dy));
  if (d < kCanvasColourRadius) {
    GState.CanvasSubMode = kBrushSubModeCanvas;
  } else if (d < kHueRingRadius) {
    const ColourTriple current = GState.CurrentHsv;
    const BrushDiscLimits limits = FindBrushDiscLimits(context, current.c0, current.c1, DiscSearch::Pick);
    SendAPen(context, PickerHsvToPixel(context, BrushDiscColour(current, limits, dx, dy, d, kBrushDiscSpan)));
    RefreshPanel(context);
    GState.BrushHueOffset = AnchorAngle(dx, dy);
    GState.CanvasSubMode = kBrushSubModeHueTurn;
  } else {
    GState.BrushHueOffset = AnchorAngle(dx, dy);
    GState.CanvasSubMode = kBrushSubModeHueRing;
  }
  GState.BrushFirstDraw = 1;
}

// Brush size: the release sends the size the drag measured to a brush tool
// and returns false (nothing to draw); a drag moves the control's centre.
bool BrushSizeEvent(PluginContext* context, int32_t buttons, const HostWord* args) {
  if (buttons & kButtonFirst) {
    GState.BrushAnchor[0] = Word(args, kWordX);
    GState.BrushAnchor[1] = Word(args, kWordY);
    return true;
  }
  const float d = Distance(static_cast<int64_t>(CanvasWhole(Word(args, kWordX))) - CanvasWhole(GState.BrushPointer[0]),
                           static_cast<int64_t>(CanvasWhole(Word(args, kWordY))) - CanvasWhole(GState.BrushPointer[1]));
  ToolReply tool;
  AskActiveTool(context, "tv_GetActiveTool", &tool);
  if (NameIn(tool.Name(), kBrushTools)) {
    float size = d - GState.BrushRadiusOffset + GState.BrushRadiusBase;
    if (size < kMinBrushSize) size = kMinBrushSize;
    if (size > kMaxBrushSize) size = kMaxBrushSize;
    SendToolSize(context, tool.Name(), size);
  }
  return false;
}

}  // namespace

void BrushModeEvents(PluginContext* context, HostWord* args) {
  const int32_t buttons = Word(args, kWordButtons);
  const int32_t pointerX = UpperHalf(Word(args, kWordScreenX));
  const int32_t pointerY = UpperHalf(Word(args, kWordScreenY));

  if (GState.CanvasSubMode == kBrushSubModeNone) {
    GState.CanvasSubMode = kBrushSubModeIdle;
    GState.BrushFirstDraw = 1;
    TakeBrushPlace(args);
    SendAPen(context, SamplePixel(GState.BrushPointer[0], GState.BrushPointer[1], context));
    RefreshPanel(context);
    DrawBrushControl(context, GState.CurrentPixel, 0.0f);
  }
  if (!(GState.ModeFlags & kModeBrush)) return;

  // Pointer against the control's centre (upper halves of the second position).
  const int32_t dx = pointerX - UpperHalf(GState.BrushAnchor[0]);
  const int32_t dy = pointerY - UpperHalf(GState.BrushAnchor[1]);
  float drawFlag = 0.0f;
  switch (GState.CanvasSubMode) {
    case kBrushSubModeHueTurn:
    case kBrushSubModeHueRing:
      drawFlag = BrushHueEvent(context, buttons, dx, dy);
      break;
    case kBrushSubModeCanvas:
      BrushCanvasEvent(context, buttons, args);
      break;
    case kBrushSubModeIdle:
      if (buttons & kButtonsAny) BrushIdlePress(context, dx, dy);
      break;
    case kBrushSubModeResize:
      GState.BrushPointer[0] = GState.BrushAnchor[0] = Word(args, kWordX);
      GState.BrushPointer[1] = GState.BrushAnchor[1] = Word(args, kWordY);
      if (buttons & kButtonFirst) {
        GState.CanvasSubMode = kBrushSubModeSize;
        GState.BrushRadiusOffset = 0.0f;
        GState.BrushRadiusBase = 0.5f;
        GState.BrushFirstDraw = 1;
      }
      return;
    case kBrushSubModeSize:
      if (!BrushSizeEvent(context, buttons, args)) return;
      break;
    default:
      return;
  }
  DrawBrushControl(context, SamplePixel(GState.BrushPointer[0], GState.BrushPointer[1], context), drawFlag);
}
