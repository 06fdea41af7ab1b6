// Tintwell colour: mixing picks into the current colour, the weighted
// picker, the value slider's coordinate spaces and the A-B gradient table.
//
// Layer: colour/. CurrentRgb and CurrentPixel always change together here;
// telling the host about the new colour is the caller's job.
#include "colour/colour_mixing.h"

#include <cstring>

#include "colour/panel_models.h"
#include "core/text_numbers.h"

#include "colour/colour_maths.h"
#include "colour/colour_models.h"
#include "host/host_calls.h"
#include "host/host_commands.h"

namespace {

// How far one pick moves the current colour toward the picked one (0..1):
// grows with pen pressure like paint on a palette, fixed in mouse pressure
// mode, and a press harder than the sensitivity replaces the colour.
float MixStrength(int32_t pressure) {
  const int32_t sensitivity = GState.PressureSensitivity;
  if (sensitivity < 1) return 0.03f * ColourPow(127.0f, 1.1f) / 255.0f;
  if (pressure > sensitivity) return 1.0f;
  // A negative pressure has no meaning; it mixes nothing rather than NaN.
  const float p = pressure > 0 ? static_cast<float>(pressure) : 0.0f;
  return 0.03f * ColourPow(p, 1.1f) / static_cast<float>(sensitivity);
}

// One channel moved toward the picked value. Close to it the float step
// rounds away to nothing and the mix would stop a few ulps short: from
// below that truncates to one under the picked byte for ever, so a step
// that no longer moves the channel lands on the picked value, the limit
// the mix tends to.
float MixChannel(float current, float picked, float s) {
  const float mixed = current + (picked - current) * s;
  return (mixed == current && s > 0.0f) ? picked : mixed;
}

// The usual reply, four numbers of one to three digits with single spaces
// between them, read without the general scanner (it gives the same values
// for such a reply); false for anything else.
bool ReadFourShortNumbers(const char* reply, int32_t* values) {
  const char* at = reply;
  for (int k = 0; k < 4; ++k) {
    if (k > 0 && *at++ != ' ') return false;
    int32_t value = 0;
    int digits = 0;
    while (IsDigit(*at) && digits < 4) {
      value = value * 10 + (*at++ - '0');
      ++digits;
    }
    if (digits == 0 || digits > 3) return false;
    values[k] = value;
  }
  return true;
}

}  // namespace

void MixIntoCurrent(Pixel colour, int32_t pressure, PluginContext* context) {
  const float s = MixStrength(pressure);
  const int32_t alpha = GState.CurrentRgb.alpha;  // the pick's alpha is not mixed in
  if (s == 1.0f) {
    // A full-strength pick replaces the colour outright: taken as it is, not
    // through a mix whose float round trip could truncate a channel to one
    // below the picked byte. RGB mode takes the stored bytes, XYZ mode the
    // colour they stand for.
    ColourTriple picked = GState.XyzMixMode
                              ? PixelToRgb(context, colour)
                              : ColourTriple{static_cast<float>(PixelRed(context, colour)),
                                             static_cast<float>(PixelGreen(context, colour)),
                                             static_cast<float>(PixelBlue(context, colour)), alpha};
    picked.alpha = alpha;
    GState.CurrentRgb = picked;
    GState.CurrentPixel = RgbToPixel(context, picked);
    return;
  }
  if (GState.XyzMixMode) {
    const ColourTriple from = RgbToXyz(GState.CurrentRgb);
    const ColourTriple to = PixelToXyz(context, colour);
    const ColourTriple mixed{from.c0 + (to.c0 - from.c0) * s, from.c1 + (to.c1 - from.c1) * s,
                             from.c2 + (to.c2 - from.c2) * s, alpha};
    GState.CurrentPixel = XyzToPixel(context, mixed);
    GState.CurrentRgb = XyzToRgb(mixed);
    GState.CurrentRgb.alpha = alpha;
    return;
  }
  // RGB mode mixes the stored (premultiplied) bytes as they are.
  const float r = PixelRed(context, colour);
  const float g = PixelGreen(context, colour);
  const float b = PixelBlue(context, colour);
  ColourTriple& current = GState.CurrentRgb;
  current.c0 = MixChannel(current.c0, r, s);
  current.c1 = MixChannel(current.c1, g, s);
  current.c2 = MixChannel(current.c2, b, s);
  GState.CurrentPixel = RgbToPixel(context, current);
}

