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

// Dispatches one call and returns the host's word. Only calls whose result
// the protocol gives a meaning may hand it on (`Call`); the others go through
// `Send`, which returns nothing, so no caller can test an answer the host
// never promised.
template <int32_t Function, int32_t Sub = kNoSubOperation, typename... Words>
HostWord Dispatch(PluginContext* context, Words... words) {
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

template <int32_t Function, int32_t Sub = kNoSubOperation, typename... Words>
HostWord Call(PluginContext* context, Words... words) {
  static_assert(kHostCalls[HostCallIndex(Function, Sub)].resultUsed, "the host promises nothing in this result");
  return Dispatch<Function, Sub>(context, words...);
}

template <int32_t Function, int32_t Sub = kNoSubOperation, typename... Words>
void Send(PluginContext* context, Words... words) {
  static_assert(!kHostCalls[HostCallIndex(Function, Sub)].resultUsed, "this call's result must be handed on");
  Dispatch<Function, Sub>(context, words...);
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

void HostApplyFilter(PluginContext* context) { Send<kFnApplyFilter>(context, 0, 0, 0); }

void HostMessage(PluginContext* context, const char* text) { Send<kFnMessage>(context, Word(text)); }

void HostAskInteger(PluginContext* context, const char* prompt, int32_t* value, int32_t minimum, int32_t maximum) {
  Send<kFnAskInteger>(context, Word(prompt), Word(value), minimum, maximum);
}

void HostUpdateArea(PluginContext* context, int32_t area0, int32_t area1, int32_t area2, int32_t area3) {
  Send<kFnUpdateArea>(context, area0, area1, area2, area3);
}

void HostSendCommand(PluginContext* context, const char* command, char* reply) {
  Send<kFnSendCommand>(context, Word(command), Word(reply));
}

void HostReadProjectImage(PluginContext* context, Pixel* pixels, int32_t width, int32_t height) {
  Send<kFnReadProjectImage>(context, Word(pixels), 0, 0, width, height, 0, 0);
}

RequesterHandle HostOpenRequester(PluginContext* context, int32_t width, int32_t height, int32_t x, int32_t y,
                                  int32_t flags, const char* title) {
  return Call<kFnOpenRequester>(context, width, height, x, y, flags, Word(title));
}

void HostCloseRequester(PluginContext* context, RequesterHandle requester) {
  Send<kFnCloseRequester>(context, requester);
}

RequesterHandle HostOpenCallbackRequester(PluginContext* context, int32_t width, int32_t height, int32_t x, int32_t y,
                                          int32_t flags, const char* title, RequesterCallbackFn callback) {
  return Call<kFnOpenCallbackRequester>(context, width, height, x, y, flags, Word(title),
                                        reinterpret_cast<HostWord>(callback));
}

void HostStartCanvasEvents(PluginContext* context, int32_t mask) {
  Send<kFnStartCanvasEvents>(context, mask, 0, 0);
}

void HostStopCanvasEvents(PluginContext* context) { Send<kFnStopCanvasEvents>(context, 0, 0, 0); }

void HostUnpackImage(PluginContext* context, const void* packed, Pixel* destination, int32_t pixelCount) {
  Send<kFnUnpackImage>(context, Word(packed), Word(destination), pixelCount);
}

HostWord HostPopupMenu(PluginContext* context, const MenuItem* items, int32_t itemCount) {
  return Call<kFnPopupMenu>(context, Word(items), itemCount, 0);
}

void HostWriteUserString(PluginContext* context, const char* section, const char* key, const char* value) {
  Send<kFnWriteUserString>(context, Word(section), Word(key), Word(value));
}

void HostReadUserString(PluginContext* context, const char* section, const char* key, char* buffer,
                            const char* defaultText, int32_t bufferSize) {
  Send<kFnReadUserString>(context, Word(section), Word(key), Word(buffer), Word(defaultText), bufferSize);
}

HostWord HostOpenConfigFile(PluginContext* context, const char* path) {
  return Call<kFnOpenConfigFile>(context, Word(path), 0);
}

void HostCloseConfigFile(PluginContext* context, HostWord file) {
  Send<kFnCloseConfigFile>(context, file, 0);
}

void HostReadConfigString(PluginContext* context, HostWord file, const char* section, const char* key, char* buffer,
                              const char* defaultText, int32_t bufferSize) {
  Send<kFnReadConfigString>(context, file, Word(section), Word(key), Word(buffer), Word(defaultText),
                                   bufferSize);
}

void HostWriteConfigString(PluginContext* context, HostWord file, const char* section, const char* key,
                               const char* value) {
  Send<kFnWriteConfigString>(context, file, Word(section), Word(key), Word(value));
}

void HostReadLayerImage(PluginContext* context, Pixel* pixels, int32_t byteCount, int32_t layerId) {
  Send<kFnReadLayerImage>(context, Word(pixels), byteCount, layerId, 1);
}

HostImage* HostAllocImage(PluginContext* context, int32_t width, int32_t height) {
  return reinterpret_cast<HostImage*>(Call<kFnAllocImage>(context, width, height, 0));
}

void HostFreeImage(PluginContext* context, HostImage* image) { Send<kFnFreeImage>(context, Word(image)); }

void HostAddShortcut(PluginContext* context, const char* label, const char* key) {
  Send<kFnAddShortcut>(context, Word(label), Word(key));
}

HostWord HostOpenLocalisation(PluginContext* context, const char* fileName) {
  return Call<kFnOpenLocalisation>(context, Word(fileName), 0);
}

void HostCloseLocalisation(PluginContext* context, HostWord handle) {
  Send<kFnCloseLocalisation>(context, handle);
}

const char* HostLocalisedString(PluginContext* context, HostWord handle, int32_t number) {
  return reinterpret_cast<const char*>(Call<kFnLocalisedString>(context, handle, number));
}

void HostGetAPenPixel(PluginContext* context, Pixel* pixel) { Send<kFnGetAPenPixel>(context, Word(pixel)); }

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

void HostSetRequesterTitle(PluginContext* context, RequesterHandle requester, const char* title) {
  Send<kFnRequesterOp, kReqSetTitle>(context, requester, Word(title));
}

void HostRaiseRequester(PluginContext* context, RequesterHandle requester) {
  Send<kFnRequesterOp, kReqRaise>(context, requester);
}

void HostSetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  Send<kFnRequesterOp, kReqSetPlace>(context, requester, x, y, width, height);
}

void HostAddGadget(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y, int32_t width,
                       int32_t height, int32_t gadgetId, int32_t flags, const char* text) {
  Send<kFnRequesterOp, kReqAddGadget>(context, requester, x, y, width, height, gadgetId, flags, Word(text));
}

void HostRemoveGadget(PluginContext* context, RequesterHandle requester, int32_t gadgetId) {
  Send<kFnRequesterOp, kReqRemoveGadget>(context, requester, gadgetId);
}

void HostSetGadgetHelp(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text) {
  Send<kFnRequesterOp, kReqSetGadgetHelp>(context, requester, gadgetId, Word(text));
}

void HostGetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, char* buffer,
                           int32_t bufferSize) {
  Send<kFnRequesterOp, kReqGetGadgetText>(context, requester, gadgetId, Word(buffer), bufferSize);
}

void HostSetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text) {
  Send<kFnRequesterOp, kReqSetGadgetText>(context, requester, gadgetId, Word(text));
}

void HostSetPointerTracking(PluginContext* context, RequesterHandle requester, int32_t on) {
  Send<kFnRequesterOp, kReqSetPointerTracking>(context, requester, on);
}

void HostSetGadgetImage(PluginContext* context, RequesterHandle requester, int32_t gadgetId, HostImage* image) {
  Send<kFnRequesterOp, kReqSetGadgetImage>(context, requester, gadgetId, Word(image), 0);
}

void HostSetGadgetState(PluginContext* context, RequesterHandle requester, int32_t gadgetId, int32_t flags) {
  Send<kFnRequesterOp, kReqSetGadgetState>(context, requester, gadgetId, flags);
}

void HostSaveRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                                const char* key) {
  Send<kFnRequesterOp, kReqSavePlace>(context, requester, Word(section), Word(key));
}

void HostRestoreRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                                   const char* key) {
  Send<kFnRequesterOp, kReqRestorePlace>(context, requester, Word(section), Word(key));
}

void HostShowRequester(PluginContext* context, RequesterHandle requester) {
  Send<kFnRequesterOp, kReqShow>(context, requester, 1);
}

void HostOverlayRedraw(PluginContext* context) { Send<kFnOverlayOp, kOverlayRedraw>(context); }

void HostOverlayLine(PluginContext* context, float x1, float y1, float x2, float y2, Pixel colour) {
  Send<kFnOverlayOp, kOverlayLine>(context, FloatWord(x1), FloatWord(y1), FloatWord(x2), FloatWord(y2),
                                          static_cast<HostWord>(colour));
}

void HostOverlayDot(PluginContext* context, float x, float y, int32_t size, Pixel colour) {
  Send<kFnOverlayOp, kOverlayDot>(context, FloatWord(x), FloatWord(y), size, static_cast<HostWord>(colour), 0);
}

void HostOverlayImage(PluginContext* context, float x, float y, const float corners[8], HostImage* image) {
  Send<kFnOverlayOp, kOverlayImage>(context, FloatWord(x), FloatWord(y), FloatWord(corners[0]),
                                           FloatWord(corners[1]), FloatWord(corners[2]), FloatWord(corners[3]),
                                           FloatWord(corners[4]), FloatWord(corners[5]), FloatWord(corners[6]),
                                           FloatWord(corners[7]), Word(image));
}
