// Tintwell requesters: helpers shared by the requester routines.
// Requester layer; calls only host/ and store/.
#include "requesters/requester_support.h"

#include "core/tw_assert.h"
#include "host/host_calls.h"
#include "store/localisation.h"

void ShowRequesterOpenFailure(PluginContext* context) {
  HostMessage(context, LocalisedText(context, texts::kCantOpenRequester));
}

void CloseWindowAndImage(PluginContext* context, RequesterHandle* requester, HostImage** image,
                         bool stopTracking) {
  TW_ASSERT(requester && image);
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
