// Tintwell host layer: the typed host operations.
//
// Each operation names its row of the protocol table and lists its words;
// `Call` reserves a fresh pack of the row's length on the stack and writes
// the sub-operation (for the two families), the listed words and zeros up to
// that length, so no word the host may read is ever left undefined and no
// pack is reused across calls.
#include "host/host_calls.h"

#include "core/pixel_bytes.h"
#include "host/host_protocol.h"

namespace {

HostWord Word(const void* pointer) { return reinterpret_cast<HostWord>(pointer); }

constexpr int32_t PackLength(int32_t function, int32_t sub) { return kHostCalls[HostCallIndex(function, sub)].packLength; }

template <int32_t Function, int32_t Sub = kNoSubOperation, typename... Words>
HostWord Call(PluginContext* context, Words... words) {
  static_assert(HostCallIndex(Function, Sub) >= 0, "the call is not in the protocol table");
  constexpr bool family = HasSubOperation(Function);
  static_assert(family == (Sub != kNoSubOperation), "a sub-operation goes with the two families only");
  constexpr int32_t length = PackLength(Function, Sub);
  static_assert((family ? 1 : 0) + sizeof...(Words) <= static_cast<size_t>(length), "more words than the pack");
  if constexpr (family) {
    HostWord pack[length] = {Sub, static_cast<HostWord>(words)...};
    return context->HostDispatch(context, Function, pack);
  } else {
    HostWord pack[length] = {static_cast<HostWord>(words)...};
    return context->HostDispatch(context, Function, pack);
  }
}

}  // namespace

Pixel MakePixel(const PluginContext* context, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  uint8_t bytes[4] = {0, 0, 0, 0};
  bytes[context->RedPosition & 3] = red;
  bytes[context->GreenPosition & 3] = green;
  bytes[context->BluePosition & 3] = blue;
  bytes[context->AlphaPosition & 3] = alpha;
  return static_cast<Pixel>(bytes[0]) | static_cast<Pixel>(bytes[1]) << 8 | static_cast<Pixel>(bytes[2]) << 16 |
         static_cast<Pixel>(bytes[3]) << 24;
}

uint8_t PixelRed(const PluginContext* context, Pixel pixel) { return ChannelByte(pixel, context->RedPosition); }
uint8_t PixelGreen(const PluginContext* context, Pixel pixel) { return ChannelByte(pixel, context->GreenPosition); }
uint8_t PixelBlue(const PluginContext* context, Pixel pixel) { return ChannelByte(pixel, context->BluePosition); }
uint8_t PixelAlpha(const PluginContext* context, Pixel pixel) { return ChannelByte(pixel, context->AlphaPosition); }

HostWord HostApplyFilter(PluginContext* context) { return Call<kFnApplyFilter>(context, 0, 0, 0); }

HostWord HostMessage(PluginContext* context, const char* text) { return Call<kFnMessage>(context, Word(text)); }

HostWord HostAskInteger(PluginContext* context, const char* prompt, int32_t* value, int32_t minimum, int32_t maximum) {
  return Call<kFnAskInteger>(context, Word(prompt), Word(value), minimum, maximum);
}

HostWord HostUpdateArea(PluginContext* context, int32_t area0, int32_t area1, int32_t area2, int32_t area3) {
  return Call<kFnUpdateArea>(context, area0, area1, area2, area3);
}

HostWord HostSendCommand(PluginContext* context, const char* command, char* reply) {
  return Call<kFnSendCommand>(context, Word(command), Word(reply));
}

HostWord HostReadProjectImage(PluginContext* context, Pixel* pixels, int32_t width, int32_t height) {
  return Call<kFnReadProjectImage>(context, Word(pixels), 0, 0, width, height, 0, 0);
}

RequesterHandle HostOpenRequester(PluginContext* context, int32_t width, int32_t height, int32_t x, int32_t y,
                                  int32_t flags, const char* title) {
  return Call<kFnOpenRequester>(context, width, height, x, y, flags, Word(title));
}

HostWord HostCloseRequester(PluginContext* context, RequesterHandle requester) {
  return Call<kFnCloseRequester>(context, requester);
}

