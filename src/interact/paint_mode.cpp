// Tintwell interaction: the paint modes that only lighten or only darken
// (or add and colorize), driven by the paint-mode corner of the palette and
// the lamp button, and the filter run that keeps their paint source fresh.
// Interaction layer; calls host/, colour/ and panel/.
//
// Native and additive variants live in the host: a corner click reads the
// host's draw mode and sets the shape's or tool's mode. The CIE variant and
// the lamp mode are plug-in driven: the host runs a filter over the picture
// (our own CIE lighten or darken pass, or its FX stack), the result goes to
// the spare page, the layer is undone and the draw mode becomes "merge". That
// preparation is repeated when strokes end, so the source follows the
// picture.
//
//   corner press (LightMode 0, 2) -> host draw mode on/off for the clicked side;
//                                    Ctrl also toggles the automatic mode
//   corner press (LightMode 1)    -> CIE source on for the clicked side, or off
//   lamp release, left            -> lamp mode on (FX stack source) or off
//                                    (off paints plain "color" again)
//   lamp release, right           -> on a lit lamp: refresh on every refresh
//                                    notice, toggled
#include "interact/paint_mode.h"

#include <cstring>

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_commands.h"
#include "interact/draw_mode.h"
#include "interact/panel_pointer.h"
#include "panel/lamp_picture.h"
#include "panel/panel_images.h"

