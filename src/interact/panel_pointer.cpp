// Tintwell interaction: shared pieces of the panel's gestures.
// Interaction layer; calls host/, colour/, panel/ and requesters/ (the scope).
#include "interact/panel_pointer.h"

#include <cmath>

#include "colour/colour_models.h"
#include "colour/current_colour.h"
#include "colour/panel_models.h"
#include "requesters/vectorscope_window.h"
#include "core/plugin_state.h"
#include "panel/panel_geometry.h"
#include "panel/panel_images.h"

namespace {

// Mouse pressure mode moves fine drags by this share of the pointer travel.
constexpr float kMousePressureFactor = 48.0f / 255.0f;

int32_t Bounded(HostWord word, int32_t low, int32_t high) {
  const int64_t value = static_cast<int32_t>(word);
  if (value < low) return low;
  if (value > high) return high;
  return static_cast<int32_t>(value);
}

bool RingAndPaletteAgree() { return ((GState.HueRingMode & kRingCie) != 0) == (GState.CieHsvMode != 0); }

}  // namespace

PanelEvent ReadPanelEvent(const HostWord* args) {
  PanelEvent event{};
  if (!args) return event;
  event.gadget = static_cast<int32_t>(args[0]);
  event.x = Bounded(args[1], -kPanelPointerLimit, kPanelPointerLimit);
  event.y = Bounded(args[2], -kPanelPointerLimit, kPanelPointerLimit);
  event.buttons = static_cast<int32_t>(args[3]);
  event.pressure = Bounded(args[4], 0, 255);
  event.qualifier = static_cast<int32_t>(args[6]);
  event.fixedX = static_cast<uint32_t>(args[7]);
  event.fixedY = static_cast<uint32_t>(args[8]);
  event.requesterX = static_cast<int32_t>(args[8]);
  event.requesterY = static_cast<int32_t>(args[9]);
  return event;
}

PickerPoint PalettePoint(const PanelEvent& event) {
  // Before a picture has been built (or when its allocation failed), the
  // size the layout always asks for.
  const int32_t width = GState.PickerAreaSize[0] > 0 ? GState.PickerAreaSize[0] : kPaletteImageSize;
  const int32_t height = GState.PickerAreaSize[1] > 0 ? GState.PickerAreaSize[1] : kPaletteImageSize;
  PickerPoint point;
  point.dx = event.x - (width / 2 + 1);
  point.dy = event.y - (height / 2 + 2);
  const float fx = static_cast<float>(point.dx);
  const float fy = static_cast<float>(point.dy);
  point.r = static_cast<int32_t>(std::sqrt(fx * fx + fy * fy));
  return point;
}

float PressureFactor(int32_t pressure) {
  const int32_t sensitivity = GState.PressureSensitivity;
  if (sensitivity < 1) return kMousePressureFactor;
  const int32_t used = pressure < sensitivity ? pressure : sensitivity;
  return static_cast<float>(used) / static_cast<float>(sensitivity);
}

ColourTriple ColourHeldInCurrentHsv() {
  if (RingAndPaletteAgree() || (GState.ModeFlags & kModePick)) return PickerHsvToRgb(GState.CurrentHsv);
  return GState.CurrentRgb;
}

void CommitPanelColour(PluginContext* context, ColourTriple n, ColourTriple picker) {
  const bool pick = (GState.ModeFlags & kModePick) != 0;
  SetPickerHsv(picker);
  if (!pick) TakeCurrentFromRgb(context, n);
  SendCurrentColour(context);
  const bool sliderHeld = GState.DragTarget == kDragHueRing && GState.LumaLock && GState.SliderMode > kSliderHidden &&
                          GState.SliderMode != kSliderGradient && !pick;
  if (!sliderHeld) MoveSliderToColour(pick ? GState.CurrentRgb : n);
  VectorscopeUpdate(context, RgbToPixel(context, n));
  BuildSwatchImage(context);
  BuildPaletteImage(context);
}
