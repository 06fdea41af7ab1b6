// Tintwell interaction: re-stroke and the current swatch's colour command.
// Interaction layer; calls host/ only. No replies are read: the drag has
// already sent every colour, and what the host makes of the commands is its
// own business.
#include "interact/re_stroke.h"

#include "host/host_calls.h"

void ReStroke(PluginContext* context) {
  HostSendCommand(context, "tv_undo", nullptr);
  HostSendCommand(context, "tv_reapply", nullptr);
}

void SendSwatchColourCommand(PluginContext* context) { HostSendCommand(context, "tv_setColor 99999", nullptr); }
