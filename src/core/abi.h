// Tintwell plug-in frame: the binary interface shared with the host.
//
// Everything here crosses the DLL boundary, so layouts and calling
// conventions are fixed. On the 32-bit Windows build a pack word is 32 bits
// and the context offsets are pinned by static_asserts below; on 64-bit
// native builds (tests, tools) a word is pointer-sized and the context lays
// out naturally.
#pragma once

#include <cstddef>
#include <cstdint>

// The one place that names the calling convention of every function pointer
// that crosses the host boundary (exports, dispatcher, requester callbacks).
#if defined(_WIN32) && !defined(_WIN64)
#define TW_CALL __stdcall
#else
#define TW_CALL
#endif

// Exports are plain C names; the .def file strips the stdcall decoration.
#if defined(_WIN32)
#define TW_EXPORT extern "C" __declspec(dllexport)
#else
#define TW_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// A 32-bit pixel: one byte per channel at the positions the context gives;
// colour bytes are premultiplied by alpha.
using Pixel = uint32_t;

// One word of an argument pack: an integer, a text pointer, a float bit-cast
// into its low 32 bits, or a pointer. 32 bits on the real host.
using HostWord = intptr_t;

struct PluginContext;

// The host's dispatcher: context, function number, argument pack -> word.
using HostDispatchFn = HostWord(TW_CALL*)(PluginContext* context, int32_t function, HostWord* pack);

// Callback of a callback requester; always returns 1.
using RequesterCallbackFn = int32_t(TW_CALL*)(PluginContext* context, int32_t event, HostWord requester,
                                              HostWord* args);

// Requester handle: non-zero while open, 0 when closed or failed.
using RequesterHandle = HostWord;

// An image owned by the host, pixel (x, y) at Pixels[x + Width * y].
struct HostImage {
  int32_t Width;
  int32_t Height;
  uint8_t ChannelPositions[4];  // byte index of red, green, blue, alpha in a Pixel
  Pixel* Pixels;
};

// The host's context record. Only the named fields are touched by the plug-in.
struct PluginContext {
  uint8_t HostFields0[136];
  int32_t VersionMajor;  // written by PI_Open
  int32_t VersionMinor;
  char Name[128];             // plug-in name, NUL-terminated, <= 127 bytes of text
  void* UserBlock;            // 288 zero bytes handed to the host
  int32_t UserBlockSize;      // 288
  HostDispatchFn HostDispatch;
  uint8_t HostFields1[12];
  int32_t ImageWidth;  // project image size
  int32_t ImageHeight;
  uint8_t HostFields2[4];
  int32_t WorkArea[4];  // filter area words, handed back to HostUpdateArea unchanged
  int8_t RedPosition;   // byte index 0..3 of each channel within a Pixel
  int8_t GreenPosition;
  int8_t BluePosition;
  int8_t AlphaPosition;
  HostImage* WorkImage;  // image PI_Work processes in place
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(HostWord) == 4, "pack words are 32-bit on the real host");
static_assert(offsetof(PluginContext, VersionMajor) == 136, "context layout");
static_assert(offsetof(PluginContext, VersionMinor) == 140, "context layout");
static_assert(offsetof(PluginContext, Name) == 144, "context layout");
static_assert(offsetof(PluginContext, UserBlock) == 272, "context layout");
static_assert(offsetof(PluginContext, UserBlockSize) == 276, "context layout");
static_assert(offsetof(PluginContext, HostDispatch) == 280, "context layout");
static_assert(offsetof(PluginContext, ImageWidth) == 296, "context layout");
static_assert(offsetof(PluginContext, ImageHeight) == 300, "context layout");
static_assert(offsetof(PluginContext, WorkArea) == 308, "context layout");
static_assert(offsetof(PluginContext, RedPosition) == 324, "context layout");
static_assert(offsetof(PluginContext, GreenPosition) == 325, "context layout");
static_assert(offsetof(PluginContext, BluePosition) == 326, "context layout");
static_assert(offsetof(PluginContext, AlphaPosition) == 327, "context layout");
static_assert(offsetof(PluginContext, WorkImage) == 328, "context layout");
static_assert(sizeof(HostImage) == 16, "host image layout");
#endif

// Bit-casts a float into a pack word (low 32 bits) and back.
inline HostWord FloatWord(float value) {
  uint32_t bits;
  __builtin_memcpy(&bits, &value, sizeof bits);
  return static_cast<HostWord>(bits);
}
inline float WordFloat(HostWord word) {
  uint32_t bits = static_cast<uint32_t>(word);
  float value;
  __builtin_memcpy(&value, &bits, sizeof value);
  return value;
}
