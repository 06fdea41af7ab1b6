// Tintwell plug-in frame: the one global state record.
//
// GState lives for as long as the library is loaded. It is touched only from
// the host's user-interface thread, one call at a time, but a host call may
// re-enter the plug-in (HostApplyFilter runs PI_Work, HostCloseRequester
// delivers the closing event), so state must be consistent before every host
// call. Everything reaches it as GState.Field.
#pragma once

#include <array>
#include <cstdint>

#include "core/abi.h"
#include "core/colour_triple.h"

// ModeFlags bits.
constexpr int32_t kModeWeightedArmed = 0x1;   // weighted pick armed by a press on the current swatch
constexpr int32_t kModePick = 0x2;            // canvas pick mode on
constexpr int32_t kModeKeepBase = 0x4;        // start the pick mode without resetting the base colour
constexpr int32_t kModePickPenDown = 0x8;     // the pick window saw the pen down
constexpr int32_t kModeWeightedPick = 0x200;  // the pick is a weighted colour pick
constexpr int32_t kModeSkippedDrag = 0x400;   // the last full-pressure drag event was skipped
constexpr int32_t kModeBrush = 0x800;         // canvas brush mode on

// PaintModeBits bits.
constexpr int32_t kPaintLampOn = 0x01;       // lamp button: paint mode on
constexpr int32_t kPaintLampAlt = 0x02;      // lamp button: second state
constexpr int32_t kPaintDirt = 0x04;         // FX-brush "Dirt"
constexpr int32_t kPaintLoad = 0x08;         // FX-brush "Load"
constexpr int32_t kPaintRot = 0x10;          // FX-brush "Rot"
constexpr int32_t kPaintCieDarken = 0x20;    // filter pass darkens
constexpr int32_t kPaintCieLighten = 0x40;   // filter pass lightens
constexpr int32_t kPaintSizeLock = 0x80;     // brush size lock
constexpr int32_t kPaintAutoTrim = 0x100;    // auto trim

// RingLockBits bits.
constexpr int32_t kLockRing = 0x1;
constexpr int32_t kLockHorizontal = 0x2;
constexpr int32_t kLockVertical = 0x4;
constexpr int32_t kLockAny = kLockRing | kLockHorizontal | kLockVertical;

// SampleSourceFlags bits: where canvas samples come from.
constexpr int32_t kSampleSingleLayer = 0x1;  // the current layer only, not the whole picture
constexpr int32_t kSampleFrozen = 0x2;       // the sample buffer is never refreshed while set

// HueRingMode bits.
constexpr int32_t kRingShowsCurrent = 0x1;  // inner part and outer edge show the current saturation and value
constexpr int32_t kRingCie = 0x2;           // the ring is drawn in CIE hue/chroma/lightness

// CanvasSubMode values: what the brush mode does.
constexpr int32_t kBrushSubModeNone = 0;       // first event after "S" still to come
constexpr int32_t kBrushSubModeIdle = 1;       // control shown, waiting for a press
constexpr int32_t kBrushSubModeHueTurn = 2;    // hue turn started inside the disc
constexpr int32_t kBrushSubModeCanvas = 4;     // taking the canvas colour
constexpr int32_t kBrushSubModeSize = 8;       // brush size drag
constexpr int32_t kBrushSubModeResize = 16;    // started by "R", waiting for the press
constexpr int32_t kBrushSubModeHueRing = 32;   // hue turn started on the outer ring

// SliderMode values.
constexpr int32_t kSliderHidden = 0;
constexpr int32_t kSliderLabValue = 1;    // CIE L* value, 0..100
constexpr int32_t kSliderPalette = 2;     // colour-scheme strip
constexpr int32_t kSliderGradient = 3;    // the host's A-B gradient

// VectorscopeMode values.
constexpr int32_t kScopeOff = 0;
constexpr int32_t kScopeWaveform = 1;
constexpr int32_t kScopeVector = 2;

// GamutMode values: NTSC gamut warning.
constexpr int32_t kGamutOff = 0;
constexpr int32_t kGamutWide = 1;     // the (0-100) range
constexpr int32_t kGamutNarrow = 2;   // the (10-90) range

