// Tintwell panel: the main panel's gadgets, their rectangles, the named areas
// of its two pictures, and the test that classifies a palette pixel.
//
// Layer: panel/, a leaf: it includes nothing of the panel. The ids and
// geometry below are shared with the event handling and the hover help,
// which classify pointer positions with them; the names are stable.
#pragma once

#include <cstdint>

// ---- gadgets of the main panel ----
constexpr int32_t kSwatchGadget = 100;   // image: swatch band and value slider
constexpr int32_t kPaletteGadget = 110;  // image: hue ring and SATVAL square
constexpr int32_t kLampButton = 150;     // image: paint-mode lamp
constexpr int32_t kDirtButton = 151;     // toggle "Dirt"
constexpr int32_t kLoadButton = 152;     // toggle "Load"
constexpr int32_t kRotButton = 153;      // toggle "Rot"

// The panel is one column of this width; sections stack downward.
constexpr int32_t kPanelWidth = 185;
constexpr int32_t kPanelBaseHeight = 48;     // swatch band alone
constexpr int32_t kSliderSectionHeight = 32;  // added by the value slider
constexpr int32_t kPaletteSectionHeight = 185;
constexpr int32_t kFxBrushSectionHeight = 24;

// Gadget rectangles in requester pixels. `H` is the running panel height
// while the sections are laid out: the swatch gadget is H - 4 tall, the
// palette and the lamp start at H - 2, the toggles at H + 2.
constexpr int32_t kSwatchGadgetX = 1;
constexpr int32_t kSwatchGadgetY = 2;
constexpr int32_t kSwatchGadgetWidth = 182;
constexpr int32_t kPaletteGadgetX = 1;
constexpr int32_t kPaletteGadgetWidth = 182;
constexpr int32_t kPaletteGadgetHeight = 185;
constexpr int32_t kLampButtonX = 2;
constexpr int32_t kLampButtonSize = 21;  // width and height
constexpr int32_t kDirtButtonX = 52;
constexpr int32_t kLoadButtonX = 107;
constexpr int32_t kRotButtonX = 162;
constexpr int32_t kToggleButtonWidth = 20;
constexpr int32_t kToggleButtonHeight = 17;

// ---- the swatch picture (gadget 100), image pixels ----
constexpr int32_t kSwatchImageWidth = 180;
constexpr int32_t kSwatchBandHeight = 42;    // rows 0..41: the swatches
constexpr int32_t kSliderImageHeight = 74;   // with the value slider, rows 42..73
constexpr int32_t kSwatchSplitX = 90;        // B and base swatches left of it, current colour from it
constexpr int32_t kBSwatchLastRow = 20;      // B pen rows 0..20, base colour rows 21..41
constexpr int32_t kSliderFirstRow = 42;
constexpr int32_t kSliderLastRow = 73;
constexpr int32_t kCanvasModeFrame = 3;      // width of the checkered frame shown in a canvas mode
constexpr int32_t kCanvasModeFrameFar = 2;   // ... on its right and bottom edges (columns 178, 179; rows 40, 41)

// ---- the palette picture (gadget 110), image pixels ----
// For a pixel (x, y): dx = kPaletteCentre - x (grows to the left),
// dy = kPaletteCentre - y (grows upward), r = sqrt(dx² + dy²) truncated.
constexpr int32_t kPaletteImageSize = 180;     // width and height
constexpr int32_t kPalettePixelCount = kPaletteImageSize * kPaletteImageSize;
constexpr int32_t kPaletteCentre = 90;
constexpr int32_t kHueRingInner = 64;          // HueRing: kHueRingInner <= r <= kHueRingOuter
constexpr int32_t kHueRingOuter = 87;
constexpr int32_t kCornerMinRadius = 88;       // corner icons: r >= 88
constexpr int32_t kHueMarkerRadius = 76;       // hue marker centre on the ring
constexpr int32_t kRingLockDotInner = 78;      // dotted circle of the ring lock
constexpr int32_t kRingLockDotOuter = 81;
constexpr int32_t kRingInnerBandOuter = 81;    // HueRingMode 0x1: current sat/value up to here
constexpr int32_t kRingEdgeInner = 86;         // ... and again from here outward
constexpr int32_t kBarLockInner = 61;          // dotted edge of a locked bar: r >= 61
// SatValSquare: |dx| <= kSquareHalf and |dy| <= kSquareHalf (85 x 85 pixels).
constexpr int32_t kSquareHalf = 42;
constexpr int32_t kSquareSpan = 84;            // S and V run over this many pixels
constexpr int32_t kSquareLeft = 48;            // S = 0 column, V = 1 row
constexpr int32_t kSquareRight = 132;          // S = 1 column, V = 0 row
constexpr int32_t kSquareMarkerMin = 42;       // marker centre bounds; outside: the corner sign
constexpr int32_t kSquareMarkerMax = 132;
// SaturationZone: r < kHueRingInner, outside the square, |dx| >= kBarMin.
// ValueZone:      r < kHueRingInner, outside the square, |dy| >= kBarMin.
constexpr int32_t kBarMin = 43;

