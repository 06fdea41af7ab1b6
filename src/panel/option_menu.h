// Tintwell panel: the option menu behind a right click on the swatch band.
#pragma once

#include <cstdint>

#include "core/abi.h"

// Item ids the host hands back.
constexpr int32_t kMenuIdNone = 0;  // nothing chosen (or an id no shown entry carries)
constexpr int32_t kMenuIdShowPalette = 10;
constexpr int32_t kMenuIdSliderLab = 20;
constexpr int32_t kMenuIdShowSlider = 22;
constexpr int32_t kMenuIdVectorscope = 23;
constexpr int32_t kMenuIdSliderGradient = 24;
constexpr int32_t kMenuIdSliderPalette = 25;
constexpr int32_t kMenuIdSliderLock = 30;
constexpr int32_t kMenuIdMousePressure = 40;
constexpr int32_t kMenuIdXyzPicker = 50;
constexpr int32_t kMenuIdAggressiveAutosample = 51;
constexpr int32_t kMenuIdBrushSizeLock = 52;
constexpr int32_t kMenuIdAutoTrim = 53;
constexpr int32_t kMenuIdGamutWide = 60;
constexpr int32_t kMenuIdGamutNarrow = 61;
constexpr int32_t kMenuIdQuickHelp = 80;
constexpr int32_t kMenuIdAbout = 85;
constexpr int32_t kMenuIdShowFxBrush = 90;
constexpr int32_t kMenuIdLampNative = 100;
constexpr int32_t kMenuIdLampCie = 101;
constexpr int32_t kMenuIdLampAdditive = 102;

// Builds the menu from the current state and asks the host to show it.
// Returns the chosen item's id, or kMenuIdNone when the answer is no shown
// item's (0 included). Applying it is RunOptionMenu's (interact/panel_menu.h).
[[nodiscard]] int32_t ShowOptionMenu(PluginContext* context);

