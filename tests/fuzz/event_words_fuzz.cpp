// Fuzz target: the words of canvas and panel events, as a hostile host would
// send them: panel callback events of any kind with any gadget, position,
// buttons, pressure and qualifier; PI_Msg of any kind with any words for any
// window; command letters; room names; the LAB dialog's events; host
// failures, careless replies and the user closing windows in between.
//
// Properties: no sanitizer finding, no protocol fault; after every event the
// plug-in's handles and images are exactly the host's open ones, its colour
// records are finite and the current colour within 0..255; after PI_Close
// nothing is left open.
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "core/plugin_state.h"
#include "fuzz_support.h"
#include "host/host_functions.h"
#include "requesters/lab_dialog.h"
#include "support/plugin_holdings.h"

namespace {

bool gPictures = false;

// Careless replies: the next so many commands get this text.
int32_t gCarelessLeft = 0;
std::string gCarelessText;
bool gCarelessUnterminated = false;

bool Careless(const std::string&, std::string* reply) {
  if (gCarelessLeft <= 0) return false;
  --gCarelessLeft;
  *reply = gCarelessText;
  return gCarelessUnterminated;
}

bool Finite(const ColourTriple& c) { return std::isfinite(c.c0) && std::isfinite(c.c1) && std::isfinite(c.c2); }

void CheckSound(simhost::SimHost& host, const char* after) {
  FUZZ_CHECK(host.Faults().empty(), std::string(after) + ": host fault: " + host.Faults().front());
  const std::string holdings = CheckPluginHoldings(host);
  FUZZ_CHECK(holdings.empty(), std::string(after) + ": " + holdings);
  const ColourTriple& rgb = GState.CurrentRgb;
  for (float c : {rgb.c0, rgb.c1, rgb.c2}) FUZZ_CHECK(c >= 0.0f && c <= 255.0f, std::string(after) + ": colour out of range");
  FUZZ_CHECK(Finite(GState.CurrentHsv) && Finite(GState.HueRingHsv) && Finite(GState.SliderCoords),
             std::string(after) + ": a colour record is not finite");
  FUZZ_CHECK(GState.CurrentPixel == RgbToPixel(host.Context(), rgb), std::string(after) + ": CurrentPixel out of step");
}

// A window the plug-in holds (or none, or one it never had).
RequesterHandle AnyWindow(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 6)) {
    case 0: return GState.PanelRequester;
    case 1: return GState.PickRequester;
    case 2: return GState.BrushRequester;
    case 3: return GState.VectorscopeRequester;
    case 4: return GState.LabDialogRequester;
    case 5: return 0;
    default: return input.ConsumeIntegral<int32_t>();
  }
}

std::vector<HostWord> Words(FuzzedDataProvider& input, size_t count) {
  std::vector<HostWord> words;
  for (size_t i = 0; i < count; ++i) words.push_back(input.ConsumeIntegral<int32_t>());
  return words;
}

int32_t AnyPanelGadget(simhost::SimHost& host, FuzzedDataProvider& input) {
  if (input.ConsumeBool()) return input.ConsumeIntegral<int32_t>();
  const simhost::Requester* panel = host.FindRequester(GState.PanelRequester);
  if (!panel || panel->gadgets.empty()) return input.PickValueInArray({100, 110, 150, 151, 152, 153});
  auto it = panel->gadgets.begin();
  std::advance(it, input.ConsumeIntegralInRange<size_t>(0, panel->gadgets.size() - 1));
  return it->first;
}

void PanelEvent(simhost::SimHost& host, FuzzedDataProvider& input) {
  if (!GState.PanelRequester) {
    host.Parameters(nullptr);
    return;
  }
  const int32_t event = input.PickValueInArray({kEventPress, kEventPress, kEventDrag, kEventDrag, kEventRelease,
                                                kEventRelease, kEventPointerMove, kEventRefresh, kEventColourNotice,
                                                kEventTextEdited, kEventArrowStep, 0, 999});
  // Gadget, x, y, buttons, pressure, a spare word, qualifier, then x and y
  // in 16.16 and one more: mostly near the gadgets, any word now and then.
  std::vector<HostWord> words = Words(input, 10);
  words[0] = AnyPanelGadget(host, input);
  if (input.ConsumeBool()) {
    words[1] = input.ConsumeIntegralInRange(-8, 190);
    words[2] = input.ConsumeIntegralInRange(-8, 190);
    words[3] = input.ConsumeIntegralInRange(0, 3);
    words[4] = input.ConsumeIntegralInRange(0, 255);
  }
  host.SendEvent(GState.PanelRequester, event, words);
}