RequesterHandle HostOpenCallbackRequester(PluginContext* context, int32_t width, int32_t height, int32_t x, int32_t y,
                                          int32_t flags, const char* title, RequesterCallbackFn callback) {
  return Call<kFnOpenCallbackRequester>(context, width, height, x, y, flags, Word(title),
                                        reinterpret_cast<HostWord>(callback));
}

HostWord HostStartCanvasEvents(PluginContext* context, int32_t mask) {
  return Call<kFnStartCanvasEvents>(context, mask, 0, 0);
}

HostWord HostStopCanvasEvents(PluginContext* context) { return Call<kFnStopCanvasEvents>(context, 0, 0, 0); }

HostWord HostUnpackImage(PluginContext* context, const void* packed, Pixel* destination, int32_t pixelCount) {
  return Call<kFnUnpackImage>(context, Word(packed), Word(destination), pixelCount);
}

HostWord HostPopupMenu(PluginContext* context, const MenuItem* items, int32_t itemCount) {
  return Call<kFnPopupMenu>(context, Word(items), itemCount, 0);
}

HostWord HostWriteUserString(PluginContext* context, const char* section, const char* key, const char* value) {
  return Call<kFnWriteUserString>(context, Word(section), Word(key), Word(value));
}

HostWord HostReadUserString(PluginContext* context, const char* section, const char* key, char* buffer,
                            const char* defaultText, int32_t bufferSize) {
  return Call<kFnReadUserString>(context, Word(section), Word(key), Word(buffer), Word(defaultText), bufferSize);
}

HostWord HostOpenConfigFile(PluginContext* context, const char* path) {
  return Call<kFnOpenConfigFile>(context, Word(path), 0);
}

HostWord HostCloseConfigFile(PluginContext* context, HostWord file) {
  return Call<kFnCloseConfigFile>(context, file, 0);
}

HostWord HostReadConfigString(PluginContext* context, HostWord file, const char* section, const char* key, char* buffer,
                              const char* defaultText, int32_t bufferSize) {
  return Call<kFnReadConfigString>(context, file, Word(section), Word(key), Word(buffer), Word(defaultText),
                                   bufferSize);
}

HostWord HostWriteConfigString(PluginContext* context, HostWord file, const char* section, const char* key,
                               const char* value) {
  return Call<kFnWriteConfigString>(context, file, Word(section), Word(key), Word(value));
}

HostWord HostReadLayerImage(PluginContext* context, Pixel* pixels, int32_t byteCount, int32_t layerId) {
  return Call<kFnReadLayerImage>(context, Word(pixels), byteCount, layerId, 1);
}

HostImage* HostAllocImage(PluginContext* context, int32_t width, int32_t height) {
  return reinterpret_cast<HostImage*>(Call<kFnAllocImage>(context, width, height, 0));
}

HostWord HostFreeImage(PluginContext* context, HostImage* image) { return Call<kFnFreeImage>(context, Word(image)); }

HostWord HostAddShortcut(PluginContext* context, const char* label, const char* key) {
  return Call<kFnAddShortcut>(context, Word(label), Word(key));
}

HostWord HostOpenLocalisation(PluginContext* context, const char* fileName) {
  return Call<kFnOpenLocalisation>(context, Word(fileName), 0);
}

HostWord HostCloseLocalisation(PluginContext* context, HostWord handle) {
  return Call<kFnCloseLocalisation>(context, handle);
}

const char* HostLocalisedString(PluginContext* context, HostWord handle, int32_t number) {
  return reinterpret_cast<const char*>(Call<kFnLocalisedString>(context, handle, number));
}

HostWord HostGetAPenPixel(PluginContext* context, Pixel* pixel) { return Call<kFnGetAPenPixel>(context, Word(pixel)); }

HostWord HostGetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t* x, int32_t* y,
                               int32_t* width, int32_t* height) {
  // Built by hand: the answer words are read back out of the pack.
  HostWord pack[PackLength(kFnRequesterOp, kReqGetPlace)] = {kReqGetPlace, requester};
  HostWord result = context->HostDispatch(context, kFnRequesterOp, pack);
  if (result == 0) return 0;
  int32_t* outs[4] = {x, y, width, height};
  for (int i = 0; i < 4; ++i) {
    if (outs[i]) *outs[i] = static_cast<int32_t>(pack[2 + i]);
  }
  return result;
}

