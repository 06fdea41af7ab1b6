// Tintwell colour: the current colour and its one owner.
//
// Layer: colour/. The current colour lives in five records of the global
// state, each kept for its readers:
//   CurrentPixel  the stored bytes: the swatch, the A pen, the filter
//   CurrentRgb    the same colour as RGB floats 0..255, which keep the
//                 fractions a slow mix accumulates; changes with CurrentPixel
//   CurrentHsv    the picker's coordinates (hue, saturation, value), where a
//                 grey keeps its hue; while the ring and the palette use
//                 different models it holds the ring's hue with the palette's
//                 saturation and value, and names no single colour
//   HueRingHsv    the colour a hue-ring or square gesture started from, in
//                 the model HueRingCie names (kept so a hue survives greys)
//   SliderCoords  the value slider's coordinates; c0 is what the slider moves
// This file alone writes them, through the verbs below; every other file
// reads them and calls the verbs. A verb that takes a colour brings every
// record it names along in one step, so they cannot drift apart.
#pragma once

#include <cstdint>

#include "colour/colour_models.h"
#include "core/abi.h"
#include "core/colour_triple.h"

// ---------------------------------------------------------------- take

// The colour becomes `pixel` (a pen, a swatch): CurrentPixel, CurrentRgb,
// SliderCoords and CurrentHsv; the ring colour is left as it is.
void TakeCurrentFromPixel(PluginContext* context, Pixel pixel);
// Takes the host's A pen as base and current colour; the ring colour is to
// be derived afresh by the next gesture.
void TakeAPenAsCurrent(PluginContext* context);
// The colour becomes `rgb`, a colour the panel's picker chose (CurrentRgb and
// CurrentPixel; the picker's coordinates are the caller's, SetPickerHsv).
void TakeCurrentFromRgb(PluginContext* context, ColourTriple rgb);
// The slider moves to `coords` and the colour becomes the one there.
void TakeCurrentFromSlider(PluginContext* context, ColourTriple coords);
// The colour becomes the one the picker's coordinates `hsv` name.
void TakeCurrentFromPicker(PluginContext* context, ColourTriple hsv);

// ---------------------------------------------------------------- mix

// Moves CurrentRgb and CurrentPixel toward `colour` by the pen pressure
// (0..255), as the pressure sensitivity and the mixing space are set. Tells
// the host nothing: the caller sends the colour and brings the other
// records along (FollowColour).
void MixIntoCurrent(Pixel colour, int32_t pressure, PluginContext* context);
// The weighted picker's step, ending in MixIntoCurrent; a black or
// transparent sample changes nothing.
void WeightedPick(Pixel sample, int32_t pressure, PluginContext* context);

// ---------------------------------------------------------------- records that follow the colour

// SliderCoords, CurrentHsv and the ring colour (in the picker's model) from
// `rgb`, the colour just taken or mixed (or its stored bytes as RGB).
void FollowColour(ColourTriple rgb);
// The picker's coordinates become `hsv`; greys converted from here on keep
// its hue.
void SetPickerHsv(ColourTriple hsv);
// The ring colour becomes `hsv`, held in the CIE model when `cie`.
void SetRingColour(ColourTriple hsv, bool cie);
// The ring colour derived afresh from CurrentRgb, in the CIE model or not.
void DeriveRingColour(bool cie);
// The slider moves to `coords`, or to where the colour `rgb` lies on it.
void MoveSliderTo(ColourTriple coords);
void MoveSliderToColour(ColourTriple rgb);

// ---------------------------------------------------------------- send

// Sends `pen` to the host as its A pen, then what must follow: the A-B
// gradient starts at the A pen, so it is read again (LoadGradientTable),
// unless the slider itself is being dragged, when it holds still and is
// marked behind, to be read again once the panel catches up.
void SendAPen(PluginContext* context, Pixel pen);
// SendAPen of CurrentPixel.
void SendCurrentColour(PluginContext* context);
// Sends `pen` as the B pen; the gradient, which ends there, is marked behind.
void SendBPen(PluginContext* context, Pixel pen);
// Reads the host's A-B range into GradientTable, which is then up to date.
void LoadGradientTable(PluginContext* context);

// ---------------------------------------------------------------- read

// The current colour in both its stored forms (for the filter pass).
PixelAndRgb CurrentColour();
