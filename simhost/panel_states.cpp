// Test support: named states of the main panel.
#include "panel_states.h"

#include "colour/colour_mixing.h"
#include "core/plugin_state.h"
#include "panel/lamp_picture.h"
#include "panel/panel_layout.h"
#include "panel/panel_images.h"

namespace {

using simhost::Rgba;
using simhost::SimHost;

void Sections(int32_t palette, int32_t slider, int32_t fxBrush) {
  GState.ShowPalette = palette;
  GState.SliderMode = slider;
  GState.ShowFxBrush = fxBrush;
}

// A four-colour scheme on the palette slider, editing its second fifth.
void FourColourScheme(SimHost& host) {
  const Rgba colours[4] = {{230, 60, 40, 255}, {250, 200, 60, 255}, {60, 170, 90, 255}, {40, 70, 180, 255}};
  const float positions[4] = {0.0f, 0.3f, 0.55f, 0.8f};
  ColourSchemeState& scheme = GState.ColourScheme;
  for (int32_t k = 0; k < 8; ++k) {
    ColourSchemePoint& point = scheme.points[k];
    point.index = k;
    point.used = k < 4;
    point.position = k < 4 ? positions[k] : 0.0f;
    point.colour = k < 4 ? host.ToPixel(colours[k]) : 0;
  }
  scheme.slot = 1;
  scheme.needsSort = 1;
  scheme.modified = 0;
}

const std::vector<PanelState> kStates = {
    {"swatches", "swatch band alone: B pen, base and current colour",
     [](SimHost&) { Sections(0, 0, 0); }},
    {"slider-lab", "swatch band with the L* value slider and its marker",
     [](SimHost&) { Sections(0, kSliderLabValue, 0); }},
    {"slider-lab-locked-gamut", "L* slider with the slider lock (sparser marker) and the gamut warning",
     [](SimHost&) {
       Sections(0, kSliderLabValue, 0);
       GState.LumaLock = 1;
       GState.GamutMode = kGamutWide;
     }},
    {"slider-scheme", "palette slider: four colour-scheme stops, second fifth marked",
     [](SimHost& host) {
       Sections(0, kSliderPalette, 0);
       FourColourScheme(host);
     }},
    {"slider-gradient", "the host's A-B gradient on the slider",
     [](SimHost&) { Sections(0, kSliderGradient, 0); }},
    {"palette-hsv", "plain HSV ring and square, flood background",
     [](SimHost&) {
       Sections(1, 0, 0);
       GState.CieHsvMode = 0;
       GState.HueRingMode = 0;
     }},
    {"palette-hsv-ring-current", "HSV ring showing the current saturation and value inside and at its edge",
     [](SimHost&) {
       Sections(1, 0, 0);
       GState.CieHsvMode = 0;
       GState.HueRingMode = kRingShowsCurrent;
     }},
    {"palette-cie", "CIE square, CIE ring with the current colour bands, clipping dots",
     [](SimHost&) {
       Sections(1, 0, 0);
       GState.HueRingMode = kRingShowsCurrent | kRingCie;
     }},
    {"palette-cie-gamut", "CIE ring and square with the (0-100) gamut warning hatching",
     [](SimHost&) {
       Sections(1, 0, 0);
       GState.HueRingMode = kRingCie;
       GState.GamutMode = kGamutWide;
       GState.FloodBackground = 0;
     }},
    {"palette-locks-options", "ring and bar locks (dotted), every option box on",
     [](SimHost&) {
       Sections(1, 0, 0);
       GState.RingLockBits = kLockAny;
       GState.FloodBackground = 1;
       GState.SampleSourceFlags = kSampleSingleLayer | kSampleFrozen;
       GState.HueRingMode = kRingShowsCurrent | kRingCie;
     }},
    {"palette-out-of-square", "blue A pen beyond the CIE square: the corner sign instead of the marker",
     [](SimHost& host) {
       Sections(1, 0, 0);
       host.aPen = Rgba{20, 30, 255, 255};
     }},
    {"canvas-mode", "whole panel with the pick mode on: checkered swatch frame, markers on the A pen",
     [](SimHost&) {
       Sections(1, kSliderLabValue, 1);
       GState.ModeFlags |= kModePick;
     }},
    {"paint-sign-minus", "CIE darken pass armed: minus over the bulb",
     [](SimHost&) {
       Sections(1, 0, 1);
       GState.PaintModeBits = kPaintLampOn | kPaintCieDarken;
       GState.LightMode = kLightCie;
     }},
    {"paint-sign-plus", "CIE lighten pass armed: plus over the bulb",
     [](SimHost&) {
       Sections(1, 0, 1);
       GState.PaintModeBits = kPaintLampOn | kPaintCieLighten;
       GState.LightMode = kLightCie;
     }},
    {"paint-sign-cross", "the draw mode follows colour changes: cross over the bulb",
     [](SimHost&) {
       Sections(1, 0, 1);
       GState.PaintModeBits = kPaintCieLighten;
       GState.AutoLightenDarken = 1;
       GState.LightMode = kLightNative;
     }},
    {"full", "every section: L* slider, CIE palette, FX-brush row with Dirt and Rot on, green lamp",
     [](SimHost&) {
       Sections(1, kSliderLabValue, 1);
       GState.PaintModeBits = kPaintLampOn | kPaintDirt | kPaintRot;
     }},
    {"lamp-off", "FX-brush row with the dark lamp", [](SimHost&) { Sections(0, 0, 1); }},
    {"lamp-green", "green lamp", [](SimHost&) { Sections(0, 0, 1); }},
    {"lamp-lime", "lime lamp", [](SimHost&) { Sections(0, 0, 1); }},
    {"lamp-red", "red lamp", [](SimHost&) { Sections(0, 0, 1); }},
    {"lamp-orange", "orange lamp", [](SimHost&) { Sections(0, 0, 1); }},
};

int32_t LampTypeOfState(const std::string& name) {
  if (name == "lamp-green") return kLampTypeGreen;
  if (name == "lamp-lime") return kLampTypeLime;
  if (name == "lamp-red") return kLampTypeRed;
  if (name == "lamp-orange") return kLampTypeOrange;
  return -1;
}

}  // namespace

const std::vector<PanelState>& NamedPanelStates() { return kStates; }

void ShowPanelState(SimHost& host, const PanelState& state) {
  PluginContext* context = host.Context();
  if (!GState.PanelRequester) host.Parameters(nullptr);
  // The base every state starts from.
  Sections(1, kSliderLabValue, 1);
  GState.CieHsvMode = 1;
  GState.HueRingMode = kRingShowsCurrent;
  GState.FloodBackground = 1;
  GState.GamutMode = kGamutOff;
  GState.LumaLock = 0;
  GState.RingLockBits = 0;
  GState.SampleSourceFlags = 0;
  GState.ModeFlags = 0;
  GState.DragTarget = 0;
  GState.PaintModeBits = 0;
  GState.AutoLightenDarken = 0;
  GState.LightMode = kLightNative;
  GState.ColourScheme.slot = 0;
  host.aPen = Rgba{214, 120, 52, 255};
  host.bPen = Rgba{52, 96, 200, 255};

  state.apply(host);
  LoadGradientTable(context);  // the A-B gradient follows the pens just set
  TakeAPenAsCurrent(context);
  LayoutPanel(context);
  const int32_t lamp = LampTypeOfState(state.name);
  if (lamp >= 0) ShowLamp(context, lamp);
}
