// Tintwell panel: the palette picture's area test.
//
// Layer: panel/ (leaf).
#include "panel/panel_geometry.h"

#include <cstdlib>

int32_t PaletteRadius(int32_t x, int32_t y) {
  const int32_t dx = kPaletteCentre - x;
  const int32_t dy = kPaletteCentre - y;
  const int32_t squared = dx * dx + dy * dy;
  int32_t r = 0;
  while ((r + 1) * (r + 1) <= squared) ++r;
  return r;
}

PaletteArea PaletteAreaAt(int32_t x, int32_t y) {
  const int32_t dx = kPaletteCentre - x;
  const int32_t dy = kPaletteCentre - y;
  const int32_t r = PaletteRadius(x, y);
  if (r >= kHueRingInner && r <= kHueRingOuter) return PaletteArea::kHueRing;
  if (r >= kCornerMinRadius) {
    if (dy > 0) return dx > 0 ? PaletteArea::kCornerTopLeft : PaletteArea::kCornerTopRight;
    return dx > 0 ? PaletteArea::kCornerBottomLeft : PaletteArea::kCornerBottomRight;
  }
  if (std::abs(dx) <= kSquareHalf && std::abs(dy) <= kSquareHalf) return PaletteArea::kSatValSquare;
  return std::abs(dx) >= kBarMin ? PaletteArea::kSaturationZone : PaletteArea::kValueZone;
}
