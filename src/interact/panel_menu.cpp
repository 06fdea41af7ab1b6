// Tintwell interaction: the option menu with its follow-ups. The menu itself
// lives in panel/; the scope window (requesters/) and the FX-brush watch
// (interact/) sit above it, so the menu names them and this runs them.
#include "interact/panel_menu.h"

#include <cstdint>

#include "interact/canvas_modes.h"
#include "panel/option_menu.h"
#include "requesters/vectorscope_window.h"

void RunOptionMenu(PluginContext* context) {
  const int32_t followUps = ShowOptionMenu(context);
  if (followUps & kMenuFollowCloseScope) CloseScopeWindow(context);
  if (followUps & kMenuFollowFxBrushWatch) UpdateFxBrushWatch(context);
  if (followUps & kMenuFollowSizeLock) ToggleBrushSizeLock(context);
}