// LightMode values: what the lamp button drives.
constexpr int32_t kLightNative = 0;     // the host's own lighten/darken draw modes
constexpr int32_t kLightCie = 1;        // the CIE lighten/darken filter
constexpr int32_t kLightAdditive = 2;   // additive/colorize

// DragTarget bits.
constexpr int32_t kDragHueRing = 0x10;         // the hue ring
constexpr int32_t kDragSquare = 0x20;          // the SATVAL square
constexpr int32_t kDragSlider = 0x40;          // the value slider is being dragged
constexpr int32_t kDragSaturationBars = 0x80;  // the saturation bars left and right of the square
constexpr int32_t kDragValueBars = 0x100;      // the value bars above and below it

// LastReleaseKind values.
constexpr int32_t kReleasePicker = 0;     // the last release ended a square or bar drag
constexpr int32_t kReleaseHueRing = 1;    // ... a hue ring drag
constexpr int32_t kReleaseRefreshed = 2;  // the colour has been taken from the host since: the
                                          // ring colour is derived afresh

// DragTarget bit of the swatch band: mixing from the B or base swatch (OR-ed in).
constexpr int32_t kDragSwatchMix = 0x1;

// Editing state of the colour-scheme slider (the palette slider mode).
struct ColourSchemePoint {
  uint8_t used;    // non-zero when the point is part of the scheme
  float position;  // 0..1 along the slider
  int32_t index;   // 0..7, fixed at initialisation
  Pixel colour;
};

struct ColourSchemeState {
  int32_t slot;           // scheme being edited; 0 at load
  int32_t dragStartSlot;  // slot when a slot-switching drag began
  int32_t state;          // editing state 0..8; 0 idle
  float pressPos;         // pointer position at the last press, 0..1
  float pointerPos;       // pointer position along the slider, 0..1, set by the panel
  int32_t pressTime;      // millisecond clock at the last press
  int32_t releaseTime;    // pressTime of the press the last release ended
  int32_t selected;       // index into sorted of the point at or left of the pointer; -1 none
  float gapLeft;          // see the slider's drag handling
  float gapRight;
  std::array<ColourSchemePoint, 8> points;
  std::array<ColourSchemePoint*, 8> sorted;  // used points by ascending position
  int32_t count;                             // used points in sorted, 1..8
  uint8_t needsSort;                         // sorted must be rebuilt before drawing
  uint8_t modified;                          // differs from the slot file
  Pixel spareColour;                         // colour remembered to undo a click
  uint8_t fromOtherSlot;     // the points on show were not read from `slot` (its load failed or
                             // found nothing) and are unedited since: never saved over it
  uint8_t saveFailureShown;  // a failed save was told and no save has succeeded since
};

