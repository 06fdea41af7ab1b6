// Tintwell plug-in frame: the eight exported entry points.
//
// The host calls these on its user-interface thread, one at a time. This
// file only sequences the work; every step lives with the concern it serves
// (requesters/, store/, colour/, panel/, interact/).
#include "plugin/entry_points.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "colour/canvas_sampling.h"
#include "colour/colour_mixing.h"
#include "colour/lighten_darken_filter.h"
#include "colour/vectorscope.h"
#include "host/host_calls.h"
#include "interact/draw_mode.h"
#include "panel/fx_brush.h"
#include "panel/panel_layout.h"
#include "panel/widget_rendering.h"
#include "plugin/plugin_state.h"
#include "plugin/version.h"
#include "requesters/canvas_modes.h"
#include "requesters/panel_window.h"
#include "requesters/rooms.h"
#include "requesters/vectorscope_window.h"
#include "store/colour_scheme.h"
#include "store/localisation.h"
#include "store/settings.h"
#include "store/shortcuts.h"

namespace {

constexpr int32_t kUserBlockSize = 288;
constexpr int32_t kScopeGadget = 130;
constexpr int kNameTextLimit = 127;

// Our own about text; shown after the name and version.
constexpr const char kAboutText[] =
    "Thank you for painting with Tintwell!\n"
    "\n"
    "*** Tintwell is now freeware - with warm thanks to everyone who supported it early on ***\n"
    "\n"
    "Programming: the Tintwell developers\n"
    "\n"
    "Special thanks to:\n"
    "  Mira Castell, for the first palette sketches\n"
    "  Jonas Ekberg, for endless pressure-curve testing\n"
    "  Ada Whitcombe, for the colour-scheme idea\n"
    "  the host's user community, for beta testing and suggestions\n"
    "  easyrgb.com and brucelindbloom.com, for colour transform algorithms\n"
    "\n"
    "No pixels were harmed in the making of this plug-in (a few were lightened).\n"
    "\n"
    "Questions, problem reports and comments are welcome:\n"
    "tintwell@users.invalid";

void SetModeBitForFilter(PluginContext* context, int32_t bit) {
  const int32_t saved = GState.PaintModeBits;
  GState.PaintModeBits |= bit;
  HostApplyFilter(context);
  GState.PaintModeBits = saved;
}

void ToggleAutoTrim(PluginContext* context, int32_t newBits) {
  GState.PaintModeBits = newBits;
  GState.AutoTrimPending = 0;
  UpdateFxBrushWatch(context);
}

// Draws image centred at (x, y) over the canvas view.
void OverlayCentred(PluginContext* context, HostImage* image, float x, float y) {
  const float halfW = static_cast<float>(image->Width) / 2.0f;
  const float halfH = static_cast<float>(image->Height) / 2.0f;
  const float corners[8] = {-halfW, -halfH, halfW, -halfH, halfW, halfH, -halfW, halfH};
  HostOverlayImage(context, x, y, corners, image);
}

// Copies the plug-in's name into the context's 128-byte field, cut to 127
// bytes of text. Texts may be GBK: a cut never splits a two-byte character,
// which would leave a stray lead byte in the host's title and settings.
void CopyPluginName(char* field, const char* name) {
  int length = 0;
  while (length < kNameTextLimit && name[length]) {
    const unsigned char byte = static_cast<unsigned char>(name[length]);
    const bool leadByte = byte >= 0x81 && byte <= 0xfe && name[length + 1] != '\0';
    if (leadByte && length + 2 > kNameTextLimit) break;
    length += leadByte ? 2 : 1;
  }
  std::memcpy(field, name, static_cast<size_t>(length));
  field[length] = '\0';
}

float FixedToFloat(int32_t fixed) { return static_cast<float>(fixed) / 65536.0f; }

void DrawPickOverlay(PluginContext* context) {
  if (!GState.PickRequester || !GState.PickImage) return;
  OverlayCentred(context, GState.PickImage, FixedToFloat(GState.PickPointer[0]), FixedToFloat(GState.PickPointer[1]));
}

void DrawBrushOverlay(PluginContext* context) {
  if (!GState.BrushRequester) return;
  const float x = FixedToFloat(GState.BrushPointer[0]);
  const float y = FixedToFloat(GState.BrushPointer[1]);
  if (GState.CanvasSubMode != 8) {
    if (GState.BrushImage) OverlayCentred(context, GState.BrushImage, x, y);
    return;
  }
  // Radius circle of the brush-size drag: integer parts are the unsigned
  // high halves of the 16.16 positions.
  const int32_t dx = static_cast<int32_t>(static_cast<uint32_t>(GState.BrushAnchor[0]) >> 16) -
                     static_cast<int32_t>(static_cast<uint32_t>(GState.BrushPointer[0]) >> 16);
  const int32_t dy = static_cast<int32_t>(static_cast<uint32_t>(GState.BrushAnchor[1]) >> 16) -
                     static_cast<int32_t>(static_cast<uint32_t>(GState.BrushPointer[1]) >> 16);
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

void EndCanvasInteraction(PluginContext* context) {
  if (GState.SampleBuffer) {
    HostFreeImage(context, GState.SampleBuffer);
    GState.SampleBuffer = nullptr;
  }
  GState.ModeFlags = 0;
  if (GState.PickRequester) {
    HostCloseRequester(context, GState.PickRequester);
    if (GState.PickImage) HostFreeImage(context, GState.PickImage);
    GState.PickImage = nullptr;
    GState.PickRequester = 0;
  }
  GState.ModeFlags = 0;
  if (GState.BrushRequester) {
    HostCloseRequester(context, GState.BrushRequester);
    if (GState.BrushImage) HostFreeImage(context, GState.BrushImage);
    GState.BrushImage = nullptr;
    GState.BrushRequester = 0;
    GState.CanvasSubMode = 0;
    GState.BrushFirstDraw = 1;
  }
  BuildSwatchImage(context);
  BuildPaletteImage(context);
  HostSendCommand(context, "tv_UnlockMouse", nullptr);
  if ((GState.PaintModeBits & kPaintLampOn) && (GState.PaintModeBits & (kPaintCieDarken | kPaintCieLighten))) {
    RunPaintModeFilter(context, 1);
  }
  CloseScopeWindow(context);
  UpdateFxBrushWatch(context);
}

}  // namespace

TW_EXPORT int32_t TW_CALL PI_Open(PluginContext* context) {
  OpenLocalisation(context);

  CopyPluginName(context->Name, LocalisedText(context, 100));

  context->VersionMajor = TINTWELL_VERSION_MAJOR;
  context->VersionMinor = TINTWELL_VERSION_MINOR;

  // Handed to the host, which owns it from here on.
  void* userBlock = std::calloc(1, kUserBlockSize);
  if (!userBlock) return 0;
  context->UserBlock = userBlock;
  context->UserBlockSize = kUserBlockSize;

  LoadSettings(context);
  LoadGradientTable(context);
  LoadStoredPens(context);
  InitColourScheme(context);
  PI_Parameters(context, nullptr);
  RefreshPanel(context);
  RegisterShortcuts(context);
  return 1;
}

TW_EXPORT void TW_CALL PI_Close(PluginContext* context) {
  CloseLocalisation(context);
  if (GState.PanelRequester) {
    const RequesterHandle panel = GState.PanelRequester;
    HostSetPointerTracking(context, panel, 0);
    HostCloseRequester(context, panel);
    GState.PanelRequester = 0;
  }
  if (GState.PickRequester) {
    const RequesterHandle pick = GState.PickRequester;
    HostSetPointerTracking(context, pick, 0);
    HostCloseRequester(context, pick);
    GState.PickRequester = 0;
    GState.RingLockBits = 0;
    if (GState.PickImage) HostFreeImage(context, GState.PickImage);
    GState.PickImage = nullptr;
  }
  if (GState.BrushRequester) {
    const RequesterHandle brush = GState.BrushRequester;
    HostSetPointerTracking(context, brush, 0);
    HostCloseRequester(context, brush);
    GState.BrushRequester = 0;
    if (GState.BrushImage) HostFreeImage(context, GState.BrushImage);
    GState.BrushImage = nullptr;
  }
  if (GState.VectorscopeRequester) {
    HostCloseRequester(context, GState.VectorscopeRequester);
    GState.VectorscopeRequester = 0;
  }
  // The host may unload without ending the canvas interaction first; the
  // canvas copy would otherwise outlive the plug-in.
  if (GState.SampleBuffer) {
    HostFreeImage(context, GState.SampleBuffer);
    GState.SampleBuffer = nullptr;
  }
  if (GState.ColourScheme.modified) SaveColourSchemeSlot(context);
}

TW_EXPORT int32_t TW_CALL PI_About(PluginContext* context) {
  char text[1024];
  std::snprintf(text, sizeof text, "%s %d.%d\n%s", context->Name, context->VersionMajor, context->VersionMinor,
                kAboutText);
  return static_cast<int32_t>(HostMessage(context, text));
}

TW_EXPORT int32_t TW_CALL PI_Parameters(PluginContext* context, const char* command) {
  if (!command) return ShowPanel(context);
  int32_t result = 1;
  for (const char* c = command; *c; ++c) {
    switch (*c) {
      case 's':
        if (GState.ModeFlags & kModePick) {
          EndPickMode(context);
        } else {
          StartPickMode(context);
        }
        break;
      case 'S':
        if (!(GState.ModeFlags & kModeBrush)) {
          GState.CanvasSubMode = 0;
          StartBrushMode(context);
        } else if (!AutoDrawModeCheck(context, false)) {
          AutoDrawModeFollowUp(context);
        }
        break;
      case 'R':
        if (GState.ModeFlags & kModeBrush) {
          AutoDrawModeFollowUp(context);
        } else {
          GState.CanvasSubMode = 16;
          StartBrushMode(context);
        }
        break;
      case 'x':
        SwapPens(context);
        break;
      case 'r':
        RefreshPanel(context);
        break;
      case 'd':
        SetModeBitForFilter(context, kPaintCieDarken);
        break;
      case 'l':
        SetModeBitForFilter(context, kPaintCieLighten);
        break;
      case 'k':
        GState.PaintModeBits ^= kPaintSizeLock;
        GState.BrushSizeLock = -1;
        GState.BrushSizeLockSize = -1.0f;
        UpdateFxBrushWatch(context);
        break;
      case 'K':
        GState.BrushSizeLock = 100;
        GState.BrushSizeLockSize = 0.0f;
        break;
      case 'T':
        ToggleAutoTrim(context, GState.PaintModeBits ^ kPaintAutoTrim);
        break;
      case 'U':
        ToggleAutoTrim(context, GState.PaintModeBits | kPaintAutoTrim);
        break;
      case 'u':
        ToggleAutoTrim(context, GState.PaintModeBits & ~kPaintAutoTrim);
        break;
      case 't':
        if (GState.PanelRequester) {
          const RequesterHandle panel = GState.PanelRequester;
          HostSetPointerTracking(context, panel, 0);
          // The panel's closing event stores its place and the options.
          HostCloseRequester(context, panel);
          GState.PanelRequester = 0;
        } else if (!ShowPanel(context)) {
          result = 0;
        }
        break;
      default:
        break;  // not a command letter
    }
  }
  return result;
}

TW_EXPORT int32_t TW_CALL PI_Start(PluginContext*, int32_t, int32_t, int32_t, int32_t) { return 1; }

TW_EXPORT int32_t TW_CALL PI_Work(PluginContext* context) {
  HostImage* image = context->WorkImage;
  CieLightenDarkenFilter(context, image, image, (GState.PaintModeBits & kPaintCieLighten) ? 1 : 0);
  HostUpdateArea(context, context->WorkArea[0], context->WorkArea[1], context->WorkArea[2], context->WorkArea[3]);
  return 1;
}

TW_EXPORT void TW_CALL PI_Finish(PluginContext*) {}

TW_EXPORT int32_t TW_CALL PI_Msg(PluginContext* context, int32_t kind, HostWord requester, HostWord* args) {
  switch (kind) {
    case kMsgGadgetPress:
      if (args && static_cast<int32_t>(args[0]) == kScopeGadget) {
        GState.VectorscopeMode = GState.VectorscopeMode == 2 ? 1 : 2;
        VectorscopeUpdate(context, GState.CurrentPixel);
      }
      break;
    case kMsgPointerMove:
      if (!args || !requester) break;
      if (requester == GState.PickRequester) {
        FxBrushEvents(context, args);
      } else if (requester == GState.BrushRequester) {
        BrushModeEvents(context, args);
      }
      break;
    case kMsgOverlayDraw:
      if (GState.ModeFlags & kModePick) {
        DrawPickOverlay(context);
      } else if (GState.ModeFlags & kModeBrush) {
        DrawBrushOverlay(context);
      }
      break;
    case kMsgRoomChange:
      if (args) RoomChange(context, reinterpret_cast<const char*>(args[0]));
      break;
    case kMsgCanvasEnd:
      EndCanvasInteraction(context);
      break;
    case kMsgCanvasPointer:
      if (!args) break;
      if (GState.ModeFlags & kModePick) {
        CanvasPickEvent(context, args);
      } else if (GState.ModeFlags & kModeBrush) {
        const int32_t event = static_cast<int32_t>(args[2]);
        if ((event == -1 || event == -2) && (GState.CanvasSubMode == 2 || GState.CanvasSubMode == 8)) {
          AutoDrawModeFollowUp(context);
        }
      }
      break;
    default:
      break;
  }
  return 1;
}
