// Tintwell requesters: the main panel window. Raising it when open, opening
// it as a callback requester otherwise, and its closing, where the place,
// the room's "%swinvisible" and the options are stored.
// Requester layer; calls host/ and store/.
#include "requesters/panel_window.h"

#include "host/host_calls.h"
#include "core/host_boundary.h"
#include "core/plugin_state.h"
#include "panel/panel_layout.h"
#include "requesters/requester_support.h"
#include "store/localisation.h"
#include "store/settings.h"

namespace {

// Place at opening, at the width and height of the swatch band alone; the
// layout resizes the panel on its opening event.
constexpr int32_t kPanelX = 128;
constexpr int32_t kPanelY = 128;

// Argument word of the closing event that the host fills; its meaning is the
// host's, and only when it is 0 is the panel recorded as hidden in the room.
constexpr int kCloseVisibilityWord = 4;

// The panel's event handler (interact/), which the host reaches through
// PanelEvents below. OpenPanelWindow sets it before asking the host for the
// panel, and it is always the same function. It is code rather than state,
// so it is kept apart from GState: PI_Open puts GState back to its load-time
// values while a panel the host still shows may call in.
RequesterCallbackFn gPanelHandler = nullptr;

// What the host calls for the panel's events: events under a value the
// plug-in holds for another window mean that window is gone (the host has
// handed its value out again), and no exception goes back to the host.
int32_t TW_CALL PanelEvents(PluginContext* context, int32_t event, HostWord requester, HostWord* args) {
  return Guarded(
      [&] {
        ForgetReusedHandle(context, requester, &GState.PanelRequester);
        if (gPanelHandler) gPanelHandler(context, event, requester, args);
        return 1;
      },
      1);
}

}  // namespace

bool RaisePanelWindow(PluginContext* context) {
  if (!GState.PanelRequester) return false;
  HostRaiseRequester(context, GState.PanelRequester);
  HostShowRequester(context, GState.PanelRequester);
  return true;
}

int32_t OpenPanelWindow(PluginContext* context, RequesterCallbackFn events) {
  // The opening event (100) arrives inside this call and stores the handle too.
  gPanelHandler = events;
  const RequesterHandle panel =
      HostOpenCallbackRequester(context, kPanelWidth, kPanelBaseHeight, kPanelX, kPanelY, kReqFlagsPanel,
                                LocalisedText(context, texts::kPanelTitle), PanelEvents);
  if (!panel) {
    GState.PanelRequester = 0;
    ShowRequesterOpenFailure(context);
    return 0;
  }
  GState.PanelRequester = panel;
  HostSetPointerTracking(context, panel, GState.PopHelp);
  if (GState.Room != 0) {
    char key[kRoomSettingKeySize];
    RoomKey(GState.Room, kRoomWinVisibleSuffix, key, sizeof key);
    HostWriteUserString(context, SettingsSection(context), key, "0");
  }
  return 1;
}

void PanelClosing(PluginContext* context, RequesterHandle panel, HostWord* args) {
  // Saved under the current room's prefix, room-0 before the host named a room.
  GState.PanelRequester = 0;
  char prefix[kRoomSettingPrefixSize];
  RoomPrefix(GState.Room, prefix, sizeof prefix);
  HostSaveRequesterPlace(context, panel, SettingsSection(context), prefix);

  const HostWord visibility = args ? args[kCloseVisibilityWord] : 0;
  if (visibility == 0) {
    char key[kRoomSettingKeySize];
    RoomKey(GState.Room, kRoomWinVisibleSuffix, key, sizeof key);
    HostWriteUserString(context, SettingsSection(context), key, "1");
  }
  // The room's sections, then the options.
  SaveSettings(context);
  // The gadgets go with the window; so do the pictures they showed.
  ReleasePanelImages(context);
}
