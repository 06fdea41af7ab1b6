// Tintwell panel: the option menu.
//
// Every option of the panel is one entry of a single pop-up menu. The menu is
// built afresh for each right click from the current state: which sections
// are shown decides which entries appear, and each option's value decides its
// check mark. Only an id that a shown entry carries comes back, so a stray
// answer from the host changes nothing; applying the choice is the
// interaction layer's (interact/panel_menu).
//
// Panel layer; calls host/ and store/.
#include "panel/option_menu.h"

#include <cstdint>
#include <cstring>

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "store/builtin_texts_ids.h"
#include "store/localisation.h"

namespace {

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

}  // namespace

int32_t ShowOptionMenu(PluginContext* context) {
  OptionMenu menu{};
  BuildOptionMenu(context, &menu);
  const HostWord chosen = HostPopupMenu(context, menu.items, menu.count);
  return MenuCarries(menu, chosen) ? static_cast<int32_t>(chosen) : kMenuIdNone;
}
