// Tintwell requesters: small helpers shared by the requester routines (the
// failure message, closing a window with its overlay image).
// Requester layer; calls only host/ and store/.
#pragma once

#include <cstdint>

#include "plugin/abi.h"

// Text numbers of the requester titles and of the failure message.
constexpr int32_t kTextMainTitle = 10000;
constexpr int32_t kTextScopeTitle = 10001;
constexpr int32_t kTextLabTitle = 10002;
constexpr int32_t kTextCantOpenRequester = 30000;

// Tells the user a requester could not be opened.
void ShowRequesterOpenFailure(PluginContext* context);

// Closes a small window and frees its overlay image. The handle and the
// image pointer are cleared before the host is called, so nothing re-entered
// during the close can see a closed window or a freed image; a null image
// (its allocation failed) is not freed.
void CloseWindowAndImage(PluginContext* context, RequesterHandle* requester, HostImage** image,
                         bool stopTracking);