void Message(simhost::SimHost& host, FuzzedDataProvider& input) {
  static const int32_t kKinds[] = {kMsgGadgetPress, kMsgPointerMove,   kMsgOverlayDraw, kMsgRoomChange, kMsgCanvasEnd,
                                   kMsgCanvasPointer, kMsgCanvasPointer, 0,               101,            999};
  const int32_t kind = input.PickValueInArray(kKinds);
  const RequesterHandle window = AnyWindow(input);
  std::vector<HostWord> words = Words(input, 16);
  if (kind == kMsgRoomChange) {
    // Word 0 points to the room's name: the one word that must be valid, so
    // the host's own room change sends it.
    host.ChangeRoom(input.ConsumeRandomLengthString(24));
    return;
  }
  if (kind == kMsgCanvasEnd) {
    host.EndCanvasEvents();
    return;
  }
  if (kind == kMsgCanvasPointer && input.ConsumeBool()) {
    // A plausible stroke point: canvas position in 16.16, event, pressure.
    words[0] = static_cast<HostWord>(static_cast<int32_t>(static_cast<uint32_t>(input.ConsumeIntegralInRange(-10, 80)) << 16));
    words[1] = static_cast<HostWord>(static_cast<int32_t>(static_cast<uint32_t>(input.ConsumeIntegralInRange(-10, 60)) << 16));
    words[2] = input.PickValueInArray({1, 2, -1, -2});
    words[3] = input.ConsumeIntegralInRange(0, 255);
  }
  // Plain requesters' presses and moves come from their own windows.
  if ((kind == kMsgGadgetPress || kind == kMsgPointerMove) && window && host.FindRequester(window) &&
      !host.FindRequester(window)->callback) {
    host.SendEvent(window, kind, words);
  } else {
    host.Message(kind, host.FindRequester(window) ? window : 0, words);
  }
}

void LabEvent(simhost::SimHost& host, FuzzedDataProvider& input) {
  if (!GState.LabDialogRequester) {
    OpenLabDialog(host.Context());
    host.DeliverPendingMessages();
    return;
  }
  const int32_t event = input.PickValueInArray({kEventTextEdited, kEventArrowStep, kEventRelease, kEventPress,
                                                kEventDrag, kEventPointerMove, 0});
  std::vector<HostWord> words = Words(input, 6);
  if (input.ConsumeBool()) words[0] = input.PickValueInArray({400, 401, 402, 403, 404, 405, 410});
  if (event == kEventTextEdited && words[0] >= 400 && words[0] <= 404 && words[0] % 2 == 0) {
    host.SetGadgetTextAsUser(GState.LabDialogRequester, static_cast<int32_t>(words[0]), input.ConsumeRandomLengthString(30));
  }
  host.SendEvent(GState.LabDialogRequester, event, words);
}

void HostDoings(simhost::SimHost& host, FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 9)) {
    case 0: host.FailNextRequesterOpen(input.ConsumeIntegralInRange(1, 3)); break;
    case 1:
      if (gPictures) host.FailNextImageAlloc(input.ConsumeIntegralInRange(1, 3));  // without pictures all fail
      break;
    case 2: host.FailNextConfigFileOpen(1); break;
    case 3:
      gCarelessLeft = input.ConsumeIntegralInRange(1, 20);
      gCarelessUnterminated = input.ConsumeBool();
      gCarelessText = input.ConsumeRandomLengthString(300);
      break;
    case 4:
      // The user closes a window: the panel and the dialog hear of it, the
      // scope does not.
      for (RequesterHandle window : {GState.PanelRequester, GState.LabDialogRequester, GState.VectorscopeRequester}) {
        if (window && host.FindRequester(window) && input.ConsumeBool()) {
          host.UserClosesRequester(window, input.ConsumeIntegralInRange(0, 1));
          break;
        }
      }
      break;
    case 5: host.activeShape = input.ConsumeRandomLengthString(20); break;
    case 6: host.activeTool = input.ConsumeRandomLengthString(20); break;
    case 7: host.drawMode = input.ConsumeRandomLengthString(12); break;
    case 8:
      host.aPen = {input.ConsumeIntegral<uint8_t>(), input.ConsumeIntegral<uint8_t>(), input.ConsumeIntegral<uint8_t>(), 255};
      break;
    default: host.SetPopupMenuAnswer(input.ConsumeIntegralInRange(0, 120)); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // Pictures now and then: they cost most of the time and are the soak's
  // and the picture tests' business. (Not on 0: the fuzzer's inputs are
  // full of zero bytes, which would turn them on far more often.)
  gPictures = input.ConsumeIntegralInRange(0, 7) == 3;
  std::unique_ptr<simhost::SimHost> host = MakeFuzzHost({}, gPictures);
  gCarelessLeft = 0;
  host->SetReplyTamper(Careless);
  if (input.ConsumeBool()) host->SetUserSetting("Tintwell", "room-0palette", "1");
  if (input.ConsumeBool()) host->SetUserSetting("Tintwell", "room-0slider", std::to_string(input.ConsumeIntegralInRange(0, 3)));
  if (input.ConsumeBool()) host->SetUserSetting("Tintwell", "vscope", "1");
  FUZZ_CHECK(host->Open() == 1, "PI_Open failed");
  CheckSound(*host, "PI_Open");

  for (int step = 0; step < 24 && input.remaining_bytes() > 0; ++step) {
    const char* what = "";
    switch (input.ConsumeIntegralInRange(0, 9)) {
      case 0:
      case 1:
      case 2: PanelEvent(*host, input); what = "panel event"; break;
      case 3:
      case 4: Message(*host, input); what = "message"; break;
      case 5: {
        const std::string letters = input.ConsumeRandomLengthString(6);
        host->Parameters(letters.c_str());
        what = "command letters";
        break;
      }
      case 6: LabEvent(*host, input); what = "dialog event"; break;
      default: HostDoings(*host, input); what = "host"; break;
    }
    host->DeliverPendingMessages();
    CheckSound(*host, what);
  }
  host->Close();
  FUZZ_CHECK(host->Faults().empty(), "host fault: " + host->Faults().front());
  const std::string left = CheckNothingLeftOpen(*host);
  FUZZ_CHECK(left.empty(), left);
  return 0;
}
