// Tintwell plug-in frame: the eight entry points the host calls.
#pragma once

#include "core/abi.h"

TW_EXPORT int32_t TW_CALL PI_Open(PluginContext* context);
TW_EXPORT void TW_CALL PI_Close(PluginContext* context);
TW_EXPORT int32_t TW_CALL PI_About(PluginContext* context);
TW_EXPORT int32_t TW_CALL PI_Parameters(PluginContext* context, const char* command);
TW_EXPORT int32_t TW_CALL PI_Start(PluginContext* context, int32_t a, int32_t b, int32_t c, int32_t d);
TW_EXPORT int32_t TW_CALL PI_Work(PluginContext* context);
TW_EXPORT void TW_CALL PI_Finish(PluginContext* context);
TW_EXPORT int32_t TW_CALL PI_Msg(PluginContext* context, int32_t kind, HostWord requester, HostWord* args);

// Tests: the allocator of the user block (calloc's signature; null puts
// calloc back), to see PI_Open fail cleanly when memory runs out.
using UserBlockAllocator = void* (*)(size_t count, size_t size);
void SetUserBlockAllocator(UserBlockAllocator allocator);