HostWord HostSetRequesterTitle(PluginContext* context, RequesterHandle requester, const char* title) {
  return Call<kFnRequesterOp, kReqSetTitle>(context, requester, Word(title));
}

HostWord HostRaiseRequester(PluginContext* context, RequesterHandle requester) {
  return Call<kFnRequesterOp, kReqRaise>(context, requester);
}

HostWord HostSetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  return Call<kFnRequesterOp, kReqSetPlace>(context, requester, x, y, width, height);
}

HostWord HostAddGadget(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y, int32_t width,
                       int32_t height, int32_t gadgetId, int32_t flags, const char* text) {
  return Call<kFnRequesterOp, kReqAddGadget>(context, requester, x, y, width, height, gadgetId, flags, Word(text));
}

HostWord HostRemoveGadget(PluginContext* context, RequesterHandle requester, int32_t gadgetId) {
  return Call<kFnRequesterOp, kReqRemoveGadget>(context, requester, gadgetId);
}

HostWord HostSetGadgetHelp(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text) {
  return Call<kFnRequesterOp, kReqSetGadgetHelp>(context, requester, gadgetId, Word(text));
}

HostWord HostGetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, char* buffer,
                           int32_t bufferSize) {
  return Call<kFnRequesterOp, kReqGetGadgetText>(context, requester, gadgetId, Word(buffer), bufferSize);
}

HostWord HostSetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text) {
  return Call<kFnRequesterOp, kReqSetGadgetText>(context, requester, gadgetId, Word(text));
}

HostWord HostSetPointerTracking(PluginContext* context, RequesterHandle requester, int32_t on) {
  return Call<kFnRequesterOp, kReqSetPointerTracking>(context, requester, on);
}

HostWord HostSetGadgetImage(PluginContext* context, RequesterHandle requester, int32_t gadgetId, HostImage* image) {
  return Call<kFnRequesterOp, kReqSetGadgetImage>(context, requester, gadgetId, Word(image), 0);
}

HostWord HostSetGadgetState(PluginContext* context, RequesterHandle requester, int32_t gadgetId, int32_t flags) {
  return Call<kFnRequesterOp, kReqSetGadgetState>(context, requester, gadgetId, flags);
}

HostWord HostSaveRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                                const char* key) {
  return Call<kFnRequesterOp, kReqSavePlace>(context, requester, Word(section), Word(key));
}

HostWord HostRestoreRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                                   const char* key) {
  return Call<kFnRequesterOp, kReqRestorePlace>(context, requester, Word(section), Word(key));
}

HostWord HostShowRequester(PluginContext* context, RequesterHandle requester) {
  return Call<kFnRequesterOp, kReqShow>(context, requester, 1);
}

HostWord HostOverlayRedraw(PluginContext* context) { return Call<kFnOverlayOp, kOverlayRedraw>(context); }

HostWord HostOverlayLine(PluginContext* context, float x1, float y1, float x2, float y2, Pixel colour) {
  return Call<kFnOverlayOp, kOverlayLine>(context, FloatWord(x1), FloatWord(y1), FloatWord(x2), FloatWord(y2),
                                          static_cast<HostWord>(colour));
}

HostWord HostOverlayDot(PluginContext* context, float x, float y, int32_t size, Pixel colour) {
  return Call<kFnOverlayOp, kOverlayDot>(context, FloatWord(x), FloatWord(y), size, static_cast<HostWord>(colour), 0);
}

HostWord HostOverlayImage(PluginContext* context, float x, float y, const float corners[8], HostImage* image) {
  return Call<kFnOverlayOp, kOverlayImage>(context, FloatWord(x), FloatWord(y), FloatWord(corners[0]),
                                           FloatWord(corners[1]), FloatWord(corners[2]), FloatWord(corners[3]),
                                           FloatWord(corners[4]), FloatWord(corners[5]), FloatWord(corners[6]),
                                           FloatWord(corners[7]), Word(image));
}