// Corner icons (r >= 88), in image pixels.
constexpr int32_t kSwapIconLeft = 10, kSwapIconTop = 6, kSwapIconRight = 24, kSwapIconBottom = 20;
constexpr int32_t kLampIconLeft = 157, kLampIconTop = 9, kLampIconRight = 174, kLampIconBottom = 27;
// The paint-mode sign drawn over the lamp icon: a 5 x 5 figure centred here.
constexpr int32_t kPaintSignCentreX = 164;
constexpr int32_t kPaintSignCentreY = 14;

// The four OptionBoxes: 6 x 6 interiors at these top-left corners; the
// background draws an 8 x 8 frame around each.
constexpr int32_t kOptionBoxSize = 6;
constexpr int32_t kOptionLeftX = 5;     // left boxes: x 5..10
constexpr int32_t kOptionRightX = 169;  // right boxes: x 169..174
constexpr int32_t kOptionUpperY = 160;  // upper boxes: y 160..165
constexpr int32_t kOptionLowerY = 170;  // lower boxes: y 170..175
// Which option each box shows.
constexpr int32_t kHueRingBoxX = kOptionLeftX, kHueRingBoxY = kOptionUpperY;            // HueRingMode
constexpr int32_t kFloodBoxX = kOptionLeftX, kFloodBoxY = kOptionLowerY;                // FloodBackground
constexpr int32_t kSampleSourceBoxX = kOptionRightX, kSampleSourceBoxY = kOptionUpperY;  // SampleSourceFlags
constexpr int32_t kCieBoxX = kOptionRightX, kCieBoxY = kOptionLowerY;                   // CieHsvMode

// Presses are taken a little more generously than the picture draws: the
// square accepts |dx|, |dy| <= 44 (clamped to 0..1 afterwards), the bars run
// out to r <= 88, corners start at r >= 89; in the lower corners the lower
// option row starts at dy >= 77.
constexpr int32_t kSquarePressHalf = 44;
constexpr int32_t kBarPressMaxRadius = 88;
constexpr int32_t kCornerPressMinRadius = 89;
constexpr int32_t kLowerOptionMinDy = 77;

// Named areas of the palette picture as drawn; PaletteAreaAt classifies a pixel.
enum class PaletteArea : int32_t {
  kHueRing,         // 64 <= r <= 87
  kSatValSquare,    // |dx| <= 42 and |dy| <= 42
  kSaturationZone,  // r < 64, outside the square, |dx| >= 43 (left and right of it)
  kValueZone,       // r < 64, outside the square, |dy| >= 43 (above and below it)
  kCornerTopLeft,   // r >= 88: A/B swap icon
  kCornerTopRight,  // lamp (paint mode) icon
  kCornerBottomLeft,   // hue-ring and background options
  kCornerBottomRight,  // single-layer and CIE options
};
// Integer distance from the picture's centre, truncated, as every area uses.
int32_t PaletteRadius(int32_t x, int32_t y);
// The area of image pixel (x, y), 0 <= x, y < 180. Where |dx| and |dy| are
// both >= 43 inside r < 64 the saturation zone wins (both conditions hold).
PaletteArea PaletteAreaAt(int32_t x, int32_t y);
