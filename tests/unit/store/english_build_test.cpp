// The English build (english/tintwell.so, loaded with dlopen as a host loads
// the DLL): in a whole session with no localisation file every text it hands
// the host is the English source's text for its number, read here
// independently of the generator, and no byte outside ASCII ever reaches the
// host; its name, and so its settings section, stays "Tintwell".
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "host/host_functions.h"
#include "simhost.h"
#include "support/panel_driver.h"

#if defined(TINTWELL_ENGLISH_LIBRARY)

namespace {

using paneltest::EventWords;
using paneltest::kRight;
using paneltest::OnPalette;
using paneltest::OnSwatch;

// tools/builtin_texts_en.txt: NUMBER <tab> text, "\n" and "\\" escapes.
std::map<int32_t, std::string> ReadEnglishSource() {
  std::map<int32_t, std::string> texts;
  std::ifstream in(TINTWELL_ENGLISH_SOURCE, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string text;
    for (size_t i = tab + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        text += line[i + 1] == 'n' ? '\n' : line[i + 1];
        ++i;
      } else {
        text += line[i];
      }
    }
    texts[std::stoi(line.substr(0, tab))] = text;
  }
  return texts;
}

TEST(EnglishBuild, EveryTextTheHostGetsIsTheEnglishSourcesAndAscii) {
  const std::map<int32_t, std::string> english = ReadEnglishSource();
  ASSERT_GT(english.size(), 70u) << "cannot read " << TINTWELL_ENGLISH_SOURCE;
  std::set<std::string> known;
  for (const auto& entry : english) known.insert(entry.second);

  simhost::PluginApi api;
  std::string error;
  ASSERT_TRUE(simhost::LoadPluginLibrary(TINTWELL_ENGLISH_LIBRARY, &api, &error)) << error;
  {
    simhost::HostOptions options;
    options.configFilesInMemory = true;
    simhost::SimHost host(api, options);
    ASSERT_EQ(host.Open(), 1);
    host.ChangeRoom("Room-1");  // every section shown
    EXPECT_EQ(std::string(host.Context()->Name), english.at(100));
    EXPECT_EQ(english.at(100), "Tintwell") << "the settings section must not change with the build";

    RequesterHandle panel = 0;
    for (RequesterHandle handle : host.OpenRequesters()) {
      if (host.FindRequester(handle)->gadgets.count(paneltest::kSwatch)) panel = handle;
    }
    ASSERT_NE(panel, 0);
    EXPECT_EQ(host.FindRequester(panel)->title, english.at(10000));

    ASSERT_EQ(host.Shortcuts().size(), 13u);
    for (size_t i = 0; i < host.Shortcuts().size(); ++i) {
      EXPECT_EQ(host.Shortcuts()[i].first, english.at(-static_cast<int32_t>(i) - 1)) << "shortcut " << i + 1;
    }

    // Quick help over the whole panel, every 3 pixels: each title and help
    // shown is an English text.
    std::set<std::string> shown;
    for (int32_t y = 1; y < host.FindRequester(panel)->height; y += 3) {
      for (int32_t x = 1; x < host.FindRequester(panel)->width; x += 3) {
        std::vector<HostWord> words(10, 0);
        words[8] = x;
        words[9] = y;
        host.SendEvent(panel, kEventPointerMove, words);
        const simhost::Requester* r = host.FindRequester(panel);
        shown.insert(r->title);
        for (const auto& gadget : r->gadgets) {
          if (!gadget.second.help.empty()) shown.insert(gadget.second.help);
        }
      }
    }
    EXPECT_GE(shown.size(), 25u) << "the sweep should meet most areas' titles and helps";
    for (const std::string& text : shown) EXPECT_TRUE(known.count(text)) << "not an English text: " << text;

    // The option menu, then its pressure entry: a fresh question is preset
    // to 64 whatever its prompt says.
    std::vector<std::string> items;
    std::optional<int32_t> offered;
    std::string prompt;
    int32_t answer = 0;
    host.SetPopupMenuHandler([&](const simhost::PopupMenuRecord& menu) {
      for (const auto& item : menu.items) {
        if (!item.text.empty()) items.push_back(item.text);
      }
      return answer;
    });
    host.SetAskIntegerHandler([&](const std::string& text, int32_t value, int32_t, int32_t) {
      prompt = text;
      offered = value;
      return std::optional<int32_t>(value);
    });
    for (int32_t choice : {0, 40}) {
      answer = choice;
      host.SendEvent(panel, kEventPress, EventWords(OnSwatch(40, 30, kRight)));
      host.SendEvent(panel, kEventRelease, EventWords(OnSwatch(40, 30, kRight)));
    }
    EXPECT_EQ(items.size(), 40u) << "two menus of 23 items, 3 of them separators, every section shown";
    for (const std::string& item : items) EXPECT_TRUE(known.count(item)) << "not an English menu text: " << item;
    EXPECT_EQ(prompt, english.at(-20));
    EXPECT_EQ(offered, std::optional<int32_t>(64));

    // The LAB dialog: a right click on the CIE box.
    host.SendEvent(panel, kEventPress, EventWords(OnPalette(80, 82, kRight)));
    host.SendEvent(panel, kEventRelease, EventWords(OnPalette(80, 82, kRight)));
    bool dialog = false;
    for (RequesterHandle handle : host.OpenRequesters()) {
      const simhost::Requester* r = host.FindRequester(handle);
      if (r->title != english.at(10002)) continue;
      dialog = true;
      ASSERT_TRUE(r->gadgets.count(410));
      EXPECT_EQ(r->gadgets.at(410).text, english.at(-21));
    }
    EXPECT_TRUE(dialog) << "the LAB dialog did not open with its English title";

    host.About();
    host.Close();
    // Nothing but ASCII reached the host in the whole dialogue (the dialogue
    // writes other bytes as \xHH).
    const std::regex high("\\\\x[89a-f][0-9a-f]");
    for (const std::string& line : host.Dialogue()) {
      EXPECT_FALSE(std::regex_search(line, high)) << line;
    }
    EXPECT_TRUE(host.Faults().empty());
  }
  simhost::UnloadPluginLibrary(&api);
}

}  // namespace

#endif  // TINTWELL_ENGLISH_LIBRARY
