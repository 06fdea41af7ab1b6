// Tintwell core: the plug-in's built-in pictures, carried in its own data.
//
// Layer: core/ (pure data; every layer may use it). The bytes are generated
// by tools/gen_artwork.py into artwork_data.cpp; the test command checks that
// regenerating gives the same file.
//
// Two formats:
//   LampIcon     20 x 20, palette-indexed, for the paint-mode button.
//   PackedImage  180 x 180 pixels packed with PackBits on 4-byte pixels
//                (UnpackImage in core/packed_image.h, or the host's
//                HostUnpackImage). Each pixel's four bytes are in the host's
//                own pixel order and are copied without reordering; read as
//                blue, green, red, alpha they give the picture, colours
//                premultiplied by alpha.
#pragma once

#include <cstdint>

// A 20 x 20 icon: alpha plane (0 or 255), palette of 256 RGB entries, index
// plane; pixel k = y * 20 + x. Colours are straight (icons are opaque where
// they show).
constexpr int32_t kLampIconSide = 20;
constexpr int32_t kLampIconPixels = kLampIconSide * kLampIconSide;
struct LampIcon {
  uint8_t Alpha[kLampIconPixels];
  uint8_t Palette[256 * 3];  // red, green, blue per entry
  uint8_t Index[kLampIconPixels];
};
static_assert(sizeof(LampIcon) == 1568, "lamp icon layout");

// The icons in stored order; ShowLamp picks one by lamp type.
constexpr int32_t kLampIconCount = 5;
constexpr int32_t kLampIconDark = 0;    // black glass, grey round bezel: switched off
constexpr int32_t kLampIconGreen = 1;
constexpr int32_t kLampIconOrange = 2;
constexpr int32_t kLampIconRed = 3;
constexpr int32_t kLampIconLime = 4;
extern const LampIcon kLampIcons[kLampIconCount];

// A packed 180 x 180 picture: Size bytes at Data.
constexpr int32_t kPackedImageSide = 180;
constexpr int32_t kPackedImagePixels = kPackedImageSide * kPackedImageSide;  // 32400
struct PackedImage {
  const uint8_t* Data;
  int32_t Size;  // bytes of the packed stream
};

// Background of the palette picture: transparent except its four corner
// decorations (A/B swap icon, light bulb, option frames with their signs).
extern const PackedImage kPaletteBackground;
// Opaque black with a grey vectorscope graticule: outer circle with ticks,
// centre cross, target boxes R, Mg, B, Cy, G, Yl at the places the scope
// puts the full primaries and secondaries, I and Q axes.
extern const PackedImage kVectorscopeGraticule;
// Opaque black with a grey frame and a luma scale -20..120 in steps of 20
// (row 140 - level), dashed at 100 and solid at 0.
extern const PackedImage kWaveformGraticule;
