// Tintwell core: the allocation hook of the plug-in's own containers.
#include "core/plugin_memory.h"

#include <cstdlib>

namespace {

void* SystemAllocate(size_t size) { return std::malloc(size); }

// Set by tests only, between calls into the plug-in.
PluginAllocatorHook gAllocate = SystemAllocate;

}  // namespace

void SetPluginAllocator(PluginAllocatorHook hook) { gAllocate = hook ? hook : SystemAllocate; }

void* PluginAllocate(size_t size) { return gAllocate(size == 0 ? 1 : size); }

void PluginRelease(void* block) { std::free(block); }
