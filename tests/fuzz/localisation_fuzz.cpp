// Fuzz target: the localisation texts (any bytes, any length, for the
// numbers the plug-in uses and others) and with them the plug-in's name.
// The plug-in opens, shows its About text, menu, dialog, canvas windows,
// hover help and failure message, moves rooms, closes its panel and closes.
//
// Properties: the name in the context is text 100 cut to 127 bytes without
// splitting a two-byte character (or "Tintwell" when the file gives none)
// and names the settings section; every text handed to the host is a
// built-in text, a localised text, or such a text cut to 255 bytes without
// splitting a character; the About text fits its 1024 bytes; the stand-in
// host sees no protocol fault and nothing stays open after PI_Close.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "fuzz_support.h"
#include "host/host_functions.h"
#include "interact/panel_menu.h"
#include "panel/help_texts.h"
#include "requesters/lab_dialog.h"
#include "store/builtin_texts.h"
#include "support/plugin_holdings.h"

namespace {

// Numbers the plug-in looks up, and a few it does not.
constexpr int32_t kNumbers[] = {100,   10000, 10001, 10002, 10010, 10020, 10030, 10031, 10034, 10035, 10036,
                                10037, 10038, 10041, 10047, 10048, 10050, 10060, 10070, 10080, 10081, 10082,
                                20010, 20020, 20025, 30000, 40000, 40001, 40002, 50000, 50005, 50011, 50015,
                                50024, 50025, 50029, 50033, 0,     -1,    -20,   99,    101,   65536};

// Longest prefix of at most limit bytes that does not end inside a two-byte
// character (lead byte 0x81..0xFE followed by another byte).
std::string CutWhole(const std::string& text, size_t limit) {
  size_t length = 0;
  while (length < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[length]);
    const size_t step = (byte >= 0x81 && byte <= 0xfe && length + 1 < text.size()) ? 2 : 1;
    if (length + step > limit) break;
    length += step;
  }
  return text.substr(0, length);
}

struct Texts {
  std::set<std::string> allowed;  // what may reach the host
  std::string name;               // what the context's name must be
};

Texts ExpectedTexts(const std::map<int32_t, std::string>* localised) {
  Texts texts;
  for (int32_t i = 0; i < kBuiltinTextCount; ++i) texts.allowed.insert(BuiltinTextTable()[i].Text);
  texts.allowed.insert("");
  texts.name = BuiltinText(100);
  if (!localised) return texts;
  for (const auto& [number, text] : *localised) {
    const std::string shown = text.c_str();  // the host hands out NUL-terminated text
    texts.allowed.insert(shown);
    texts.allowed.insert(CutWhole(shown, 255));
    if (number == 100 && !shown.empty()) texts.name = CutWhole(shown, 127);
  }
  return texts;
}

void CheckTexts(const simhost::SimHost& host, const Texts& expected) {
  for (const simhost::DispatchRecord& call : host.Calls()) {
    std::vector<std::string> shown;
    switch (call.function) {
      case kFnOpenRequester:
      case kFnOpenCallbackRequester:
      case kFnAskInteger:
        shown = call.texts;
        break;
      case kFnMessage: {
        const std::string& message = call.texts.at(0);
        // The About text: name, version and credits, in its 1024 bytes.
        if (message.rfind(expected.name + " 7.5\n", 0) == 0) {
          FUZZ_CHECK(message.size() <= 1023, "About text longer than its buffer");
        } else {
          shown.push_back(message);
        }
        break;
      }
      case kFnRequesterOp:
        if (call.subOperation == kReqSetTitle || call.subOperation == kReqAddGadget ||
            call.subOperation == kReqSetGadgetHelp) {
          shown = call.texts;
        }
        break;
      case kFnWriteUserString:
        FUZZ_CHECK(call.texts.at(0) == expected.name || call.texts.at(0) == "Main",
                   "setting written under section " + call.texts.at(0));
        break;
      default:
        break;
    }
    for (const std::string& text : shown) {
      FUZZ_CHECK(expected.allowed.count(text), "text handed to the host: " + text.substr(0, 80));
    }
  }
  for (const simhost::PopupMenuRecord& menu : host.PopupMenus()) {
    for (const simhost::MenuItemRecord& item : menu.items) {
      FUZZ_CHECK(expected.allowed.count(item.text) && item.text.size() <= 255, "menu entry " + item.text.substr(0, 80));
    }
  }
}

void CheckSound(simhost::SimHost& host) {
  FUZZ_CHECK(host.Faults().empty(), "host fault: " + host.Faults().front());
  const std::string holdings = CheckPluginHoldings(host);
  FUZZ_CHECK(holdings.empty(), holdings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  simhost::HostOptions options;
  const bool hasFile = input.ConsumeBool();
  std::map<int32_t, std::string> localised;
  const int entries = input.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < entries; ++i) {
    const int32_t number = input.PickValueInArray(kNumbers);
    localised[number] = input.ConsumeRandomLengthString(600);
  }
  if (hasFile) options.localisationTexts = localised;
  const std::vector<uint8_t> actions = input.ConsumeBytes<uint8_t>(12);
  const int32_t x = input.ConsumeIntegralInRange(-5, 200);
  const int32_t y = input.ConsumeIntegralInRange(-5, 300);

  std::unique_ptr<simhost::SimHost> host = MakeFuzzHost(options, /*pictures=*/false);
  PluginContext* context = host->Context();
  const Texts expected = ExpectedTexts(hasFile ? &localised : nullptr);
  FUZZ_CHECK(host->Open() == 1, "PI_Open failed");
  const std::string name(context->Name, strnlen(context->Name, sizeof context->Name));
  FUZZ_CHECK(name.size() < sizeof context->Name, "name without terminator");
  FUZZ_CHECK(name == expected.name, "name " + name);
  CheckSound(*host);

  for (uint8_t action : actions) {
    switch (action % 9) {
      case 0: host->About(); break;
      case 1:
        host->SetPopupMenuAnswer(action / 9);
        RunOptionMenu(context);
        break;
      case 2:
        OpenLabDialog(context);
        if (GState.LabDialogRequester) host->UserClosesRequester(GState.LabDialogRequester);
        break;
      case 3:
        GState.VectorscopeMode = 1;
        host->Parameters("s");
        break;
      case 4:
        host->FailNextRequesterOpen();
        host->Parameters(action & 0x10 ? "S" : "s");
        break;
      case 5: ShowHoverHelp(context, GState.PanelRequester, x, y); break;
      case 6: host->ChangeRoom(action & 0x10 ? "Room-2" : "Room-x"); break;
      case 7: host->Parameters("t"); break;
      default: host->EndCanvasEvents(); break;
    }
    // Messages the host raised during a routine called straight from here
    // arrive as they would after a panel event.
    host->DeliverPendingMessages();
    CheckSound(*host);
  }
  host->Close();
  CheckTexts(*host, expected);
  FUZZ_CHECK(host->Faults().empty(), "host fault: " + host->Faults().front());
  const std::string left = CheckNothingLeftOpen(*host);
  FUZZ_CHECK(left.empty(), left);
  return 0;
}
