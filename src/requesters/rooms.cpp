// Tintwell requesters: following the host's rooms. Each room (1..4) keeps its
// own panel place and its own choice of visible panel sections, stored under
// the prefix "room-%d" in the plug-in's settings section.
// Requester layer; calls host/, store/ and panel/.
#include "requesters/rooms.h"

#include <cstring>

#include "host/host_calls.h"
#include "panel/panel_layout.h"
#include "core/plugin_state.h"
#include "store/settings.h"

namespace {

// Room names are the host's own and compared exactly; anything else is room 1.
int32_t RoomNumber(const char* name) {
  if (!name) return 1;
  if (std::strcmp(name, "Room-4") == 0) return 4;
  if (std::strcmp(name, "Room-3") == 0) return 3;
  if (std::strcmp(name, "Room-2") == 0) return 2;
  return 1;
}

}  // namespace

void RoomChange(PluginContext* context, const char* roomName) {
  const int32_t room = RoomNumber(roomName);
  if (room == GState.Room) return;

  char prefix[kRoomSettingPrefixSize];
  // Before the host first names a room there is nothing of a room to keep.
  // The place goes with the current handle, 0 while the panel is closed (the
  // host then has no window to place; the closing stored its place already).
  if (GState.Room != 0) {
    RoomPrefix(GState.Room, prefix, sizeof prefix);
    HostSaveRequesterPlace(context, GState.PanelRequester, SettingsSection(context), prefix);
    SaveRoomSections(context, GState.Room);
  }

  GState.Room = room;
  // A room seen for the first time shows every section.
  LoadRoomSections(context, room, "1");
  RoomPrefix(room, prefix, sizeof prefix);
  HostRestoreRequesterPlace(context, GState.PanelRequester, SettingsSection(context), prefix);
  LayoutPanel(context);
}
