// Tintwell panel: the option menu behind a right click on the swatch band.
#pragma once

#include <cstdint>

#include "core/abi.h"

// Work a chosen item leaves to the caller, because it lives above the panel
// layer. ShowOptionMenu returns these bits; the caller runs them in this order
// (RunOptionMenu in interact/panel_menu.h does both).
constexpr int32_t kMenuFollowNone = 0;
constexpr int32_t kMenuFollowCloseScope = 0x1;     // CloseScopeWindow (the scope was switched off)
constexpr int32_t kMenuFollowFxBrushWatch = 0x2;   // update the FX-brush watch (auto trim)
constexpr int32_t kMenuFollowSizeLock = 0x4;       // toggle the brush size lock (as its command letter does)

// Item ids the host hands back.
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

// Builds the menu, asks the host to show it and applies the chosen item; an
// id that no shown item carries (0 included) changes nothing. Returns the
// kMenuFollow* bits the caller must still run.
[[nodiscard]] int32_t ShowOptionMenu(PluginContext* context);

