// Tintwell colour: exchanging the A and B pen colours with the host.
//
// Layer: colour/. Pens travel as decimal red, green, blue through the host's
// command language; inside the plug-in they are Pixels, opaque when read.
#include "colour/pens.h"

#include "colour/colour_mixing.h"
#include "host/host_calls.h"
#include "host/host_commands.h"
#include "core/plugin_state.h"
#include "core/text_numbers.h"

namespace {

// Reply "red green blue other"; missing numbers read as 0.
Pixel ReadPen(PluginContext* context, const char* command) {
  char reply[kReplySize];
  AskHost(context, command, reply);
  int32_t values[4];
  ScanReplyIntegers(reply, values, 4);
  return MakePixel(context, ClampToByte(values[0]), ClampToByte(values[1]), ClampToByte(values[2]), 255);
}

void WritePen(PluginContext* context, const char* format, Pixel pixel) {
  SendCommandFormat(context, nullptr, format, PixelRed(context, pixel), PixelGreen(context, pixel),
                    PixelBlue(context, pixel));
}

}  // namespace

Pixel GetAPen(PluginContext* context) { return ReadPen(context, "tv_GetAPen"); }

Pixel GetBPen(PluginContext* context) { return ReadPen(context, "tv_GetBPen"); }

// Sends the pen, then refreshes the slider's A-B gradient, which starts at
// the A pen; while the slider itself is dragged the gradient must hold still
// and is marked behind, to be read again when the panel catches up (a slider
// gesture can be cut short without a release and the mark outlives it).
void SetAPen(PluginContext* context, Pixel pixel) {
  WritePen(context, "tv_SetAPen %d %d %d", pixel);
  if (GState.DragTarget & kDragSlider) {
    GState.GradientStale = 1;
  } else {
    LoadGradientTable(context);
  }
}

// The gradient ends at the B pen: it is behind once this goes out, until
// the next reload (the A pen's, or the panel's catching up).
void SetBPen(PluginContext* context, Pixel pixel) {
  WritePen(context, "tv_SetBPen %d %d %d", pixel);
  GState.GradientStale = 1;
}
