// Tintwell requesters: opening the LAB reference dialog. Its gadgets and
// events belong to the dialog's own callback, which also clears the handle
// when the dialog closes.
// Requester layer; calls host/, store/ and the dialog's callback.
#include "requesters/lab_dialog_window.h"

#include "host/host_calls.h"
#include "panel/lab_dialog.h"
#include "plugin/plugin_state.h"
#include "requesters/requester_support.h"
#include "store/localisation.h"

namespace {

constexpr int32_t kLabDialogWidth = 185;
constexpr int32_t kLabDialogHeight = 83;
constexpr int32_t kLabDialogX = 200;
constexpr int32_t kLabDialogY = 200;

}  // namespace

void OpenLabDialog(PluginContext* context) {
  if (GState.LabDialogRequester) return;
  const RequesterHandle dialog =
      HostOpenCallbackRequester(context, kLabDialogWidth, kLabDialogHeight, kLabDialogX, kLabDialogY,
                                kReqFlagsLabDialog, LocalisedText(context, texts::kLabDialogTitle), LabDialogEvents);
  if (!dialog) {
    ShowRequesterOpenFailure(context);
    return;
  }
  GState.LabDialogRequester = dialog;
}
