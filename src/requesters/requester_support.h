// Tintwell requesters: small helpers shared by the requester routines (the
// failure message, room keys, closing a window with its overlay image).
// Requester layer; calls only host/ and store/.
#pragma once

#include <cstdint>

#include "plugin/abi.h"

// Text numbers of the requester titles and of the failure message.
constexpr int32_t kTextMainTitle = 10000;
constexpr int32_t kTextScopeTitle = 10001;
constexpr int32_t kTextLabTitle = 10002;
constexpr int32_t kTextCantOpenRequester = 30000;

// Room prefixes are "room-%d"; keys append a short suffix to them.
constexpr int kRoomKeySize = 64;

// Tells the user a requester could not be opened.
void ShowRequesterOpenFailure(PluginContext* context);

// "room-%d" for the room, then the key made by formatting pattern (one "%s")
// with that prefix. Both buffers hold kRoomKeySize bytes; output is cut to fit.
void FormatRoomPrefix(char* prefix, int32_t room);
void FormatRoomKey(char* key, const char* pattern, int32_t room);

// Writes an integer option under a per-room key of the plug-in's section.
void WriteRoomInteger(PluginContext* context, const char* pattern, int32_t room, int32_t value);

// Closes a small window and frees its overlay image. The handle and the
// image pointer are cleared before the host is called, so nothing re-entered
// during the close can see a closed window or a freed image; a null image
// (its allocation failed) is not freed.
void CloseWindowAndImage(PluginContext* context, RequesterHandle* requester, HostImage** image,
                         bool stopTracking);
