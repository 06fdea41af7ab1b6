// Placeholder bodies: this behaviour arrives with its own change.
#include "requesters/rooms.h"

void RoomChange(PluginContext*, const char*) {}
