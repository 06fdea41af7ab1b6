// Test support: drives the main panel's callback through the stand-in host
// the way the host reports the user's pointer, with every argument word of a
// panel event filled (release positions also in 16.16 fixed point).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "simhost.h"
#include "support/plugin_host.h"

namespace paneltest {

constexpr int32_t kSwatch = 100;
constexpr int32_t kPalette = 110;
constexpr int32_t kLamp = 150;
constexpr int32_t kDirt = 151;
constexpr int32_t kLoad = 152;
constexpr int32_t kRot = 153;

constexpr int32_t kLeft = 0x1;
constexpr int32_t kRight = 0x2;
constexpr int32_t kCtrl = 1;

// The palette picture's centre as the gestures see it (180 x 180 picture):
// picker coordinates (dx, dy) are at gadget pixel (91 + dx, 92 + dy).
constexpr int32_t kPaletteCentreX = 91;
constexpr int32_t kPaletteCentreY = 92;

struct Pointer {
  int32_t gadget = kSwatch;
  int32_t x = 0;
  int32_t y = 0;
  int32_t buttons = kLeft;
  int32_t pressure = 255;
  int32_t qualifier = 0;
};

inline std::vector<HostWord> EventWords(const Pointer& p) {
  const auto fixed = [](int32_t v) { return static_cast<HostWord>(static_cast<uint32_t>(v) << 16); };
  return {p.gadget, p.x, p.y, p.buttons, p.pressure, 0, p.qualifier, fixed(p.x), fixed(p.y), 0};
}

// A pointer on the palette at picker coordinates (dx, dy).
inline Pointer OnPalette(int32_t dx, int32_t dy, int32_t buttons = kLeft, int32_t qualifier = 0) {
  Pointer p;
  p.gadget = kPalette;
  p.x = kPaletteCentreX + dx;
  p.y = kPaletteCentreY + dy;
  p.buttons = buttons;
  p.qualifier = qualifier;
  return p;
}

inline Pointer OnSwatch(int32_t x, int32_t y, int32_t buttons = kLeft, int32_t qualifier = 0) {
  Pointer p;
  p.x = x;
  p.y = y;
  p.buttons = buttons;
  p.qualifier = qualifier;
  return p;
}

inline Pointer At(Pointer p, int32_t x, int32_t y) {
  p.x = x;
  p.y = y;
  return p;
}

inline Pointer AtPalette(Pointer p, int32_t dx, int32_t dy) { return At(p, kPaletteCentreX + dx, kPaletteCentreY + dy); }

inline void Press(simhost::SimHost& host, const Pointer& p) {
  host.SendEvent(GState.PanelRequester, kEventPress, EventWords(p));
}
inline void Drag(simhost::SimHost& host, const Pointer& p) {
  host.SendEvent(GState.PanelRequester, kEventDrag, EventWords(p));
}
inline void Release(simhost::SimHost& host, const Pointer& p) {
  host.SendEvent(GState.PanelRequester, kEventRelease, EventWords(p));
}

// Press, the drags through every point given, release at the last point.
inline void Gesture(simhost::SimHost& host, Pointer p, const std::vector<std::pair<int32_t, int32_t>>& drags) {
  Press(host, p);
  for (const auto& [x, y] : drags) {
    p = At(p, x, y);
    Drag(host, p);
  }
  Release(host, p);
}

// The plug-in in the stand-in host with plain HSV in the ring and the
// palette, the palette and the LAB slider shown, in mouse pressure mode.
class PlainPanelTest : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    std::strcpy(host->Context()->Name, "Tintwell");
    GState.CieHsvMode = 0;
    GState.HueRingMode = 0;
    GState.ShowPalette = 1;
    GState.SliderMode = kSliderLabValue;
    GState.PressureSensitivity = 0;
  }

  // Opens the panel on the A pen given, with no records kept.
  void OpenWith(simhost::Rgba aPen) {
    host->aPen = aPen;
    ASSERT_EQ(1, host->Parameters(nullptr));
    ASSERT_NE(0, GState.PanelRequester);
    host->ClearRecords();
  }

  // The last A pen the plug-in sent.
  std::string LastAPen() const {
    const std::vector<std::string> pens = CommandsStartingWith("tv_SetAPen");
    return pens.empty() ? std::string("<none>") : pens.back();
  }
};

}  // namespace paneltest
