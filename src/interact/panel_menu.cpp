// Tintwell interaction: the option menu as the panel's right click runs it.
// The menu itself (its entries and check marks) is drawn by panel/; the
// chosen entry is applied here, where the scope window (requesters/), the
// FX-brush watch and the size lock (interact/) can be reached.
// Interaction layer; calls host/, colour/, store/, panel/, requesters/ and interact/.
#include "interact/panel_menu.h"

#include <climits>
#include <cstdint>

#include "colour/current_colour.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "interact/canvas_modes.h"
#include "panel/about_message.h"
#include "panel/option_menu.h"
#include "panel/panel_geometry.h"
#include "panel/panel_images.h"
#include "panel/panel_layout.h"
#include "requesters/vectorscope_window.h"
#include "store/builtin_texts_ids.h"
#include "store/localisation.h"

namespace {

// Pressure sensitivity the question allows.
constexpr int32_t kPressureSensitivityMin = 64;
constexpr int32_t kPressureSensitivityMax = 255;

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

void ApplyMenuChoice(PluginContext* context, int32_t id) {
  if (ApplyLayoutChoice(id)) {
    LayoutPanel(context);
    return;
  }
  switch (id) {
    case kMenuIdVectorscope:
      if (GState.VectorscopeMode > 0) {
        GState.VectorscopeMode = kScopeOff;
        CloseScopeWindow(context);
        break;
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
      ToggleBrushSizeLock(context);  // as its command letter does
      break;
    case kMenuIdAutoTrim:
      GState.PaintModeBits ^= kPaintAutoTrim;
      GState.AutoTrimPending = 0;
      UpdateFxBrushWatch(context);
      break;
    case kMenuIdQuickHelp:
      ToggleQuickHelp(context);
      break;
    case kMenuIdAbout:
      ShowAboutMessage(context);
      break;
    default:
      break;
  }
}


}  // namespace

void RunOptionMenu(PluginContext* context) {
  const int32_t chosen = ShowOptionMenu(context);
  if (chosen != kMenuIdNone) ApplyMenuChoice(context, chosen);
}
