// Tintwell interaction: the pick mode's canvas events, autosample and the
// ring preview under the pointer.
// Interaction layer; calls host/, colour/, panel/ and the canvas modes.
//
// Canvas pointer events while the pick mode is on (argument words: x, y in
// signed 16.16, kind, pressure 0..255, flag):
//   kind 1  press or drag -> the canvas under the pointer mixes into the
//                            current colour by pressure (or the weighted pick)
//   kind 2                -> the base colour mixes in
//   -1, -2  release       -> flag set: the panel redraws; else the mode ends
// After a mix the new colour becomes the host's A pen and the derived colour
// records follow it.
#include "interact/canvas_pick.h"

#include <cmath>

#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "interact/canvas_modes.h"
#include "interact/host_messages.h"
#include "panel/panel_images.h"

namespace {

constexpr int32_t kMousePressure = 127;  // pressure of a pick in mouse pressure mode
constexpr int32_t kFullPressure = 255;

// The ring preview: a disc of radius 24.5 around the pixel (24, 24) of the
// 49 x 49 pick image, in rings by whole distance from that pixel.
constexpr int32_t kPreviewSize = 49;
constexpr int32_t kPreviewCentre = 24;
constexpr int32_t kRingSample = 7;    // 7..11 the colour under the pointer (closer stays see-through)
constexpr int32_t kRingCurrent = 12;  // 12..19 the current colour
constexpr int32_t kRingBase = 20;     // 20 and beyond the base colour

// Rows [first, end) of each column that lie inside the disc. Half the chord
// at c = (2 col - 49) / 49 is 0.5 sin(acos |c|), which is 0.5 sqrt(1 - c^2);
// the square root is correctly rounded on every build, so the rows do not
// depend on the maths library (no chord end lies within 0.005 of a whole
// row).
struct PreviewColumn {
  int32_t first;
  int32_t end;
};

PreviewColumn PreviewRows(int32_t column) {
  const float c = std::fabs((2.0f * static_cast<float>(column) - 49.0f) / 49.0f);
  const float h = 0.5f * std::sqrt(1.0f - c * c);
  return PreviewColumn{static_cast<int32_t>(24.5f - 49.0f * h), static_cast<int32_t>(49.0f * h + 24.5f)};
}

// Pressure of a canvas pick: fixed in mouse pressure mode, and a press that
// reaches the sensitivity counts as full (so it replaces the colour).
int32_t PickPressure(int32_t pressure) {
  const int32_t sensitivity = GState.PressureSensitivity;
  if (sensitivity < 1) return kMousePressure;
  return pressure >= sensitivity ? kFullPressure : pressure;
}

// The current colour changed: tell the host and bring the derived records
// along.
void CommitMixedColour(PluginContext* context) {
  SendCurrentColour(context);
  FollowColour(GState.CurrentRgb);
}

}  // namespace

void CanvasPickEvent(PluginContext* context, HostWord* args) {
  if (!args) return;
  const int32_t x = static_cast<int32_t>(args[0]);
  const int32_t y = static_cast<int32_t>(args[1]);
  const int32_t kind = static_cast<int32_t>(args[2]);
  const int32_t pressure = static_cast<int32_t>(args[3]);
  const int32_t flag = static_cast<int32_t>(args[4]);

  switch (kind) {
    case kCanvasEventPress: {
      const int32_t strength = PickPressure(pressure);
      if (GState.ModeFlags & kModeWeightedPick) {
        WeightedPick(SamplePixel(x, y, context), strength, context);
      } else {
        // Transparent canvas mixes in less.
        const int32_t alpha = SampleAlpha(x, y, context);
        const int32_t mixPressure =
            static_cast<int32_t>(static_cast<float>(alpha) / 255.0f * static_cast<float>(strength));
        MixIntoCurrent(SamplePixel(x, y, context), mixPressure, context);
      }
      CommitMixedColour(context);
      break;
    }
    case kCanvasEventBase:
      MixIntoCurrent(GState.BasePixel, pressure, context);
      CommitMixedColour(context);
      break;
    case kCanvasEventRelease:
    case kCanvasEventReleaseAlt:
      if (flag != 0) {
        BuildSwatchImage(context);
        BuildPaletteImage(context);
      } else {
        EndPickMode(context);
      }
      break;
    default:
      break;
  }
}

// "Dirt" mixes the canvas into the current colour like a dirty brush;
// otherwise the ring locks copy hue, saturation or value from the canvas
// into the pen while the panel's colour stays as it is.
void ApplySample(PluginContext* context, Pixel sample, int32_t pressure) {
  if (GState.PaintModeBits & kPaintDirt) {
    if (pressure < 1) return;
    const int32_t sensitivity = GState.PressureSensitivity;
    MixIntoCurrent(sample, pressure < sensitivity ? pressure : sensitivity, context);
    SendCurrentColour(context);
    BuildSwatchImage(context);  // the mix is the panel's colour too
    return;
  }
  // A fully transparent sample has no colour to take; the pen stays.
  if (PixelAlpha(context, sample) == 0) return;
  // With no lock nothing is taken from the sample: the pen is the panel's
  // colour, sent as the swatch shows it rather than through the picker's
  // HSV, whose round trip can land a byte beside it.
  if (!(GState.RingLockBits & kLockAny)) {
    SendCurrentColour(context);
    return;
  }
  const ColourTriple sampled = PixelToPickerHsv(context, sample);
  ColourTriple current = GState.CurrentHsv;
  if (GState.RingLockBits & kLockRing) current.c0 = sampled.c0;
  if (GState.RingLockBits & kLockHorizontal) current.c1 = sampled.c1;
  if (GState.RingLockBits & kLockVertical) current.c2 = sampled.c2;
  SetPickerHsv(current);
  // The host's pen is opaque: a partly covered sample gives its own hue,
  // saturation and value, not a colour darkened by its coverage.
  SendAPen(context, PickerHsvToPixel(context, ColourTriple{current.c0, current.c1, current.c2, 255}));
}

void CanvasPickPreview(PluginContext* context, Pixel sample) {
  if (!(GState.ModeFlags & kModePick)) {
    ApplySample(context, sample, 0);  // pressure 0: only the ring locks can act
    return;
  }
  HostImage* image = GState.PickImage;
  if (!image || !image->Pixels) return;  // the overlay is not drawn

  // Never outside the image, whatever size the host gave it.
  const int32_t columns = image->Width < kPreviewSize ? image->Width : kPreviewSize;
  const int32_t rows = image->Height < kPreviewSize ? image->Height : kPreviewSize;
  for (int32_t col = 0; col < columns; ++col) {
    const PreviewColumn span = PreviewRows(col);
    const int32_t end = span.end < rows ? span.end : rows;
    for (int32_t row = span.first < 0 ? 0 : span.first; row < end; ++row) {
      const int32_t dx = col - kPreviewCentre;
      const int32_t dy = row - kPreviewCentre;
      const int32_t d = static_cast<int32_t>(std::sqrt(static_cast<float>(dx * dx + dy * dy)));
      if (d < kRingSample) continue;
      const Pixel colour = d < kRingCurrent ? sample : (d < kRingBase ? GState.CurrentPixel : GState.BasePixel);
      image->Pixels[static_cast<size_t>(col) + static_cast<size_t>(image->Width) * static_cast<size_t>(row)] = colour;
    }
  }
  HostOverlayRedraw(context);
}