namespace {

constexpr int32_t kPaintVariants = kPaintCieDarken | kPaintCieLighten;

constexpr char kCieDarkenSource[] = "tv_plugin \"tintwell\" cmd \"d\"";
constexpr char kCieLightenSource[] = "tv_plugin \"tintwell\" cmd \"l\"";
constexpr char kStackApplySource[] = "tv_stackapply";

// The host-side variants: the draw-mode words that mean the mode is on, and
// the words each choice sets.
struct HostModeWords {
  const char* lighterOn;  // the host's mode word when the lighter side is on
  const char* darkerOn;
  const char* lighter;    // set for bit 0x40
  const char* darker;     // set for bit 0x20
};
constexpr HostModeWords kNativeWords{kDrawModeLighten, kDrawModeDarken, kDrawModeLighten, kDrawModeDarken};
constexpr HostModeWords kAdditiveWords{kDrawModeAdd, kDrawModeColorize, kDrawModeAdd, kDrawModeColorize};

bool LampButtonPresent() { return GState.PanelRequester != 0 && GState.ShowFxBrush != 0; }

int32_t Bits() { return GState.PaintModeBits; }

// The command that makes the paint source. The CIE passes are ours; they
// only stand for the chosen side when the CIE variant is the lamp's mode, or
// always when asked (the refresh forms go by the side bits alone).
const char* SourceCommand(bool sideBitsOnly) {
  const bool cie = sideBitsOnly || GState.LightMode == kLightCie;
  if (cie && (Bits() & kPaintCieDarken)) return kCieDarkenSource;
  if (cie && (Bits() & kPaintCieLighten)) return kCieLightenSource;
  return kStackApplySource;
}

// Has the host make the source, copies it to the spare page and takes the
// pass back off the layer. The first command may come back into the
// plug-in as the "d" or "l" filter run.
void SendSourceCommands(PluginContext* context, const char* source) {
  HostSendCommand(context, source, nullptr);
  HostSendCommand(context, "tv_sparecopy", nullptr);
  HostSendCommand(context, "tv_undo", nullptr);
}

// The first space-separated word of a reply equals `word`, ignoring ASCII
// case (a line end after it does not count as part of the word).
bool FirstWordIs(const char* reply, const char* word) {
  while (*reply == ' ') ++reply;
  size_t i = 0;
  for (; word[i]; ++i) {
    char c = reply[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  const char end = reply[i];
  return end == '\0' || end == ' ' || end == '\t' || end == '\r' || end == '\n';
}

// Native and additive corner clicks. A click while the host already paints
// in one of the two modes switches it off, whichever side was clicked;
// otherwise the clicked side goes on.
void SwitchHostDrawMode(PluginContext* context, bool isFill, int32_t clicked, int32_t qualifier,
                        const HostModeWords& words) {
  char reply[kReplySize];
  AskHost(context, "tv_getDrawMode", reply);
  GState.PaintModeBits &= ~kPaintVariants;
  const bool hostModeOn = FirstWordIs(reply, words.lighterOn) || FirstWordIs(reply, words.darkerOn);
  const int32_t chosen = hostModeOn ? 0 : clicked;
  GState.PaintModeBits |= chosen;
  const char* word = kDrawModeColor;
  if (chosen == kPaintCieLighten) word = words.lighter;
  if (chosen == kPaintCieDarken) word = words.darker;
  SetPaintDrawMode(context, isFill, word);

  // Ctrl on a click that turns a side on toggles the automatic mode and
  // records the present value as its starting point.
  if (qualifier != 0 && chosen != 0) {
    GState.AutoLightenDarken = GState.AutoLightenDarken == 1 ? 0 : 1;
    AutoDrawModeCheck(context, true);
  } else {
    GState.AutoLightenDarken = 0;
  }
}

}  // namespace

// Shows the busy lamp, has the host run the pass (through our own "d" or "l"
// command, or its own stack apply), keeps a spare copy and undoes the stroke
// it replaces, then shows the resting lamp.
void RunPaintModeFilter(PluginContext* context, int32_t request) {
  if (!(GState.PaintModeBits & kPaintLampAlt) && request == 0) return;
  if (LampButtonPresent()) ShowLamp(context, (GState.PaintModeBits & kPaintLampAlt) ? kLampOrange : kLampRed);
  SendSourceCommands(context, SourceCommand(true));
  if (LampButtonPresent()) ShowLamp(context, (GState.PaintModeBits & kPaintLampAlt) ? kLampLime : kLampGreen);
}

void PaintModeCornerPress(PluginContext* context, int32_t buttons, int32_t qualifier) {
  const bool isFill = ActiveShapeIsFill(context);
  const bool left = (buttons & kPanelButtonLeft) != 0;
  const bool right = (buttons & kPanelButtonRight) != 0;

  // A click on the side that is already on switches the plug-in mode off.
  bool switchingOn = true;
  if ((left && (Bits() & kPaintCieLighten)) || (right && (Bits() & kPaintCieDarken))) {
    GState.PaintModeBits &= ~(kPaintLampOn | kPaintVariants);
    switchingOn = false;
  } else {
    GState.AutoLightenDarken = 0;
  }
  const int32_t clicked = right ? kPaintCieDarken : kPaintCieLighten;

  switch (GState.LightMode) {
    case kLightNative:
      SwitchHostDrawMode(context, isFill, clicked, qualifier, kNativeWords);
      break;
    case kLightAdditive:
      SwitchHostDrawMode(context, isFill, clicked, qualifier, kAdditiveWords);
      break;
    case kLightCie:
      if (switchingOn) {
        GState.PaintModeBits = (GState.PaintModeBits & ~kPaintVariants) | kPaintLampOn | clicked;
        ShowLamp(context, kLampOrange);
        SendSourceCommands(context, SourceCommand(false));
        HostSendCommand(context, "tv_setdrawmode merge", nullptr);
      } else {
        HostSendCommand(context, "tv_setdrawmode color", nullptr);
      }
      break;
    default:
      break;
  }

  ShowLamp(context, (Bits() & kPaintLampOn) ? kLampLime : kLampDark);
  BuildSwatchImage(context);
  BuildPaletteImage(context);
}

void LampButtonRelease(PluginContext* context, HostWord* args) {
  const int32_t buttons = args ? static_cast<int32_t>(args[3]) : 0;
  if (buttons & kPanelButtonLeft) {
    // On, the source is the host's FX stack until a corner click chooses a
    // CIE side; off clears the side too.
    if (Bits() & kPaintLampOn) {
      GState.PaintModeBits &= ~(kPaintLampOn | kPaintVariants);
      // The host would otherwise keep painting "merge" from the old source.
      HostSendCommand(context, "tv_setdrawmode color", nullptr);
    } else {
      GState.PaintModeBits = (GState.PaintModeBits | kPaintLampOn) & ~kPaintVariants;
    }
  }
  if (!(Bits() & kPaintLampOn)) {
    ShowLamp(context, kLampDark);  // the refresh choice stays for the next switch-on
    return;
  }

  // The refresh-on-every-notice state goes on only after the source is
  // made, so nothing refreshes it while its commands are on their way.
  bool setRefresh = false;
  if (buttons & kPanelButtonRight) {
    if (Bits() & kPaintLampAlt) {
      GState.PaintModeBits &= ~kPaintLampAlt;
    } else {
      setRefresh = true;
    }
  }
  ShowLamp(context, (setRefresh || (Bits() & kPaintLampAlt)) ? kLampOrange : kLampRed);
  SendSourceCommands(context, SourceCommand(false));
  HostSendCommand(context, "tv_setdrawmode merge", nullptr);
  if (setRefresh) GState.PaintModeBits |= kPaintLampAlt;
  ShowLamp(context, (Bits() & kPaintLampAlt) ? kLampLime : kLampGreen);
}

void PaintSourceRefresh(PluginContext* context, int32_t form) {
  const bool onRefresh = form == kPaintSourceOnRefresh;
  ShowLamp(context, (onRefresh || (Bits() & kPaintLampAlt)) ? kLampOrange : kLampRed);
  SendSourceCommands(context, SourceCommand(onRefresh));
  ShowLamp(context, (Bits() & kPaintLampAlt) ? kLampLime : kLampGreen);
}
