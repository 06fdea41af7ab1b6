// Fuzz target: what comes back from the user through the host's dialogues:
// the option menu's chosen id (any word), the pressure question's answer
// (any number, or cancelled), and the LAB dialog's typed fields (any bytes),
// arrow steps (any count) and other events with any argument words.
//
// Properties: an id the shown menu does not carry changes nothing and calls
// nothing more; the pressure sensitivity stays in 64..255 or is a mouse
// mode; each typed field reads as the C library reads its text (within the
// host's 16-byte copy), clamped to 0..800, and shows that value again; an
// arrow step moves by 1 or 0.1 per step, clamped; the white stays finite in
// 0..800 and is stored, on closing, as the text it reads back from; no host
// fault, nothing left open after PI_Close.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "fuzz_support.h"
#include "host/host_functions.h"
#include "interact/panel_menu.h"
#include "requesters/lab_dialog.h"
#include "store/settings.h"
#include "support/plugin_holdings.h"

namespace {

constexpr int32_t kFieldGadget[3] = {400, 402, 404};
constexpr int32_t kArrowGadget[3] = {401, 403, 405};
constexpr int32_t kResetGadget = 410;
constexpr size_t kFieldCopy = 15;  // the host copies a field into 16 bytes
const char* const kWhiteKeys[3] = {"lab_ref_x", "lab_ref_y", "lab_ref_z"};
constexpr float kDefaultWhite[3] = {95.147f, 100.1f, 108.983f};

struct Options {
  int32_t values[15];
  float sizeLock;
};

Options Snapshot() {
  return {{GState.ShowPalette, GState.SliderMode, GState.VectorscopeMode, GState.LumaLock, GState.PressureSensitivity,
           GState.XyzMixMode, GState.AggressiveAutosample, GState.PaintModeBits, GState.AutoTrimPending,
           GState.GamutMode, GState.PopHelp, GState.ShowFxBrush, GState.LightMode, GState.BrushSizeLock,
           GState.CieHsvMode},
          GState.BrushSizeLockSize};
}

bool Same(const Options& a, const Options& b) {
  return std::equal(std::begin(a.values), std::end(a.values), std::begin(b.values)) &&
         BitsOfFloat(a.sizeLock) == BitsOfFloat(b.sizeLock);
}

float Clamp(float value) {
  if (!(value >= 0.0f)) return 0.0f;
  return value > 800.0f ? 800.0f : value;
}

void CheckWhite() {
  for (float component : GState.ReferenceWhite) {
    FUZZ_CHECK(std::isfinite(component) && component >= 0.0f && component <= 800.0f, "white out of range");
  }
}

void CheckSound(simhost::SimHost& host) {
  FUZZ_CHECK(host.Faults().empty(), "host fault: " + host.Faults().front());
  const std::string holdings = CheckPluginHoldings(host);
  FUZZ_CHECK(holdings.empty(), holdings);
  CheckWhite();
}

void ChooseFromMenu(simhost::SimHost& host, FuzzedDataProvider& input) {
  const bool shownId = input.ConsumeBool();
  const int32_t anyId = input.ConsumeIntegral<int32_t>();
  const std::optional<int32_t> answer =
      input.ConsumeBool() ? std::optional<int32_t>(input.ConsumeIntegral<int32_t>()) : std::nullopt;
  host.SetAskIntegerAnswer(answer);
  // An id the last menu carried, or any word.
  int32_t id = anyId;
  if (shownId && !host.PopupMenus().empty() && !host.PopupMenus().back().items.empty()) {
    const auto& items = host.PopupMenus().back().items;
    id = items[static_cast<size_t>(anyId & 0x7fffffff) % items.size()].id;
  }
  host.SetPopupMenuAnswer(id);
  host.ClearRecords();
  const Options before = Snapshot();
  const int32_t sensitivityBefore = GState.PressureSensitivity;
  RunOptionMenu(host.Context());
  FUZZ_CHECK(!host.PopupMenus().empty(), "no menu shown");
  bool carried = false;
  for (const simhost::MenuItemRecord& item : host.PopupMenus().back().items) carried = carried || (id != 0 && item.id == id);
  if (!carried) {
    FUZZ_CHECK(Same(before, Snapshot()), "id " + std::to_string(id) + " not in the menu changed an option");
    FUZZ_CHECK(host.Calls().back().function == kFnPopupMenu, "id not in the menu called the host");
  }
  // As the host does once the panel event that showed the menu returns.
  host.DeliverPendingMessages();
  const int32_t sensitivity = GState.PressureSensitivity;
  if (sensitivity != sensitivityBefore) {
    FUZZ_CHECK(sensitivity <= 0 || (sensitivity >= 64 && sensitivity <= 255),
               "pressure sensitivity " + std::to_string(sensitivity));
  }
}

void EditField(simhost::SimHost& host, FuzzedDataProvider& input) {
  const RequesterHandle dialog = GState.LabDialogRequester;
  const int component = input.ConsumeIntegralInRange(0, 2);
  const std::string typed = input.ConsumeRandomLengthString(40);
  host.SetGadgetTextAsUser(dialog, kFieldGadget[component], typed);
  host.SendEvent(dialog, kEventTextEdited, {kFieldGadget[component]});
  const std::string copied = BoundedText(typed.c_str(), kFieldCopy);
  const float expected = Clamp(ReferenceFloat(copied));
  FUZZ_CHECK(BitsOfFloat(GState.ReferenceWhite[component]) == BitsOfFloat(expected), "field \"" + copied + "\"");
  const simhost::Requester* shown = host.FindRequester(dialog);
  FUZZ_CHECK(shown, "dialog gone");
  char text[kSettingFloatTextSize];
  FormatSettingFloat(expected, text, sizeof text);
  FUZZ_CHECK(shown->gadgets.at(kFieldGadget[component]).text == text, "field shows " + std::string(text));
}

void StepArrows(simhost::SimHost& host, FuzzedDataProvider& input) {
  const int component = input.ConsumeIntegralInRange(0, 2);
  const int32_t steps = input.ConsumeIntegral<int32_t>();
  const bool fine = input.ConsumeBool();
  const float expected = Clamp(GState.ReferenceWhite[component] + (fine ? 0.1f : 1.0f) * static_cast<float>(steps));
  host.SendEvent(GState.LabDialogRequester, kEventArrowStep, {kArrowGadget[component], steps, 0, fine ? 1 : 0});
  FUZZ_CHECK(BitsOfFloat(GState.ReferenceWhite[component]) == BitsOfFloat(expected), "arrow step");
}

void AnyDialogEvent(simhost::SimHost& host, FuzzedDataProvider& input) {
  // Any event but the host's own opening and closing ones, any words.
  int32_t event = input.PickValueInArray({kEventTextEdited, kEventArrowStep, kEventRelease, kEventPress,
                                          kEventDrag, kEventPointerMove, kEventRefresh, 0, 999});
  std::vector<HostWord> words;
  for (int i = 0; i < 6; ++i) words.push_back(input.ConsumeIntegral<int32_t>());
  if (input.ConsumeBool()) words[0] = input.PickValueInArray({400, 401, 402, 403, 404, 405, 410, 0});
  host.SendEvent(GState.LabDialogRequester, event, words);
  if (event == kEventRelease && words[0] == kResetGadget) {
    for (int i = 0; i < 3; ++i) FUZZ_CHECK(GState.ReferenceWhite[i] == kDefaultWhite[i], "reset");
  }
}

void CloseDialog(simhost::SimHost& host) {
  float white[3];
  std::copy(std::begin(GState.ReferenceWhite), std::end(GState.ReferenceWhite), white);
  host.UserClosesRequester(GState.LabDialogRequester);
  FUZZ_CHECK(GState.LabDialogRequester == 0, "dialog handle kept after closing");
  for (int i = 0; i < 3; ++i) {
    const auto stored = host.UserSetting(host.Context()->Name, kWhiteKeys[i]);
    FUZZ_CHECK(stored.has_value(), "white not stored");
    const float back = ReferenceFloat(*stored);
    // Six decimals: exact from 16 upward, within a millionth and a half below.
    FUZZ_CHECK(std::fabs(back - white[i]) <= (white[i] >= 16.0f ? 0.0f : 1.5e-6f), "stored " + *stored);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::unique_ptr<simhost::SimHost> host = MakeFuzzHost({}, /*pictures=*/false);
  // Whatever the stored options say, within reason for an int.
  host->SetUserSetting("Tintwell", "mouseMode", std::to_string(input.ConsumeIntegral<int32_t>()));
  host->SetUserSetting("Tintwell", "room-0palette", input.ConsumeBool() ? "1" : "0");
  host->SetUserSetting("Tintwell", "room-0slider", std::to_string(input.ConsumeIntegralInRange(0, 4)));
  FUZZ_CHECK(host->Open() == 1, "PI_Open failed");
  CheckSound(*host);

  for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
    const int action = input.ConsumeIntegralInRange(0, 6);
    if (action >= 2 && action <= 5 && !GState.LabDialogRequester) {
      OpenLabDialog(host->Context());
      host->DeliverPendingMessages();
      FUZZ_CHECK(GState.LabDialogRequester, "the dialog did not open");
    }
    switch (action) {
      case 0:
      case 1: ChooseFromMenu(*host, input); break;
      case 2: EditField(*host, input); break;
      case 3: StepArrows(*host, input); break;
      case 4: AnyDialogEvent(*host, input); break;
      case 5: CloseDialog(*host); break;
      default: host->Parameters(input.ConsumeBool() ? "t" : "s"); break;
    }
    CheckSound(*host);
  }
  host->Close();
  FUZZ_CHECK(host->Faults().empty(), "host fault: " + host->Faults().front());
  const std::string left = CheckNothingLeftOpen(*host);
  FUZZ_CHECK(left.empty(), left);
  return 0;
}
