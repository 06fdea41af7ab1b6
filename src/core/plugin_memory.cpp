// Tintwell core: the allocation hook of the plug-in's own containers.
#include "core/plugin_memory.h"

#include <cstdlib>

namespace {

void* SystemAllocate(size_t size) { return std::malloc(size); }

// A test hook (SetPluginAllocator), set between calls into the plug-in; the
// plug-in itself never changes it. It is not part of GState because PI_Open
// puts GState back to its load-time values, and a test's hook must last
// through the sessions it runs.
PluginAllocatorHook gAllocate = SystemAllocate;

}  // namespace

void SetPluginAllocator(PluginAllocatorHook hook) { gAllocate = hook ? hook : SystemAllocate; }

void* PluginAllocate(size_t size) { return gAllocate(size == 0 ? 1 : size); }

void PluginRelease(void* block) { std::free(block); }
