// Tintwell panel: the option menu.
//
// Every option of the panel is one entry of a single pop-up menu. The menu is
// built afresh for each right click from the current state: which sections
// are shown decides which entries appear, and each option's value decides its
// check mark. The chosen id is applied only when a shown entry carries it, so
// a stray answer from the host changes nothing.
//
// Panel layer; calls host/, colour/ and store/. Work that lives above the
// panel (closing the scope window, the FX-brush watch) is handed back to the
// caller as kMenuFollow* bits.
#include "panel/option_menu.h"

#include <cstdint>
#include <cstring>

#include "colour/current_colour.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "panel/about_message.h"
#include "panel/panel_layout.h"
#include "panel/panel_images.h"
#include "store/builtin_texts_ids.h"
#include "store/localisation.h"

namespace {

// Pressure sensitivity the question allows.
constexpr int32_t kPressureSensitivityMin = 64;
constexpr int32_t kPressureSensitivityMax = 255;

// Every section shown gives the longest menu.
constexpr int32_t kMaxItems = 23;

// The empty text of a separator line.
constexpr const char kSeparatorText[] = "";

// Room for the entries' texts, which must all live until the menu closes:
// far more than any translation needs, so every entry is whole in practice;
// an entry beyond it is cut at a character boundary rather than dropped.
constexpr size_t kMenuTextPoolSize = 16384;

struct OptionMenu {
  MenuItem items[kMaxItems + 1];   // the entry after the last is all zero
  char texts[kMenuTextPoolSize];   // the entries' localised texts, one after another
  size_t textsUsed;                // bytes of texts taken, terminators included
  int32_t count;                   // entries without the terminator
};

int32_t CheckedIf(bool on) { return on ? kMenuChecked : 0; }

void AddItem(PluginContext* context, OptionMenu* menu, int32_t textNumber, int32_t id, int32_t flags) {
  if (menu->count >= kMaxItems) return;
  MenuItem& item = menu->items[menu->count];
  // Each later entry keeps at least its terminator.
  const size_t reserve = static_cast<size_t>(kMaxItems - menu->count - 1);
  const size_t room = sizeof menu->texts - menu->textsUsed - reserve;
  char* text = menu->texts + menu->textsUsed;
  CopyLocalisedText(context, textNumber, text, room);
  menu->textsUsed += std::strlen(text) + 1;
  item.Words[0] = reinterpret_cast<HostWord>(text);
  item.Words[1] = id;
  item.Words[2] = flags;
  ++menu->count;
}

void AddSeparator(OptionMenu* menu) {
  if (menu->count >= kMaxItems) return;
  MenuItem& item = menu->items[menu->count];
  item.Words[0] = reinterpret_cast<HostWord>(kSeparatorText);
  item.Words[2] = kMenuSeparator;
  ++menu->count;
}

// The entries in display order; menu must start all zero.
void BuildOptionMenu(PluginContext* context, OptionMenu* menu) {
  const bool palette = GState.ShowPalette != 0;
  const bool slider = GState.SliderMode > 0;
  const int32_t sliderMode = GState.SliderMode;
  const int32_t paint = GState.PaintModeBits;

  AddItem(context, menu, texts::kMenuShowPalette, kMenuIdShowPalette, CheckedIf(palette));
  AddItem(context, menu, texts::kMenuShowSlider, kMenuIdShowSlider, CheckedIf(slider));
  AddItem(context, menu, texts::kMenuShowFxBrush, kMenuIdShowFxBrush, CheckedIf(GState.ShowFxBrush != 0));
  AddSeparator(menu);
  if (slider) {
    AddItem(context, menu, texts::kMenuSliderLock, kMenuIdSliderLock, CheckedIf(GState.LumaLock != 0));
    AddSeparator(menu);
    AddItem(context, menu, texts::kMenuSliderLab, kMenuIdSliderLab,
            kMenuCheckable | CheckedIf(sliderMode == kSliderLabValue));
    AddItem(context, menu, texts::kMenuSliderPalette, kMenuIdSliderPalette,
            kMenuCheckable | CheckedIf(sliderMode == kSliderPalette));
    AddItem(context, menu, texts::kMenuSliderGradient, kMenuIdSliderGradient,
            kMenuCheckable | CheckedIf(sliderMode == kSliderGradient));
  }
  // The lamp entries make way for the slider entries when only the swatch
  // band and the slider are shown.
  if (palette || !slider) {
    AddItem(context, menu, texts::kMenuLampNative, kMenuIdLampNative,
            kMenuCheckable | CheckedIf(GState.LightMode == kLightNative));
    AddItem(context, menu, texts::kMenuLampCie, kMenuIdLampCie,
            kMenuCheckable | CheckedIf(GState.LightMode == kLightCie));
    AddItem(context, menu, texts::kMenuLampAdditive, kMenuIdLampAdditive,
            kMenuCheckable | CheckedIf(GState.LightMode == kLightAdditive));
  }
  if (palette) {
    AddItem(context, menu, texts::kMenuGamutFull, kMenuIdGamutWide,
            kMenuCheckable | CheckedIf(GState.GamutMode == kGamutWide));
    AddItem(context, menu, texts::kMenuGamutNarrow, kMenuIdGamutNarrow,
            kMenuCheckable | CheckedIf(GState.GamutMode == kGamutNarrow));
  }
  AddItem(context, menu, texts::kMenuXyzPicker, kMenuIdXyzPicker, kMenuCheckable | CheckedIf(GState.XyzMixMode != 0));
  AddItem(context, menu, texts::kMenuAggressiveAutosample, kMenuIdAggressiveAutosample,
          kMenuCheckable | CheckedIf(GState.AggressiveAutosample != 0));
  AddItem(context, menu, texts::kMenuAutoTrim, kMenuIdAutoTrim, CheckedIf(paint & kPaintAutoTrim));
  AddItem(context, menu, texts::kMenuMousePressure, kMenuIdMousePressure,
          kMenuCheckable | CheckedIf(GState.PressureSensitivity < 1));
  AddItem(context, menu, texts::kMenuVectorscope, kMenuIdVectorscope,
          kMenuCheckable | CheckedIf(GState.VectorscopeMode > 0));
  AddItem(context, menu, texts::kMenuBrushSizeLock, kMenuIdBrushSizeLock, CheckedIf(paint & kPaintSizeLock));
  AddSeparator(menu);
  AddItem(context, menu, texts::kMenuQuickHelp, kMenuIdQuickHelp, CheckedIf(GState.PopHelp != 0));
  AddItem(context, menu, texts::kMenuAbout, kMenuIdAbout, 0);
}

bool MenuCarries(const OptionMenu& menu, HostWord id) {
  if (id == 0) return false;
  for (int32_t i = 0; i < menu.count; ++i) {
    if (menu.items[i].Words[1] == id) return true;
  }
  return false;
}

int32_t Toggled(int32_t flag) { return flag ? 0 : 1; }

// The slider mode an entry switches to: its own mode, or hidden when the
// slider already is in it.
int32_t SliderModeToggle(int32_t mode) { return GState.SliderMode == mode ? kSliderHidden : mode; }

// PressureSensitivity holds the sensitivity as its magnitude and the mouse
// pressure mode as its sign (0 and below: mouse mode on).
void ToggleMousePressureMode(PluginContext* context) {
  int32_t& sensitivity = GState.PressureSensitivity;
  if (sensitivity >= 1) {
    sensitivity = -sensitivity;  // mouse mode on; the magnitude waits for the way back
    return;
  }
  // -INT32_MIN does not exist; such a stored value counts as the largest one.
  const int32_t magnitude = sensitivity == INT32_MIN ? INT32_MAX : -sensitivity;
  sensitivity = magnitude >= kPressureSensitivityMin ? magnitude : kPressureSensitivityMin;
  HostAskInteger(context, LocalisedText(context, texts::kPressureQuestion), &GState.PressureSensitivity,
                 kPressureSensitivityMin, kPressureSensitivityMax);
  // The host keeps the answer in range; a cancelled question over a stored
  // value beyond the range must not leave it there either.
  if (sensitivity < kPressureSensitivityMin) sensitivity = kPressureSensitivityMin;
  if (sensitivity > kPressureSensitivityMax) sensitivity = kPressureSensitivityMax;
}

void ToggleQuickHelp(PluginContext* context) {
  const RequesterHandle panel = GState.PanelRequester;
  if (GState.PopHelp) {
    GState.PopHelp = 0;
    if (panel) {
      HostSetRequesterTitle(context, panel, LocalisedText(context, texts::kPanelTitle));
      // Even the swatch band's menu hint goes until the next layout.
      HostSetGadgetHelp(context, panel, kSwatchGadget, "");
      if (GState.ShowPalette) HostSetGadgetHelp(context, panel, kPaletteGadget, "");
    }
  } else {
    GState.PopHelp = 1;
  }
  // The host reports pointer moves, and so the hover help, only while tracking.
  if (panel) HostSetPointerTracking(context, panel, GState.PopHelp);
}

// The choices that change what the panel shows; the caller lays it out
// again. False for any other choice.
bool ApplyLayoutChoice(int32_t id) {
  switch (id) {
    case kMenuIdShowPalette:
      GState.ShowPalette = Toggled(GState.ShowPalette);
      return true;
    case kMenuIdSliderLab:
      GState.SliderMode = SliderModeToggle(kSliderLabValue);
      MoveSliderToColour(GState.CurrentRgb);
      return true;
    case kMenuIdShowSlider:
      if (GState.SliderMode > 0) {
        GState.SliderMode = kSliderHidden;
      } else {
        GState.SliderMode = kSliderLabValue;
        MoveSliderToColour(GState.CurrentRgb);
      }
      return true;
    case kMenuIdSliderGradient:
      GState.SliderMode = SliderModeToggle(kSliderGradient);
      return true;
    case kMenuIdSliderPalette:
      GState.SliderMode = SliderModeToggle(kSliderPalette);
      return true;
    case kMenuIdGamutWide:
    case kMenuIdGamutNarrow: {
      const int32_t gamut = id == kMenuIdGamutWide ? kGamutWide : kGamutNarrow;
      GState.GamutMode = GState.GamutMode == gamut ? kGamutOff : gamut;
      return true;
    }
    case kMenuIdShowFxBrush:
      GState.ShowFxBrush = Toggled(GState.ShowFxBrush);
      return true;
    case kMenuIdLampNative:
    case kMenuIdLampCie:
    case kMenuIdLampAdditive:
      GState.LightMode = id == kMenuIdLampNative ? kLightNative : id == kMenuIdLampCie ? kLightCie : kLightAdditive;
      return true;
    default:
      return false;
  }
}

int32_t ApplyMenuChoice(PluginContext* context, int32_t id) {
  if (ApplyLayoutChoice(id)) {
    LayoutPanel(context);
    return kMenuFollowNone;
  }
  switch (id) {
    case kMenuIdVectorscope:
      if (GState.VectorscopeMode > 0) {
        GState.VectorscopeMode = kScopeOff;
        return kMenuFollowCloseScope;
      }
      // The window opens with the next pointer handling on the panel or pick.
      GState.VectorscopeMode = kScopeWaveform;
      break;
    case kMenuIdSliderLock:
      GState.LumaLock = Toggled(GState.LumaLock);
      BuildSwatchImage(context);
      break;
    case kMenuIdMousePressure:
      ToggleMousePressureMode(context);
      break;
    case kMenuIdXyzPicker:
      GState.XyzMixMode = Toggled(GState.XyzMixMode);
      break;
    case kMenuIdAggressiveAutosample:
      GState.AggressiveAutosample = Toggled(GState.AggressiveAutosample);
      break;
    case kMenuIdBrushSizeLock:
      return kMenuFollowSizeLock;
    case kMenuIdAutoTrim:
      GState.PaintModeBits ^= kPaintAutoTrim;
      GState.AutoTrimPending = 0;
      return kMenuFollowFxBrushWatch;
    case kMenuIdQuickHelp:
      ToggleQuickHelp(context);
      break;
    case kMenuIdAbout:
      ShowAboutMessage(context);
      break;
    default:
      break;
  }
  return kMenuFollowNone;
}

}  // namespace

int32_t ShowOptionMenu(PluginContext* context) {
  OptionMenu menu{};
  BuildOptionMenu(context, &menu);
  const HostWord chosen = HostPopupMenu(context, menu.items, menu.count);
  if (!MenuCarries(menu, chosen)) return kMenuFollowNone;
  return ApplyMenuChoice(context, static_cast<int32_t>(chosen));
}
