// Tintwell colour: the colour models as the plug-in is set.
#include "colour/panel_models.h"

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
