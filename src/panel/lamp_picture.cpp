// Tintwell panel: the lamp picture of the paint-mode button.
//
// Layer: panel/. The icon's palette colours go to the channel positions the
// image record gives (the host may lay out its images differently from the
// pixels it hands over); icons are opaque where they show, so no
// premultiplying is needed.
#include "panel/lamp_picture.h"

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_images.h"
#include "panel/panel_geometry.h"

const LampIcon& LampIconForType(int32_t lampType) {
  switch (lampType) {
    case kLampTypeGreen: return kLampIcons[kLampIconGreen];
    case kLampTypeOrange: return kLampIcons[kLampIconOrange];
    case kLampTypeRed: return kLampIcons[kLampIconRed];
    case kLampTypeLime: return kLampIcons[kLampIconLime];
    default: return kLampIcons[kLampIconDark];
  }
}

void ShowLamp(PluginContext* context, int32_t lampType) {
  const RequesterHandle panel = GState.PanelRequester;
  if (!panel || !GState.ShowFxBrush) return;
  HostImage* image = AllocExactImage(context, kLampIconSide, kLampIconSide);
  if (!image) return;
  const LampIcon& icon = LampIconForType(lampType);
  const uint32_t shift[4] = {8u * (image->ChannelPositions[0] & 3u), 8u * (image->ChannelPositions[1] & 3u),
                             8u * (image->ChannelPositions[2] & 3u), 8u * (image->ChannelPositions[3] & 3u)};
  for (int32_t k = 0; k < kLampIconPixels; ++k) {
    const uint8_t* rgb = icon.Palette + 3 * icon.Index[k];
    image->Pixels[k] = static_cast<Pixel>(rgb[0]) << shift[0] | static_cast<Pixel>(rgb[1]) << shift[1] |
                       static_cast<Pixel>(rgb[2]) << shift[2] | static_cast<Pixel>(icon.Alpha[k]) << shift[3];
  }
  ShowHeldImage(context, panel, kLampButton, image, &GState.LampImage);
}