// Blends the chromaticities of sample and current colour weighted by their
// luminances, adds the luminances, and mixes the result in.
void WeightedPick(Pixel sample, int32_t pressure, PluginContext* context) {
  const ColourTriple picked = XyzToYxy(PixelToXyz(context, sample));
  const ColourTriple current = XyzToYxy(RgbToXyz(GState.CurrentRgb));
  // A black or transparent sample adds nothing (and would divide by zero
  // below when the current colour is black too).
  if (picked.c0 == 0.0f) return;
  const float luminance = picked.c0 + current.c0;
  const float pickedWeight = picked.c0 / luminance;
  const float currentWeight = current.c0 / luminance;
  const float x = picked.c1 * pickedWeight + current.c1 * currentWeight;
  const float y = picked.c2 * pickedWeight + current.c2 * currentWeight;
  ColourTriple rgb = XyzToRgb(YxyToXyz(ColourTriple{luminance, x, y, 0}));
  rgb.alpha = GState.CurrentRgb.alpha;
  MixIntoCurrent(RgbToPixel(context, rgb), pressure, context);
}

// Slider coordinates: c0 is always the quantity the slider moves.
ColourTriple RgbToSlider(ColourTriple rgb) {
  switch (GState.SliderMode) {
    case 1:
      return PanelRgbToLab(rgb);
    case 2: {
      const ColourTriple luma = RgbToLumaDiff(rgb);
      return ColourTriple{luma.c0, luma.c2, luma.c1, rgb.alpha};
    }
    default: {
      const ColourTriple hsv = RgbToPickerHsv(rgb);
      return ColourTriple{hsv.c2 * 255.0f, hsv.c0, hsv.c1, rgb.alpha};
    }
  }
}

ColourTriple SliderToRgb(const PluginContext* context, ColourTriple slider) {
  switch (GState.SliderMode) {
    case 1:
      return PanelLabToRgb(slider);
    case 2:
      return LumaDiffToRgb(ColourTriple{slider.c0, slider.c2, slider.c1, slider.alpha});
    case 3: {
      // Position along the host's A-B range; NaN counts as the start.
      float position = slider.c0;
      if (!(position > 0.0f)) position = 0.0f;
      if (position > 255.0f) position = 255.0f;
      return PixelToRgb(context, GState.GradientTable[static_cast<int32_t>(position)]);
    }
    default:
      return PickerHsvToRgb(ColourTriple{slider.c1, slider.c2, slider.c0 / 255.0f, slider.alpha});
  }
}

ColourTriple PixelToSlider(const PluginContext* context, Pixel pixel) {
  return RgbToSlider(PixelToRgb(context, pixel));
}

Pixel SliderToPixel(const PluginContext* context, ColourTriple slider) {
  return RgbToPixel(context, SliderToRgb(context, slider));
}

// Reads the host's A-B colour range, position 255 first, so entry k holds
// position 255 - k. Entries are built at the context's channel positions,
// which is the same word as the fixed blue-green-red-alpha order on the
// host's usual layout and the right colour on any other.
// The table is reloaded after every A pen change, 256 commands a drag event,
// so the command text is written in place rather than through printf.
void LoadGradientTable(PluginContext* context) {
  static constexpr char kGrab[] = "tv_RangeGrab ";
  char command[sizeof kGrab + 3];
  std::memcpy(command, kGrab, sizeof kGrab - 1);
  char* const digits = command + sizeof kGrab - 1;
  for (int32_t position = 255; position >= 0; --position) {
    char reply[kReplySize];
    char* end = digits;  // "%d" of 0..255
    if (position >= 100) *end++ = static_cast<char>('0' + position / 100);
    if (position >= 10) *end++ = static_cast<char>('0' + position / 10 % 10);
    *end++ = static_cast<char>('0' + position % 10);
    *end = '\0';
    AskHost(context, command, reply);
    int32_t values[4];
    if (!ReadFourShortNumbers(reply, values)) ScanReplyIntegers(reply, values, 4);  // missing numbers read as 0
    GState.GradientTable[static_cast<size_t>(255 - position)] =
        MakePixel(context, ClampToByte(values[0]), ClampToByte(values[1]), ClampToByte(values[2]), ClampToByte(values[3]));
  }
  GState.GradientStale = 0;  // the table is the host's range between the pens again
}
