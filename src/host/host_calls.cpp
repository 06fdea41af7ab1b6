// Tintwell host layer: the typed host operations.
//
// Each pack is a fresh array on the stack; aggregate initialisation writes
// the listed words and zeros up to the pack length, so no word the host may
// read is ever left undefined and no pack is reused across calls.
#include "host/host_calls.h"

#include "core/pixel_bytes.h"

namespace {

HostWord Word(const void* pointer) { return reinterpret_cast<HostWord>(pointer); }

template <int N>
HostWord Dispatch(PluginContext* context, int32_t function, HostWord (&pack)[N]) {
  return context->HostDispatch(context, function, pack);
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

HostWord HostApplyFilter(PluginContext* context) {
  HostWord pack[3] = {0, 0, 0};
  return Dispatch(context, kFnApplyFilter, pack);
}

HostWord HostMessage(PluginContext* context, const char* text) {
  HostWord pack[1] = {Word(text)};
  return Dispatch(context, kFnMessage, pack);
}

HostWord HostAskInteger(PluginContext* context, const char* prompt, int32_t* value, int32_t minimum,
                        int32_t maximum) {
  HostWord pack[4] = {Word(prompt), Word(value), minimum, maximum};
  return Dispatch(context, kFnAskInteger, pack);
}

HostWord HostUpdateArea(PluginContext* context, int32_t area0, int32_t area1, int32_t area2, int32_t area3) {
  HostWord pack[4] = {area0, area1, area2, area3};
  return Dispatch(context, kFnUpdateArea, pack);
}

HostWord HostSendCommand(PluginContext* context, const char* command, char* reply) {
  HostWord pack[2] = {Word(command), Word(reply)};
  return Dispatch(context, kFnSendCommand, pack);
}

HostWord HostReadProjectImage(PluginContext* context, Pixel* pixels, int32_t width, int32_t height) {
  HostWord pack[7] = {Word(pixels), 0, 0, width, height, 0, 0};
  return Dispatch(context, kFnReadProjectImage, pack);
}

RequesterHandle HostOpenRequester(PluginContext* context, int32_t width, int32_t height, int32_t x, int32_t y,
                                  int32_t flags, const char* title) {
  HostWord pack[6] = {width, height, x, y, flags, Word(title)};
  return Dispatch(context, kFnOpenRequester, pack);
}

HostWord HostCloseRequester(PluginContext* context, RequesterHandle requester) {
  HostWord pack[1] = {requester};
  return Dispatch(context, kFnCloseRequester, pack);
}

RequesterHandle HostOpenCallbackRequester(PluginContext* context, int32_t width, int32_t height, int32_t x,
                                          int32_t y, int32_t flags, const char* title,
                                          RequesterCallbackFn callback) {
  HostWord pack[11] = {width, height, x, y, flags, Word(title), reinterpret_cast<HostWord>(callback)};
  return Dispatch(context, kFnOpenCallbackRequester, pack);
}

HostWord HostStartCanvasEvents(PluginContext* context, int32_t mask) {
  HostWord pack[3] = {mask, 0, 0};
  return Dispatch(context, kFnStartCanvasEvents, pack);
}

HostWord HostStopCanvasEvents(PluginContext* context) {
  HostWord pack[3] = {0, 0, 0};
  return Dispatch(context, kFnStopCanvasEvents, pack);
}

HostWord HostUnpackImage(PluginContext* context, const void* packed, Pixel* destination, int32_t pixelCount) {
  HostWord pack[3] = {Word(packed), Word(destination), pixelCount};
  return Dispatch(context, kFnUnpackImage, pack);
}

HostWord HostPopupMenu(PluginContext* context, const MenuItem* items, int32_t itemCount) {
  HostWord pack[3] = {Word(items), itemCount, 0};
  return Dispatch(context, kFnPopupMenu, pack);
}

HostWord HostWriteUserString(PluginContext* context, const char* section, const char* key, const char* value) {
  HostWord pack[5] = {Word(section), Word(key), Word(value)};
  return Dispatch(context, kFnWriteUserString, pack);
}

HostWord HostReadUserString(PluginContext* context, const char* section, const char* key, char* buffer,
                            const char* defaultText, int32_t bufferSize) {
  HostWord pack[5] = {Word(section), Word(key), Word(buffer), Word(defaultText), bufferSize};
  return Dispatch(context, kFnReadUserString, pack);
}

HostWord HostOpenConfigFile(PluginContext* context, const char* path) {
  HostWord pack[6] = {Word(path), 0};
  return Dispatch(context, kFnOpenConfigFile, pack);
}

HostWord HostCloseConfigFile(PluginContext* context, HostWord file) {
  HostWord pack[6] = {file, 0};
  return Dispatch(context, kFnCloseConfigFile, pack);
}

HostWord HostReadConfigString(PluginContext* context, HostWord file, const char* section, const char* key,
                              char* buffer, const char* defaultText, int32_t bufferSize) {
  HostWord pack[8] = {file, Word(section), Word(key), Word(buffer), Word(defaultText), bufferSize};
  return Dispatch(context, kFnReadConfigString, pack);
}

HostWord HostWriteConfigString(PluginContext* context, HostWord file, const char* section, const char* key,
                               const char* value) {
  HostWord pack[9] = {file, Word(section), Word(key), Word(value)};
  return Dispatch(context, kFnWriteConfigString, pack);
}

HostWord HostReadLayerImage(PluginContext* context, Pixel* pixels, int32_t byteCount, int32_t layerId) {
  HostWord pack[5] = {Word(pixels), byteCount, layerId, 1};
  return Dispatch(context, kFnReadLayerImage, pack);
}

HostImage* HostAllocImage(PluginContext* context, int32_t width, int32_t height) {
  HostWord pack[8] = {width, height, 0};
  return reinterpret_cast<HostImage*>(Dispatch(context, kFnAllocImage, pack));
}

HostWord HostFreeImage(PluginContext* context, HostImage* image) {
  HostWord pack[8] = {Word(image)};
  return Dispatch(context, kFnFreeImage, pack);
}

HostWord HostAddShortcut(PluginContext* context, const char* label, const char* key) {
  HostWord pack[6] = {Word(label), Word(key)};
  return Dispatch(context, kFnAddShortcut, pack);
}

HostWord HostOpenLocalisation(PluginContext* context, const char* fileName) {
  HostWord pack[8] = {Word(fileName), 0};
  return Dispatch(context, kFnOpenLocalisation, pack);
}

HostWord HostCloseLocalisation(PluginContext* context, HostWord handle) {
  HostWord pack[8] = {handle};
  return Dispatch(context, kFnCloseLocalisation, pack);
}

const char* HostLocalisedString(PluginContext* context, HostWord handle, int32_t number) {
  HostWord pack[8] = {handle, number};
  return reinterpret_cast<const char*>(Dispatch(context, kFnLocalisedString, pack));
}

HostWord HostGetAPenPixel(PluginContext* context, Pixel* pixel) {
  HostWord pack[8] = {Word(pixel)};
  return Dispatch(context, kFnGetAPenPixel, pack);
}

HostWord HostGetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t* x, int32_t* y,
                               int32_t* width, int32_t* height) {
  HostWord pack[6] = {kReqGetPlace, requester};
  HostWord result = Dispatch(context, kFnRequesterOp, pack);
  if (result == 0) return 0;
  int32_t* outs[4] = {x, y, width, height};
  for (int i = 0; i < 4; ++i) {
    if (outs[i]) *outs[i] = static_cast<int32_t>(pack[2 + i]);
  }
  return result;
}

HostWord HostSetRequesterTitle(PluginContext* context, RequesterHandle requester, const char* title) {
  HostWord pack[6] = {kReqSetTitle, requester, Word(title)};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostRaiseRequester(PluginContext* context, RequesterHandle requester) {
  HostWord pack[2] = {kReqRaise, requester};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSetRequesterPlace(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y,
                               int32_t width, int32_t height) {
  HostWord pack[7] = {kReqSetPlace, requester, x, y, width, height};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostAddGadget(PluginContext* context, RequesterHandle requester, int32_t x, int32_t y, int32_t width,
                       int32_t height, int32_t gadgetId, int32_t flags, const char* text) {
  HostWord pack[9] = {kReqAddGadget, requester, x, y, width, height, gadgetId, flags, Word(text)};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostRemoveGadget(PluginContext* context, RequesterHandle requester, int32_t gadgetId) {
  HostWord pack[3] = {kReqRemoveGadget, requester, gadgetId};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSetGadgetHelp(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text) {
  HostWord pack[4] = {kReqSetGadgetHelp, requester, gadgetId, Word(text)};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostGetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, char* buffer,
                           int32_t bufferSize) {
  HostWord pack[5] = {kReqGetGadgetText, requester, gadgetId, Word(buffer), bufferSize};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSetGadgetText(PluginContext* context, RequesterHandle requester, int32_t gadgetId, const char* text) {
  HostWord pack[5] = {kReqSetGadgetText, requester, gadgetId, Word(text)};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSetPointerTracking(PluginContext* context, RequesterHandle requester, int32_t on) {
  HostWord pack[5] = {kReqSetPointerTracking, requester, on};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSetGadgetImage(PluginContext* context, RequesterHandle requester, int32_t gadgetId, HostImage* image) {
  HostWord pack[11] = {kReqSetGadgetImage, requester, gadgetId, Word(image), 0};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSetGadgetState(PluginContext* context, RequesterHandle requester, int32_t gadgetId, int32_t flags) {
  HostWord pack[5] = {kReqSetGadgetState, requester, gadgetId, flags};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostSaveRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                                const char* key) {
  HostWord pack[6] = {kReqSavePlace, requester, Word(section), Word(key)};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostRestoreRequesterPlace(PluginContext* context, RequesterHandle requester, const char* section,
                                   const char* key) {
  HostWord pack[6] = {kReqRestorePlace, requester, Word(section), Word(key)};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostShowRequester(PluginContext* context, RequesterHandle requester) {
  HostWord pack[6] = {kReqShow, requester, 1};
  return Dispatch(context, kFnRequesterOp, pack);
}

HostWord HostOverlayRedraw(PluginContext* context) {
  HostWord pack[8] = {kOverlayRedraw};
  return Dispatch(context, kFnOverlayOp, pack);
}

HostWord HostOverlayLine(PluginContext* context, float x1, float y1, float x2, float y2, Pixel colour) {
  HostWord pack[8] = {kOverlayLine, FloatWord(x1), FloatWord(y1), FloatWord(x2), FloatWord(y2),
                      static_cast<HostWord>(colour)};
  return Dispatch(context, kFnOverlayOp, pack);
}

HostWord HostOverlayDot(PluginContext* context, float x, float y, int32_t size, Pixel colour) {
  HostWord pack[9] = {kOverlayDot, FloatWord(x), FloatWord(y), size, static_cast<HostWord>(colour), 0};
  return Dispatch(context, kFnOverlayOp, pack);
}

HostWord HostOverlayImage(PluginContext* context, float x, float y, const float corners[8], HostImage* image) {
  HostWord pack[12] = {kOverlayImage, FloatWord(x), FloatWord(y)};
  for (int i = 0; i < 8; ++i) pack[3 + i] = FloatWord(corners[i]);
  pack[11] = Word(image);
  return Dispatch(context, kFnOverlayOp, pack);
}
