// Tintwell host layer: one typed operation per host function and
// sub-operation. Each fills its argument pack (listed words, then zeros up to
// the pack length) and calls the context's dispatcher once. Operations whose
// result means something (a handle, a pointer, the chosen menu entry, the
// requester's place) return the dispatcher's word unchanged; the others
// return nothing, since the host promises nothing there. No state, no
// retries, no reporting: callers test the result where failure matters.
#pragma once

#include <cstdint>

#include "host/host_functions.h"
#include "core/abi.h"

// Builds a Pixel from four bytes at the context's channel positions.
Pixel MakePixel(const PluginContext* context, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);

// Reads one channel byte of a Pixel at the position the context gives.
uint8_t PixelRed(const PluginContext* context, Pixel pixel);
uint8_t PixelGreen(const PluginContext* context, Pixel pixel);
uint8_t PixelBlue(const PluginContext* context, Pixel pixel);
uint8_t PixelAlpha(const PluginContext* context, Pixel pixel);

void HostApplyFilter(PluginContext* context);
void HostMessage(PluginContext* context, const char* text);
void HostAskInteger(PluginContext* context, const char* prompt, int32_t* value, int32_t minimum,
                    int32_t maximum);
void HostUpdateArea(PluginContext* context, int32_t area0, int32_t area1, int32_t area2, int32_t area3);
// reply: null, or a buffer of at least kReplySize bytes.
void HostSendCommand(PluginContext* context, const char* command, char* reply);
void HostReadProjectImage(PluginContext* context, Pixel* pixels, int32_t width, int32_t height);
RequesterHandle HostOpenRequester(PluginContext* context, int32_t width, int32_t height, int32_t x, int32_t y,
                                  int32_t flags, const char* title);
void HostCloseRequester(PluginContext* context, RequesterHandle requester);
RequesterHandle HostOpenCallbackRequester(PluginContext* context, int32_t width, int32_t height, int32_t x,
                                          int32_t y, int32_t flags, const char* title,
                                          RequesterCallbackFn callback);
void HostStartCanvasEvents(PluginContext* context, int32_t mask);
void HostStopCanvasEvents(PluginContext* context);
void HostUnpackImage(PluginContext* context, const void* packed, Pixel* destination, int32_t pixelCount);
HostWord HostPopupMenu(PluginContext* context, const MenuItem* items, int32_t itemCount);
void HostWriteUserString(PluginContext* context, const char* section, const char* key, const char* value);
void HostReadUserString(PluginContext* context, const char* section, const char* key, char* buffer,
                        const char* defaultText, int32_t bufferSize);
HostWord HostOpenConfigFile(PluginContext* context, const char* path);
void HostCloseConfigFile(PluginContext* context, HostWord file);
void HostReadConfigString(PluginContext* context, HostWord file, const char* section, const char* key,
                          char* buffer, const char* defaultText, int32_t bufferSize);
void HostWriteConfigString(PluginContext* context, HostWord file, const char* section, const char* key,
                           const char* value);
void HostReadLayerImage(PluginContext* context, Pixel* pixels, int32_t byteCount, int32_t layerId);
HostImage* HostAllocImage(PluginContext* context, int32_t width, int32_t height);
void HostFreeImage(PluginContext* context, HostImage* image);
void HostAddShortcut(PluginContext* context, const char* label, const char* key);
HostWord HostOpenLocalisation(PluginContext* context, const char* fileName);
void HostCloseLocalisation(PluginContext* context, HostWord handle);
const char* HostLocalisedString(PluginContext* context, HostWord handle, int32_t number);
void HostGetAPenPixel(PluginContext* context, Pixel* pixel);

// Requester and gadget operations (host function 230).
// On success copies x, y, width and height to the non-null out-pointers.
HostWord HostGetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t* x, int32_t* y,
                               int32_t* width, int32_t* height);
void HostSetRequesterTitle(PluginContext* context, RequesterHandle requester, const char* title);
void HostRaiseRequester(PluginContext* context, RequesterHandle requester);
void HostSetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y,
                           int32_t width, int32_t height);
void HostAddGadget(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y, int32_t width,
                   int32_t height, int32_t gadgetId, int32_t flags, const char* text);
void HostRemoveGadget(PluginContext* context, RequesterHandle requester, int32_t gadgetId);
void HostSetGadgetHelp(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text);
void HostGetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, char* buffer,
                       int32_t bufferSize);
void HostSetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text);
void HostSetPointerTracking(PluginContext* context, RequesterHandle requester, int32_t on);
void HostSetGadgetImage(PluginContext* context, RequesterHandle requester, int32_t gadgetId, HostImage* image);
void HostSetGadgetState(PluginContext* context, RequesterHandle requester, int32_t gadgetId, int32_t flags);
void HostSaveRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                            const char* key);
void HostRestoreRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                               const char* key);
void HostShowRequester(PluginContext* context, RequesterHandle requester);

// Canvas overlay drawing (host function 1688); coordinates are canvas floats.
void HostOverlayRedraw(PluginContext* context);
void HostOverlayLine(PluginContext* context, float x1, float y1, float x2, float y2, Pixel colour);
void HostOverlayDot(PluginContext* context, float x, float y, int32_t size, Pixel colour);
// corners: offsets from (x, y) of top-left, top-right, bottom-right, bottom-left as x, y pairs.
void HostOverlayImage(PluginContext* context, float x, float y, const float corners[8], HostImage* image);
