// Tintwell colour: the colour models as the plug-in is set.
#include "colour/panel_models.h"

#include "colour/canvas_sampling.h"
#include "core/plugin_state.h"

namespace {

SampleSource BoundSampleSource() {
  const bool autosample = (GState.RingLockBits & kLockAny) || (GState.PaintModeBits & (kPaintDirt | kPaintLoad));
  SampleSource source;
  source.singleLayer = (GState.SampleSourceFlags & kSampleSingleLayer) != 0;
  source.frozen = (GState.SampleSourceFlags & kSampleFrozen) != 0;
  source.askHost = (GState.ModeFlags & (kModePick | kModeBrush)) != 0 || !autosample;
  source.buffer = &GState.SampleBuffer;
  source.fallback = GState.CurrentPixel;
  return source;
}

}  // namespace

LabWhite CurrentWhite() { return UsableWhite(GState.ReferenceWhite); }

ColourTriple PanelRgbToHsv(ColourTriple rgb) { return RgbToHsv(rgb, GState.CurrentHsv.c0); }

ColourTriple PanelRgbToCieHsv(ColourTriple rgb) { return RgbToCieHsv(rgb, CurrentWhite(), GState.CurrentHsv.c0); }

ColourTriple PanelCieHsvToRgb(ColourTriple cieHsv) { return CieHsvToRgb(cieHsv, CurrentWhite()); }

ColourTriple PanelRgbToLab(ColourTriple rgb) { return RgbToLab(rgb, CurrentWhite()); }

ColourTriple PanelLabToRgb(ColourTriple lab) { return LabToRgb(lab, CurrentWhite()); }

int32_t PanelGamutCheck(const PluginContext* context, Pixel pixel) {
  return NtscGamutCheck(context, pixel, GState.GamutMode);
}

// A grey keeps the hue the panel remembered (both conversions give it the
// current colour's).
ColourTriple RgbToPickerHsv(ColourTriple rgb) { return GState.CieHsvMode ? PanelRgbToCieHsv(rgb) : PanelRgbToHsv(rgb); }

ColourTriple PickerHsvToRgb(ColourTriple hsv) { return GState.CieHsvMode ? PanelCieHsvToRgb(hsv) : HsvToRgb(hsv); }

ColourTriple PixelToPickerHsv(const PluginContext* context, Pixel pixel) {
  return RgbToPickerHsv(PixelToRgb(context, pixel));
}

Pixel PickerHsvToPixel(const PluginContext* context, ColourTriple hsv) {
  return RgbToPixel(context, PickerHsvToRgb(hsv));
}

// L* value mode: (L*, a*, b*). Colour-scheme mode: (luma, blue difference,
// red difference). The hidden slider and the A-B gradient mode: (value x 255,
// hue, saturation) of the picker's HSV; the gradient mode reads its colour
// back from the table rather than from these.
ColourTriple RgbToSlider(ColourTriple rgb) {
  switch (GState.SliderMode) {
    case kSliderLabValue:
      return PanelRgbToLab(rgb);
    case kSliderPalette: {
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
    case kSliderLabValue:
      return PanelLabToRgb(slider);
    case kSliderPalette:
      return LumaDiffToRgb(ColourTriple{slider.c0, slider.c2, slider.c1, slider.alpha});
    case kSliderGradient: {
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

void LoadSampleBuffer(PluginContext* context) { LoadCanvasCopy(context, BoundSampleSource()); }

Pixel SamplePixel(int32_t x, int32_t y, PluginContext* context) {
  return SampleCanvasPixel(context, BoundSampleSource(), x, y);
}

int32_t SampleAlpha(int32_t x, int32_t y, PluginContext* context) {
  return SampleCanvasAlpha(context, BoundSampleSource(), x, y);
}
