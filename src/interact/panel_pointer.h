// Tintwell interaction: what the panel's gestures share. The argument words
// of a panel event, the palette's picker coordinates, the pressure factor of
// the fine drags and the colour commit that ends every colour drag.
#pragma once

#include <cstdint>

#include "core/abi.h"
#include "core/colour_triple.h"

// Buttons word of a panel event.
constexpr int32_t kPanelButtonLeft = 0x1;
constexpr int32_t kPanelButtonRight = 0x2;
// Qualifier word with Ctrl held. The slider and the current swatch test for
// exactly this value, the palette gestures for any non-zero value.
constexpr int32_t kPanelQualifierCtrl = 1;

// The argument words of a panel event. Pointer positions are bounded to
// +-kPanelPointerLimit and the pressure to 0..255 on the way in, so no
// arithmetic on them can overflow whatever the host sends.
struct PanelEvent {
  int32_t gadget;      // word 0: gadget id
  int32_t x;           // words 1, 2: pointer in pixels from the gadget's top-left corner
  int32_t y;
  int32_t buttons;     // word 3: kPanelButton* bits
  int32_t pressure;    // word 4: pen pressure 0..255 (255 for a mouse)
  int32_t qualifier;   // word 6: kPanelQualifierCtrl with Ctrl held
  uint32_t fixedX;     // words 7, 8: pointer from the gadget's corner, unsigned 16.16 (releases)
  uint32_t fixedY;
  int32_t requesterX;  // words 8, 9: pointer in pixels from the requester's corner (moves)
  int32_t requesterY;
};
constexpr int32_t kPanelPointerLimit = 1 << 20;
// Argument words a panel event carries at least.
constexpr int kPanelEventWords = 10;

// Reads the words; a null pointer reads as all zero.
PanelEvent ReadPanelEvent(const HostWord* args);

// Pointer on the palette in picker coordinates: dx to the right and dy down
// from the picture's centre, r the truncated distance.
struct PickerPoint {
  int32_t dx;
  int32_t dy;
  int32_t r;
};
PickerPoint PalettePoint(const PanelEvent& event);

// Share of the pointer's travel a fine drag applies: a fixed 48/255 in mouse
// pressure mode, otherwise the pressure against the sensitivity.
float PressureFactor(int32_t pressure);

// The current colour as the palette's ring and square see it. When the ring
// and the palette use different models outside the pick mode, CurrentHsv
// holds the ring's hue with the palette's saturation and value and names no
// single colour, so the colour is CurrentRgb itself.
ColourTriple ColourHeldInCurrentHsv();

// Makes n, chosen at the picker's coordinates `picker`, the current colour
// (in the pick mode it is only the target of the mix already made): sends
// the A pen, follows it with the slider coordinates (held still while a
// slider-locked hue drag turns the hue) and the scope marker, and redraws
// the swatches and the palette.
void CommitPanelColour(PluginContext* context, ColourTriple n, ColourTriple picker);
