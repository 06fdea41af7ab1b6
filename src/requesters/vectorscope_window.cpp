// Tintwell requesters: the "Vectorscope" window. Its place is kept in memory
// while the plug-in runs so that it reopens where the user left it; the
// picture inside is drawn by colour/vectorscope, one fresh picture for each
// update, and the picture shown before is freed once the new one is shown, so
// the window holds one live picture at most. The user may close the
// window from the host at any time without the plug-in hearing of it, so the
// handle is confirmed with the host before it is used.
// Requester layer; calls host/, colour/ and store/.
#include "requesters/vectorscope_window.h"

#include "colour/vectorscope.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_images.h"
#include "requesters/requester_support.h"
#include "store/localisation.h"

namespace {

constexpr int32_t kScopeSize = 185;  // square window

constexpr int32_t kScopeGadgetX = 1;
constexpr int32_t kScopeGadgetY = 2;
constexpr int32_t kScopeGadgetWidth = 182;
constexpr int32_t kScopeGadgetHeight = 181;

}  // namespace

void OpenScopeWindow(PluginContext* context) {
  if (GState.VectorscopeMode == kScopeOff || ScopeWindowStillOpen(context)) return;
  const RequesterHandle scope =
      HostOpenRequester(context, kScopeSize, kScopeSize, GState.VectorscopeX, GState.VectorscopeY,
                        kReqFlagsVectorscope, LocalisedText(context, texts::kVectorscopeTitle));
  if (!scope) {
    ShowRequesterOpenFailure(context);
    return;
  }
  ForgetReusedHandle(context, scope, nullptr);
  GState.VectorscopeRequester = scope;
  HostAddGadget(context, scope, kScopeGadgetX, kScopeGadgetY, kScopeGadgetWidth, kScopeGadgetHeight, kScopeGadget,
                kGadgetImage, nullptr);
}

void CloseScopeWindow(PluginContext* context) {
  // Its place is read on the way; a window the user already closed is only
  // forgotten.
  if (!ScopeWindowStillOpen(context)) return;
  const RequesterHandle scope = GState.VectorscopeRequester;
  GState.VectorscopeRequester = 0;
  HostCloseRequester(context, scope);
  ReleaseScopePicture(context);
}

void VectorscopeUpdate(PluginContext* context, Pixel pixel) {
  if (!ScopeWindowStillOpen(context)) return;
  const RequesterHandle scope = GState.VectorscopeRequester;
  const bool vector = GState.VectorscopeMode == kScopeVector;
  // Without memory for a new picture the window keeps showing the last one.
  HostImage* image = AllocExactImage(context, kScopePictureSize, kScopePictureSize);
  if (!image) return;
  DrawScopePicture(context, image, pixel, vector);
  ShowHeldImage(context, scope, kScopeGadget, image, &GState.VectorscopeImage);
}

void ReleaseScopePicture(PluginContext* context) { FreeHeldImage(context, &GState.VectorscopeImage); }

bool ScopeWindowStillOpen(PluginContext* context) {
  const RequesterHandle scope = GState.VectorscopeRequester;
  if (!scope) return false;
  // A failed query leaves the remembered place as it was.
  if (HostGetRequesterPlace(context, scope, &GState.VectorscopeX, &GState.VectorscopeY, nullptr, nullptr)) {
    return true;
  }
  GState.VectorscopeRequester = 0;
  ReleaseScopePicture(context);
  return false;
}