struct PluginState {
  Pixel BasePixel;     // colour last taken from the host's A pen
  Pixel CurrentPixel;  // the colour being edited
  Pixel LastAPen;      // A and B pens last sent to the host
  Pixel LastBPen;
  float ReferenceWhite[3] = {100.0f, 100.0f, 100.0f};  // Lab white X, Y, Z
  int32_t ModeFlags;                                   // kMode* bits
  int32_t CanvasSubMode;     // kBrushSubMode*: what the brush mode does
  HostImage* SampleBuffer;   // canvas copy for sampling, or null
  int32_t VectorscopeX;      // place of the vectorscope requester
  int32_t VectorscopeY;
  int32_t PressureSensitivity;  // 64..255, or <= 0 for mouse pressure mode
  int32_t ShowPalette;          // palette section shown (non-zero)
  int32_t ShowFxBrush;          // FX-brush section shown
  int32_t PaintModeBits;        // kPaint* bits
  int32_t AggressiveAutosample;
  int32_t SliderMode;    // kSlider*
  int32_t LumaLock;      // slider lock
  int32_t CieHsvMode;    // picker HSV from CIE LCh
  int32_t FloodBackground;
  int32_t HueRingMode;   // 0x1 ring shows current sat/value, 0x2 CIE ring with value compensation
  int32_t XyzMixMode;    // mixing in XYZ
  int32_t GamutMode;     // kGamut*: NTSC gamut warning
  int32_t VectorscopeMode;  // kScope*: scope window and its display
  int32_t PopHelp;          // quick help on
  int32_t SampleSourceFlags;  // bit 1 single layer, bit 2 frozen buffer
  int32_t RingLockBits;       // kLock* bits
  int32_t LightMode;          // kLight*: what the lamp button drives
  int32_t AutoTrimPending;
  ColourSchemeState ColourScheme;
  int32_t Room;  // 1..4, 0 until the host names a room
  RequesterHandle PanelRequester;
  RequesterHandle PickRequester;
  RequesterHandle BrushRequester;
  RequesterHandle VectorscopeRequester;
  RequesterHandle LabDialogRequester;
  HostWord LocalisationHandle;  // open localisation file, or 0
  HostImage* PickImage;         // overlay image of the pick window
  int32_t PickPointer[2];       // 16.16 fixed point
  HostImage* BrushImage;        // overlay image of the brush window
  int32_t BrushPointer[2];      // 16.16 fixed point
  int32_t BrushAnchor[2];       // 16.16 fixed point
  float BrushRadiusOffset;
  float BrushRadiusBase;
  int32_t BrushFirstDraw;
  int32_t BrushSizeLock;       // zoom percentage; 100 after "K", -1 after "k"
  float BrushSizeLockSize;     // 0.0 after "K", -1.0 after "k"

  // Colour records kept in step by the colour routines.
  ColourTriple CurrentRgb;    // current colour, RGB 0..255 with alpha
  ColourTriple CurrentHsv;    // picker HSV of the current colour; greys inherit its hue
  ColourTriple HueRingHsv;    // picker HSV the hue ring is drawn from
  ColourTriple SliderCoords;  // current colour in value-slider coordinates
  std::array<Pixel, 256> GradientTable;  // the host's A-B range, entry 0 = position 255
  int32_t GradientStale;  // non-zero when a pen went out after GradientTable was last read

  int32_t DragTarget;       // what the panel drag moves; kDragSlider while the slider is dragged
  int32_t LastReleaseKind;  // kind of the last panel release
  int32_t DragAnchor[2];    // previous pointer of a relative drag: picker coordinates, or slider pixels
  int32_t PickerAreaSize[2];  // width, height of the palette picture as last built
  ColourTriple LastReleaseRgb;  // CurrentRgb at the end of the last palette colour drag: the ring
                                // colour of that gesture is kept for the next one only while this holds
  int32_t HueRingCie;           // non-zero when HueRingHsv holds CIE hue/chroma/lightness, else plain HSV

  // Pictures the panel's image gadgets show; each is freed once its
  // successor is shown or its gadget is gone (one live image per gadget).
  HostImage* SwatchImage;   // gadget 100, or null
  HostImage* PaletteImage;  // gadget 110, or null
  HostImage* LampImage;     // gadget 150, or null

  // Draw-mode following (tool and draw-mode detection).
  int32_t AutoLightenDarken;  // the draw mode follows colour changes
  float StoredValue;          // value recorded before a colour change

  int32_t SmartFillPoint[2];  // canvas point of a pending Smart Fill

  // FX-brush section.
  int32_t WatchLastPosition[2];  // canvas x, y (whole pixels) of the previous watch event
  int32_t WatchLastScreen[2];    // previous screen-space position
  float ZoomScreenDistance;      // screen-space stroke length of the zoom measurement
  float ZoomCanvasDistance;      // canvas-space stroke length alongside
  float LoadLevel = 100.0f;      // current "Load" level, 0..100
  float BrushHueOffset;          // hue offset of a brush-mode hue turn, in turns

  // Scope window.
  HostImage* VectorscopeImage;  // picture the scope gadget shows, or null; freed when replaced or closed
};

extern PluginState GState;

// Puts GState back to its load-time values (used at load and by tests).
void ResetPluginState();
