// Tintwell core: the plug-in's own heap allocations, through one hook.
//
// The host is a 32-bit process that may run short of address space; every
// container the plug-in grows takes its memory here, so a failed allocation
// is one place to test (SetPluginAllocator) and one kind of failure to
// handle: std::bad_alloc, caught where a plain way without the memory exists
// and, as a last resort, at every entry point and callback (an exception
// must never reach the host).
#pragma once

#include <cstddef>
#include <new>
#include <vector>

// malloc's signature; returns null when there is no memory.
using PluginAllocatorHook = void* (*)(size_t size);
// Tests: every allocation of the plug-in goes through `hook` (null puts
// malloc back).
void SetPluginAllocator(PluginAllocatorHook hook);

// Null when there is no memory.
void* PluginAllocate(size_t size);
void PluginRelease(void* block);

// A standard allocator over PluginAllocate: throws std::bad_alloc on failure.
template <typename T>
struct PluginAllocator {
  using value_type = T;
  PluginAllocator() = default;
  template <typename U>
  PluginAllocator(const PluginAllocator<U>&) {}
  T* allocate(size_t count) {
    if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* block = PluginAllocate(count * sizeof(T));
    if (!block) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t) { PluginRelease(block); }
  template <typename U>
  bool operator==(const PluginAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const PluginAllocator<U>&) const { return false; }
};

template <typename T>
using PluginVector = std::vector<T, PluginAllocator<T>>;
