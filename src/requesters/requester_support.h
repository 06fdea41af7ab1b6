// Tintwell requesters: small helpers shared by the requester routines (the
// failure message, closing a window with its overlay image).
// Requester layer; calls only host/ and store/.
#pragma once

#include <cstdint>

#include "core/abi.h"
#include "store/builtin_texts_ids.h"  // text numbers of titles and messages


// Tells the user a requester could not be opened.
void ShowRequesterOpenFailure(PluginContext* context);

// Closes a small window and frees its overlay image. The handle and the
// image pointer are cleared before the host is called, so nothing re-entered
// during the close can see a closed window or a freed image; a null image
// (its allocation failed) is not freed.
void CloseWindowAndImage(PluginContext* context, RequesterHandle* requester, HostImage** image,
                         bool stopTracking);

// Hosts reuse requester handles: the lowest free one, or a freed window's
// pointer. The host has given `handle` to a requester other than the one
// held in *keep (null: a requester just opened): a held handle of the same
// value names a window that is gone. It is forgotten without a host call on
// it (never drawn into or closed); the plug-in's own picture for it is freed.
void ForgetReusedHandle(PluginContext* context, RequesterHandle handle, const RequesterHandle* keep);
