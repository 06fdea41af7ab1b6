// Tintwell requesters: the LAB reference dialog.
//
// A small callback requester in which the user sets the reference white
// (Xn, Yn, Zn) the Lab conversions use: one number field per component with
// arrows beside it, and a button that puts the defaults back.
//   100 opened       -> fields, arrows and button; fields show the white
//   106 text edited  -> the field is read, clamped to 0..800 and shown again
//   212 arrow step   -> the component moves by 1 (0.1 fine) per step, clamped
//   201 Reset        -> the defaults, and the gradient table is read again
//   101 closing      -> the white is stored and the handle cleared
// Every change redraws the palette, which is where the white shows.
// Requester layer; calls host/, colour/, store/ and panel/.
#include "requesters/lab_dialog.h"

#include "colour/current_colour.h"
#include "core/host_boundary.h"
#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "panel/panel_images.h"
#include "requesters/requester_support.h"
#include "store/localisation.h"
#include "store/settings.h"

namespace {

constexpr int32_t kLabDialogWidth = 185;
constexpr int32_t kLabDialogHeight = 83;
constexpr int32_t kLabDialogX = 200;
constexpr int32_t kLabDialogY = 200;

// Gadgets: component i has its field at 400 + 2i and its arrows at 401 + 2i.
constexpr int32_t kFieldGadgetBase = 400;
constexpr int32_t kResetGadget = 410;
constexpr int32_t kComponentCount = 3;

constexpr int32_t kFieldX = 1;
constexpr int32_t kFieldWidth = 159;
constexpr int32_t kArrowsX = 162;
constexpr int32_t kArrowsWidth = 20;
constexpr int32_t kRowTop = 2;
constexpr int32_t kRowStep = 20;
constexpr int32_t kRowHeight = 17;
constexpr int32_t kResetX = 1;
constexpr int32_t kResetY = 62;
constexpr int32_t kResetWidth = 182;

// Words of the event record.
constexpr int kArgGadget = 0;
constexpr int kArgSteps = 1;      // arrow steps, signed
constexpr int kArgFineStep = 3;   // non-zero: steps of one tenth

// The host copies a field's text into a buffer of this size.
constexpr int32_t kFieldReadSize = 16;

// Each component stays within this range, whatever is typed.
constexpr float kWhiteMin = 0.0f;
constexpr float kWhiteMax = 800.0f;
constexpr float kArrowStep = 1.0f;
constexpr float kArrowFineStep = 0.1f;

// The default white, 0.1 above D65 in each component, and its field texts.
constexpr float kDefaultWhite[kComponentCount] = {95.147f, 100.1f, 108.983f};

int32_t FieldGadget(int32_t component) { return kFieldGadgetBase + 2 * component; }
int32_t ArrowsGadget(int32_t component) { return kFieldGadgetBase + 2 * component + 1; }

// The component of a field or arrows gadget id, or -1.
int32_t ComponentOf(HostWord gadget, int32_t firstId) {
  for (int32_t i = 0; i < kComponentCount; ++i) {
    if (gadget == firstId + 2 * i) return i;
  }
  return -1;
}

float ClampWhite(float value) {
  // Also turns a NaN into the lower bound.
  if (!(value >= kWhiteMin)) return kWhiteMin;
  return value > kWhiteMax ? kWhiteMax : value;
}

void ShowComponent(PluginContext* context, RequesterHandle dialog, int32_t component) {
  char text[kSettingFloatTextSize];
  FormatSettingFloat(GState.ReferenceWhite[component], text, sizeof text);
  HostSetGadgetText(context, dialog, FieldGadget(component), text);
}

void BuildDialog(PluginContext* context, RequesterHandle dialog) {
  for (int32_t i = 0; i < kComponentCount; ++i) {
    const int32_t y = kRowTop + kRowStep * i;
    HostAddGadget(context, dialog, kFieldX, y, kFieldWidth, kRowHeight, FieldGadget(i), kGadgetNumberField, nullptr);
    HostAddGadget(context, dialog, kArrowsX, y, kArrowsWidth, kRowHeight, ArrowsGadget(i), kGadgetArrows, nullptr);
  }
  HostAddGadget(context, dialog, kResetX, kResetY, kResetWidth, kRowHeight, kResetGadget, kGadgetButton,
                LocalisedText(context, texts::kLabDialogReset));
  for (int32_t i = 0; i < kComponentCount; ++i) ShowComponent(context, dialog, i);
}

void FieldEdited(PluginContext* context, RequesterHandle dialog, int32_t component) {
  char text[kFieldReadSize + 1] = {};
  HostGetGadgetText(context, dialog, FieldGadget(component), text, kFieldReadSize);
  text[kFieldReadSize] = '\0';
  // Text that is no number reads as 0 and is then clamped like any value.
  GState.ReferenceWhite[component] = ClampWhite(ParseSettingFloat(text, sizeof text));
  ShowComponent(context, dialog, component);
  BuildPaletteImage(context);
}

void ArrowStepped(PluginContext* context, RequesterHandle dialog, int32_t component, const HostWord* args) {
  const float step = args[kArgFineStep] ? kArrowFineStep : kArrowStep;
  const int32_t steps = static_cast<int32_t>(args[kArgSteps]);
  GState.ReferenceWhite[component] =
      ClampWhite(GState.ReferenceWhite[component] + step * static_cast<float>(steps));
  ShowComponent(context, dialog, component);
  BuildPaletteImage(context);
}

void ResetWhite(PluginContext* context, RequesterHandle dialog) {
  for (int32_t i = 0; i < kComponentCount; ++i) {
    GState.ReferenceWhite[i] = kDefaultWhite[i];
    ShowComponent(context, dialog, i);
  }
  LoadGradientTable(context);
  BuildPaletteImage(context);
}

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
  ForgetReusedHandle(context, dialog, &GState.LabDialogRequester);
  GState.LabDialogRequester = dialog;
}

void CloseLabDialog(PluginContext* context) {
  const RequesterHandle dialog = GState.LabDialogRequester;
  if (!dialog) return;
  GState.LabDialogRequester = 0;
  HostCloseRequester(context, dialog);
}

namespace {

void DialogEvent(PluginContext* context, int32_t event, HostWord requester, HostWord* args) {
  switch (event) {
    case kEventOpened:
      BuildDialog(context, requester);
      break;
    case kEventTextEdited: {
      const int32_t component = args ? ComponentOf(args[kArgGadget], kFieldGadgetBase) : -1;
      if (component >= 0) FieldEdited(context, requester, component);
      break;
    }
    case kEventArrowStep: {
      const int32_t component = args ? ComponentOf(args[kArgGadget], kFieldGadgetBase + 1) : -1;
      if (component >= 0) ArrowStepped(context, requester, component, args);
      break;
    }
    case kEventRelease:
      if (args && args[kArgGadget] == kResetGadget) ResetWhite(context, requester);
      break;
    case kEventClosing:
      SaveReferenceWhite(context);
      GState.LabDialogRequester = 0;
      break;
    default:
      break;
  }
}

}  // namespace

int32_t TW_CALL LabDialogEvents(PluginContext* context, int32_t event, HostWord requester, HostWord* args) {
  return Guarded(
      [&] {
        // Events of the dialog under a value the plug-in holds for another
        // window: that window is gone.
        ForgetReusedHandle(context, requester, &GState.LabDialogRequester);
        DialogEvent(context, event, requester, args);
        return 1;
      },
      1);
}
