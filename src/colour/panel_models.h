// Tintwell colour: the colour models as the plug-in is set.
//
// Layer: colour/, the binding layer. The conversions of colour_models with
// their settings filled in from GState: Lab against the user's reference
// white, a grey keeping the hue the panel shows (CurrentHsv), the picker's
// HSV being CIE HSV or classic HSV as CieHsvMode says, the broadcast range
// check in the chosen GamutMode, and the value slider's coordinates in the
// chosen SliderMode (the A-B gradient mode reading GradientTable), and the
// canvas samples from where SampleSourceFlags and the modes say. Each reads
// the state when called, so a gesture that changes CurrentHsv between two
// conversions sees the change. Apart from the current colour's owner this is
// the only part of colour/ that reads GState.
#pragma once

#include "colour/colour_models.h"
#include "core/abi.h"
#include "core/colour_triple.h"

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

// Value-slider coordinates: c0 is always the quantity the slider moves (L*
// 0..100 in the L* value mode, otherwise 0..255), c1 and c2 hold the rest of
// the colour.
ColourTriple RgbToSlider(ColourTriple rgb);
ColourTriple SliderToRgb(const PluginContext* context, ColourTriple slider);
ColourTriple PixelToSlider(const PluginContext* context, Pixel pixel);
Pixel SliderToPixel(const PluginContext* context, ColourTriple slider);

// Canvas samples as the options say: single layer or the picture, the copy
// frozen or not, the host asked pixel by pixel in the pick and brush modes and
// whenever autosample (a ring lock, Dirt, Load) is off, else SampleBuffer
// read; the current colour where there is nothing to read.
//
// (Re)reads the canvas into SampleBuffer.
void LoadSampleBuffer(PluginContext* context);
// The canvas pixel, or its alpha, at a 16.16 canvas position.
Pixel SamplePixel(int32_t x, int32_t y, PluginContext* context);
int32_t SampleAlpha(int32_t x, int32_t y, PluginContext* context);
