// Tintwell colour: the colour models as the plug-in is set.
//
// Layer: colour/. The conversions of colour_models with their settings
// filled in from GState: Lab against the user's reference white, a grey
// keeping the hue the panel shows (CurrentHsv), the picker's HSV being CIE
// HSV or classic HSV as CieHsvMode says, and the broadcast range check in the
// chosen GamutMode. Each reads the state when called, so a gesture that
// changes CurrentHsv between two conversions sees the change.
#pragma once

#include "colour/colour_models.h"
#include "core/abi.h"
#include "core/plugin_state.h"

LabWhite CurrentWhite();
ColourTriple PanelRgbToHsv(ColourTriple rgb);
ColourTriple PanelRgbToCieHsv(ColourTriple rgb);
ColourTriple PanelCieHsvToRgb(ColourTriple cieHsv);
ColourTriple PanelRgbToLab(ColourTriple rgb);
ColourTriple PanelLabToRgb(ColourTriple lab);
int32_t PanelGamutCheck(const PluginContext* context, Pixel pixel);

ColourTriple RgbToPickerHsv(ColourTriple rgb);
ColourTriple PickerHsvToRgb(ColourTriple hsv);
ColourTriple PixelToPickerHsv(const PluginContext* context, Pixel pixel);
Pixel PickerHsvToPixel(const PluginContext* context, ColourTriple hsv);
