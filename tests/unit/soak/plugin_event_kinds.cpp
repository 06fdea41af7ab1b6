// Soak event kinds for the whole plug-in beyond its panel.
#include "soak/plugin_event_kinds.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "core/plugin_state.h"
#include "host/host_functions.h"
#include "plugin/entry_points.h"
#include "requesters/lab_dialog.h"
#include "support/plugin_holdings.h"

namespace soak {

namespace {

int64_t gRestarts = 0;
std::string gRestartProblem;  // what a restart found left open, reported by the invariant

// Careless replies: how many commands are still answered in which way.
int32_t gTamperedReplies = 0;
int32_t gTamperMode = 0;
uint32_t gTamperSeed = 1;

constexpr int32_t kLabFieldBase = 400;  // fields 400, 402, 404; arrows one above each
constexpr int32_t kLabReset = 410;
constexpr int32_t kScopeGadget = 130;

HostWord Fixed(int32_t whole, int32_t fraction = 0) {
  return static_cast<HostWord>(static_cast<int32_t>((static_cast<uint32_t>(whole) << 16) | (fraction & 0xffff)));
}

// Bytes a careless file or host may hold: digits, signs, points, commas,
// spaces, letters, GBK lead bytes, control bytes (never a NUL).
std::string RandomBytes(Step& s, int32_t maxLength) {
  static const std::string kAlphabet = "0123456789+-.,eE xX\tabcdef\x81\xfe\xa3\x7f\x01#=[]";
  std::string text;
  const int32_t length = s.Int(0, maxLength);
  for (int32_t i = 0; i < length; ++i) {
    text += s.Chance(0.9) ? kAlphabet[static_cast<size_t>(s.Int(0, static_cast<int32_t>(kAlphabet.size()) - 1))]
                          : static_cast<char>(s.Int(1, 255));
  }
  return text;
}

std::string StoredValue(Step& s) {
  if (s.Chance(0.2)) return RandomBytes(s, 40);
  return s.Pick(std::vector<std::string>{"0", "1", "2", "3", "-1", "255", "64", "100000", "2147483648",
                                         "-2147483649", "abc", "", "  7", "1e3", "95.147", "800.5", "-5.25", "nan",
                                         "inf", "1e39", "0x10", "12 34 56", "300 -2 7", "0,5"});
}

// ---- messages of every kind ----

void Messages(Step& s) {
  simhost::SimHost& host = s.host;
  switch (s.Int(0, 9)) {
    case 0: {
      const bool onScope = GState.VectorscopeRequester && host.FindRequester(GState.VectorscopeRequester);
      const HostWord gadget = s.Chance(0.8) ? kScopeGadget : s.Int(-5, 200);
      if (onScope) {
        host.SendEvent(GState.VectorscopeRequester, kMsgGadgetPress, {gadget});
      } else {
        host.Message(kMsgGadgetPress, 0, {gadget});
      }
      s.Note("gadget press " + std::to_string(gadget) + (onScope ? " on the scope" : ""));
      break;
    }
    case 1: {
      const RequesterHandle window = s.Chance(0.5) ? GState.PickRequester : GState.BrushRequester;
      const std::vector<HostWord> words = {Fixed(s.Int(-20, 90), s.Int(0, 0xffff)), Fixed(s.Int(-20, 70)),
                                           s.Int(-2, 3), s.Int(0, 255), s.Int(0, 1), Fixed(s.Int(-500, 2500)),
                                           Fixed(s.Int(-500, 2500))};
      if (window && host.FindRequester(window)) {
        host.SendEvent(window, kMsgPointerMove, words);
      } else {
        host.Message(kMsgPointerMove, s.Chance(0.5) ? 0 : s.Int(1, 99999), words);
      }
      s.Note("pointer move");
      break;
    }
    case 2:
      host.Message(kMsgOverlayDraw, 0, {});
      s.Note("overlay");
      break;
    case 3: {
      const std::string room = s.Chance(0.8) ? s.Pick(std::vector<std::string>{"Room-1", "Room-2", "Room-3", "Room-4",
                                                                              "room-2", "", "Room-22", "Room-3 "})
                                             : RandomBytes(s, 30);
      host.ChangeRoom(room);
      s.Note("room '" + room + "'");
      break;
    }
    case 4:
      host.EndCanvasEvents();
      s.Note("host ends the canvas interaction");
      break;
    case 5:
    case 6: {
      // A stroke over the canvas while the host delivers canvas events (now
      // and then one that comes anyway).
      if (!host.canvasEvents && !s.Chance(0.05)) return;
      const int32_t events = s.Int(1, 6);
      int32_t x = s.Chance(0.9) ? s.Int(-5, 70) : s.Int(-40000, 40000);
      int32_t y = s.Chance(0.9) ? s.Int(-5, 55) : s.Int(-40000, 40000);
      for (int32_t i = 0; i < events; ++i) {
        const bool last = i == events - 1;
        const int32_t event = last ? s.Pick(std::vector<int32_t>{-1, -2, 1, 2, 0, 9}) : s.Pick(std::vector<int32_t>{1, 1, 2});
        host.Message(kMsgCanvasPointer, 0,
                     {Fixed(x, s.Int(0, 0xffff)), Fixed(y, s.Int(0, 0xffff)), event,
                      s.Chance(0.9) ? s.Int(0, 255) : s.Int(-100000, 100000), s.Int(0, 1)});
        x += s.Int(-3, 3);
        y += s.Int(-3, 3);
      }
      s.Note("canvas stroke of " + std::to_string(events));
      break;
    }
    case 7: {
      const int32_t kind = s.Pick(std::vector<int32_t>{0, 100, 101, 106, 110, 201, 202, 212, 310, 999, -1, 1001, 1003});
      std::vector<HostWord> words;
      for (int i = 0; i < 8; ++i) words.push_back(s.Int(-100000, 100000));
      host.Message(kind, s.Chance(0.5) ? 0 : s.Pick(std::vector<HostWord>{GState.PanelRequester, GState.PickRequester}), words);
      s.Note("message " + std::to_string(kind));
      break;
    }
    case 8:
      host.About();
      s.Note("about");
      break;
    default: {
      // Command letters as shortcuts and the host's tv_plugin command send
      // them, with bytes that are no command among them.
      static const std::string kLetters = "sSRxrdlkKTUutsSssz \x80";
      std::string text;
      const int32_t length = s.Int(1, 4);
      for (int32_t i = 0; i < length; ++i) text += kLetters[static_cast<size_t>(s.Int(0, static_cast<int32_t>(kLetters.size()) - 1))];
      host.Parameters(text.c_str());
      s.Note("parameters '" + text + "'");
      break;
    }
  }
}

// ---- the LAB dialog ----

void LabDialog(Step& s) {
  simhost::SimHost& host = s.host;
  if (!GState.LabDialogRequester) {
    OpenLabDialog(host.Context());
    host.DeliverPendingMessages();
    s.Note("dialog opens");
    return;
  }
  const RequesterHandle dialog = GState.LabDialogRequester;
  const int32_t component = s.Int(0, 2);
  switch (s.Int(0, 5)) {
    case 0:
    case 1: {
      const std::string text = s.Chance(0.5) ? StoredValue(s) : RandomBytes(s, 20);
      host.SetGadgetTextAsUser(dialog, kLabFieldBase + 2 * component, text);
      host.SendEvent(dialog, kEventTextEdited, {kLabFieldBase + 2 * component});
      s.Note("field typed '" + text + "'");
      break;
    }
    case 2:
      host.SendEvent(dialog, kEventArrowStep,
                     {kLabFieldBase + 2 * component + 1, s.Chance(0.9) ? s.Int(-20, 20) : s.Int(-2000000000, 2000000000),
                      0, s.Int(0, 1)});
      s.Note("arrows");
      break;
    case 3:
      host.SendEvent(dialog, kEventRelease, {kLabReset});
      s.Note("reset");
      break;
    case 4: {
      std::vector<HostWord> words;
      for (int i = 0; i < 6; ++i) words.push_back(s.Int(-1000, 1000));
      words[0] = s.Pick(std::vector<HostWord>{400, 401, 402, 403, 404, 405, 410, 0, 999});
      const int32_t event = s.Pick(std::vector<int32_t>{kEventPress, kEventRelease, kEventDrag, kEventTextEdited,
                                                        kEventArrowStep, kEventPointerMove, 999});
      host.SendEvent(dialog, event, words);
      s.Note("dialog event " + std::to_string(event));
      break;
    }
    default:
      host.UserClosesRequester(dialog, 0);
      s.Note("user closes the dialog");
      break;
  }
}

// ---- the host's own doings ----

void UserClosesScope(Step& s) {
  const RequesterHandle scope = GState.VectorscopeRequester;
  if (!scope || !s.host.FindRequester(scope)) return;
  s.host.UserClosesRequester(scope);
  s.Note("user closes the scope window");
}

void CarelessReplies(Step& s) {
  gTamperedReplies = s.Int(1, 40);
  gTamperMode = s.Int(0, 5);
  gTamperSeed = static_cast<uint32_t>(s.Int(1, 1 << 30));
  s.Note("careless replies, mode " + std::to_string(gTamperMode));
}

bool Tamper(const std::string& command, std::string* reply) {
  (void)command;
  if (gTamperedReplies <= 0) return false;
  --gTamperedReplies;
  gTamperSeed = gTamperSeed * 1103515245u + 12345u;
  const uint32_t r = gTamperSeed >> 8;
  switch (gTamperMode) {
    case 0: {
      // All 256 bytes, no terminator.
      std::string filled;
      for (int i = 0; i < 256; ++i) filled += "0123456789 -,."[(r + static_cast<uint32_t>(i) * 7u) % 14];
      *reply = filled;
      return true;
    }
    case 1: *reply = ""; return false;
    case 2: *reply = std::string(reply->size(), 'x') + " garbage"; return false;
    case 3: *reply = "99999999999 -99999999999 1e400 nan"; return false;
    case 4: *reply = "12,5 3,25 7 8"; return false;
    default: *reply = *reply + " " + std::to_string(r) + " extra words"; return false;
  }
}

void FileFailures(Step& s) {
  s.host.FailNextConfigFileOpen(s.Int(1, 3));
  s.Note("settings files fail to open");
}

// ---- restarts ----

const char* const kOptionKeys[] = {"mouseMode", "mousemode", "lumaLock", "lightMode", "ciehsv", "floodbg",
                                   "huering", "scropXYZ", "gamut", "vsx", "vsy", "vscope", "popHelp",
                                   "scropLayer", "agautosample", "lab_ref_x", "lab_ref_y", "lab_ref_z",
                                   "room-0palette", "room-0slider", "room-0fxbrush", "room-2palette",
                                   "room-2slider", "room-2fxbrush", "room-3slider"};
const int32_t kLocalisedNumbers[] = {100, 10000, 10001, 10002, 10010, 10020, 10060, 20010, 20020, 30000,
                                     40000, 50000, 50011, 50025};

void RandomStoredFiles(Step& s) {
  simhost::SimHost& host = s.host;
  const std::string section = host.Context()->Name[0] ? host.Context()->Name : "Tintwell";
  for (const char* key : kOptionKeys) {
    if (s.Chance(0.3)) host.SetUserSetting(section, key, StoredValue(s));
  }
  for (const char* pen : {"apen", "bpen"}) {
    if (s.Chance(0.3)) host.SetUserSetting("Main", pen, StoredValue(s));
  }
  if (s.Chance(0.5)) {
    const std::string path = host.Options().pluginDirectory + "\\ColourScheme.cfg";
    const std::string slot = "slot_" + std::to_string(s.Int(0, 5));
    host.SetConfigFileValue(path, slot, "pointCount", s.Chance(0.8) ? std::to_string(s.Int(-1, 10)) : StoredValue(s));
    for (int32_t i = 0; i < 9; ++i) {
      const std::string point = s.Chance(0.8) ? std::to_string(static_cast<uint32_t>(s.Int(0, 0x7fffffff)) * 2u) + " " +
                                                    std::to_string(s.Int(0, 10000) / 10000.0)
                                              : StoredValue(s);
      if (s.Chance(0.9)) host.SetConfigFileValue(path, slot, "csP_" + std::to_string(i), point);
    }
  }
  if (s.Chance(0.3)) {
    std::map<int32_t, std::string> texts;
    for (int32_t number : kLocalisedNumbers) {
      if (s.Chance(0.4)) texts[number] = s.Chance(0.3) ? std::string() : RandomBytes(s, s.Chance(0.1) ? 400 : 30);
    }
    host.SetLocalisationTexts(texts);
  } else if (s.Chance(0.3)) {
    host.SetLocalisationTexts(std::nullopt);
  }
  // A channel order of the host's choosing.
  int8_t order[4] = {2, 1, 0, 3};
  if (s.Chance(0.5)) {
    int8_t positions[4] = {0, 1, 2, 3};
    for (int i = 3; i > 0; --i) std::swap(positions[i], positions[s.Int(0, i)]);
    std::copy(positions, positions + 4, order);
  }
  PluginContext* context = host.Context();
  context->RedPosition = order[0];
  context->GreenPosition = order[1];
  context->BluePosition = order[2];
  context->AlphaPosition = order[3];
}

void* NoMemory(size_t, size_t) { return nullptr; }

void Restart(Step& s) {
  simhost::SimHost& host = s.host;
  host.Close();
  std::string left = CheckNothingLeftOpen(host);
  if (!left.empty()) gRestartProblem = "after PI_Close: " + left;
  gTamperedReplies = 0;
  ResetPluginState();
  RandomStoredFiles(s);
  if (s.Chance(0.05)) {
    // No memory for the user block: PI_Open fails and leaves nothing open.
    SetUserBlockAllocator(NoMemory);
    if (host.Open() != 0) gRestartProblem = "PI_Open succeeded without memory";
    SetUserBlockAllocator(nullptr);
    left = CheckNothingLeftOpen(host);
    if (!left.empty()) gRestartProblem = "after a failed PI_Open: " + left;
    ResetPluginState();
  }
  if (host.Open() != 1) gRestartProblem = "PI_Open failed";
  ++gRestarts;
  s.Note("restart");
}

}  // namespace

void AddPluginEventKinds(Harness& harness, simhost::SimHost& host) {
  gTamperedReplies = 0;
  gRestartProblem.clear();
  host.SetReplyTamper(Tamper);
  harness.Add("messages", 12, Messages);
  harness.Add("LAB dialog", 4, LabDialog);
  harness.Add("user closes the scope", 1, UserClosesScope);
  harness.Add("careless replies", 2, CarelessReplies);
  harness.Add("settings files fail", 1, FileFailures);
  harness.Add("restart", 1, Restart);
}

void AddPluginInvariants(Harness& harness) {
  harness.AddInvariant("holdings", [](simhost::SimHost& host) -> std::string {
    if (!gRestartProblem.empty()) return gRestartProblem;
    return CheckPluginHoldings(host);
  });
}

int64_t PluginRestarts() { return gRestarts; }

}  // namespace soak
