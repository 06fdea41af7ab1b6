// Tintwell requesters: helpers shared by the requester routines.
// Requester layer; calls only host/ and store/.
#include "requesters/requester_support.h"

#include "requesters/vectorscope_window.h"
#include "core/plugin_state.h"
#include "core/tw_assert.h"
#include "host/host_calls.h"
#include "store/localisation.h"

void ShowRequesterOpenFailure(PluginContext* context) {
  HostMessage(context, LocalisedText(context, texts::kCantOpenRequester));
}

void CloseWindowAndImage(PluginContext* context, RequesterHandle* requester, HostImage** image,
                         bool stopTracking) {
  TW_ASSERT(requester && image && "the places of a window handle and of its image");
  const RequesterHandle window = *requester;
  HostImage* const picture = *image;
  *requester = 0;
  *image = nullptr;
  if (window) {
    if (stopTracking) HostSetPointerTracking(context, window, 0);
    HostCloseRequester(context, window);
  }
  if (picture) HostFreeImage(context, picture);
}

void ForgetReusedHandle(PluginContext* context, RequesterHandle handle, const RequesterHandle* keep) {
  if (!handle) return;
  const auto stale = [&](const RequesterHandle& held) { return &held != keep && held == handle; };
  if (stale(GState.PanelRequester)) GState.PanelRequester = 0;
  if (stale(GState.LabDialogRequester)) GState.LabDialogRequester = 0;
  if (stale(GState.PickRequester)) {
    HostImage* const image = GState.PickImage;
    GState.PickRequester = 0;
    GState.PickImage = nullptr;
    if (image) HostFreeImage(context, image);
  }
  if (stale(GState.BrushRequester)) {
    HostImage* const image = GState.BrushImage;
    GState.BrushRequester = 0;
    GState.BrushImage = nullptr;
    if (image) HostFreeImage(context, image);
  }
  if (stale(GState.VectorscopeRequester)) {
    GState.VectorscopeRequester = 0;
    ReleaseScopePicture(context);
  }
}
