// Tintwell requesters: helpers shared by the requester routines.
// Requester layer; calls only host/ and store/.
#include "requesters/requester_support.h"

#include <cstdio>

#include "host/host_calls.h"
#include "store/localisation.h"

void ShowRequesterOpenFailure(PluginContext* context) {
  HostMessage(context, LocalisedText(context, kTextCantOpenRequester));
}

void FormatRoomPrefix(char* prefix, int32_t room) { std::snprintf(prefix, kRoomKeySize, "room-%d", room); }

void FormatRoomKey(char* key, const char* pattern, int32_t room) {
  char prefix[kRoomKeySize];
  FormatRoomPrefix(prefix, room);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(key, kRoomKeySize, pattern, prefix);
#pragma GCC diagnostic pop
}

void WriteRoomInteger(PluginContext* context, const char* pattern, int32_t room, int32_t value) {
  char key[kRoomKeySize];
  char text[16];
  FormatRoomKey(key, pattern, room);
  std::snprintf(text, sizeof text, "%d", value);
  HostWriteUserString(context, context->Name, key, text);
}

void CloseWindowAndImage(PluginContext* context, RequesterHandle* requester, HostImage** image,
                         bool stopTracking) {
  const RequesterHandle window = *requester;
  HostImage* const picture = *image;
  *requester = 0;
  *image = nullptr;
  if (window) {
    if (stopTracking) HostSetPointerTracking(context, window, 0);
    HostCloseRequester(context, window);
  }
  if (picture) HostFreeImage(context, picture);
}
