// Tintwell interaction: the main panel's event callback.
//
// For now it only keeps the requester handle and the panel's persistence:
//   100 opened   -> remember the handle, take the host's A pen, lay out
//   101 closing  -> place, "%swinvisible" and the options are stored
//   anything else is ignored.
// The host calls it on its own thread; it always returns 1.
#include "interact/panel_events.h"

#include "host/host_functions.h"
#include "core/plugin_state.h"
#include "interact/canvas_modes.h"
#include "interact/draw_mode.h"
#include "panel/panel_layout.h"
#include "requesters/panel_window.h"

int32_t TW_CALL PanelEventHandler(PluginContext* context, int32_t event, HostWord requester, HostWord* args) {
  switch (event) {
    case kEventOpened:
      GState.PanelRequester = requester;
      TakeAPenAsCurrent(context);
      LayoutPanel(context);
      break;
    case kEventClosing:
      // The place is saved for the window that is actually closing, which
      // may already be forgotten by whoever asked for the close.
      PanelClosing(context, requester, args);
      break;
    default:
      break;
  }
  return 1;
}

int32_t ShowPanel(PluginContext* context) {
  if (RaisePanelWindow(context)) return 1;
  EndPickMode(context);
  AutoDrawModeFollowUp(context);
  return OpenPanelWindow(context, PanelEventHandler);
}
