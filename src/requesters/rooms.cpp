// Tintwell requesters: following the host's rooms. Each room (1..4) keeps its
// own panel place and its own choice of visible panel sections, stored under
// the prefix "room-%d" in the plug-in's settings section.
// Requester layer; calls host/ and panel/.
#include "requesters/rooms.h"

#include <climits>
#include <cstring>

#include "host/host_calls.h"
#include "panel/panel_layout.h"
#include "plugin/plugin_state.h"
#include "requesters/requester_support.h"

namespace {

constexpr int32_t kSettingReadSize = 255;

struct RoomSection {
  const char* keyPattern;
  int32_t PluginState::*field;
};

// The panel sections each room remembers, in the order they are stored.
constexpr RoomSection kRoomSections[] = {
    {"%spalette", &PluginState::ShowPalette},
    {"%sslider", &PluginState::SliderMode},
    {"%sfxbrush", &PluginState::ShowFxBrush},
};

// Room names are the host's own and compared exactly; anything else is room 1.
int32_t RoomNumber(const char* name) {
  if (!name) return 1;
  if (std::strcmp(name, "Room-4") == 0) return 4;
  if (std::strcmp(name, "Room-3") == 0) return 3;
  if (std::strcmp(name, "Room-2") == 0) return 2;
  return 1;
}

// Leading decimal integer of a stored value (optional sign); anything else
// gives 0, and values beyond 32 bits are clamped.
int32_t LeadingInteger(const char* text) {
  int i = 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  for (; i < kSettingReadSize && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

}  // namespace

void RoomChange(PluginContext* context, const char* roomName) {
  const int32_t room = RoomNumber(roomName);
  if (room == GState.Room) return;

  char prefix[kRoomKeySize];
  // Before the host first names a room there is nothing of a room to keep.
  if (GState.Room != 0) {
    FormatRoomPrefix(prefix, GState.Room);
    if (GState.PanelRequester) HostSaveRequesterPlace(context, GState.PanelRequester, context->Name, prefix);
    for (const RoomSection& section : kRoomSections) {
      WriteRoomInteger(context, section.keyPattern, GState.Room, GState.*section.field);
    }
  }

  GState.Room = room;
  // A room seen for the first time shows every section.
  for (const RoomSection& section : kRoomSections) {
    char key[kRoomKeySize];
    char value[kSettingReadSize + 1] = {};
    FormatRoomKey(key, section.keyPattern, room);
    HostReadUserString(context, context->Name, key, value, "1", kSettingReadSize);
    value[kSettingReadSize] = '\0';
    GState.*section.field = LeadingInteger(value);
  }
  FormatRoomPrefix(prefix, room);
  if (GState.PanelRequester) HostRestoreRequesterPlace(context, GState.PanelRequester, context->Name, prefix);
  LayoutPanel(context);
}
