// Tintwell requesters: following the host's rooms.
#pragma once

#include "core/abi.h"

// Message 320: roomName is the new room's name (may be null).
void RoomChange(PluginContext* context, const char* roomName);
