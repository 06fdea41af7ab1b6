// Tests of the localised text look-up (store layer) through the stand-in
// host: the fallbacks to the built-in texts, and a localisation file that
// renames the plug-in and with it the section of its settings.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/host_functions.h"
#include "core/plugin_state.h"
#include "simhost.h"
#include "store/builtin_texts.h"
#include "store/localisation.h"
#include "store/settings.h"
#include "support/plugin_host.h"

namespace {

class StoreLocalisation : public PluginHostTest {
 protected:
  // A fresh run; with texts, a localisation file holding them is served.
  simhost::SimHost& StartHost(const std::vector<std::pair<int32_t, std::string>>* fileTexts = nullptr) {
    options.localisationPath.clear();
    if (fileTexts) {
      options.localisationPath = TempPath("tintwell.loc");
      EXPECT_TRUE(simhost::WriteLocalisationFile(options.localisationPath, *fileTexts));
    }
    RestartHost();
    return *host;
  }
};

TEST_F(StoreLocalisation, WithoutAFileEveryTextIsBuiltIn) {
  StartHost();
  ASSERT_EQ(host->Open(), 1);
  EXPECT_EQ(GState.LocalisationHandle, 0);
  EXPECT_STREQ(host->Context()->Name, "Tintwell");
  const BuiltinTextEntry* table = BuiltinTextTable();
  for (int i = 0; i < kBuiltinTextCount; ++i) {
    EXPECT_EQ(LocalisedText(host->Context(), table[i].Number), table[i].Text) << "number " << table[i].Number;
  }
  EXPECT_STREQ(LocalisedText(host->Context(), 12345), "");
  const simhost::Requester* panel = host->FindRequester(GState.PanelRequester);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->title, "Tintwellv7.50");
}

TEST_F(StoreLocalisation, FileTextsReplaceBuiltInTextsUnlessEmptyOrMissing) {
  const std::vector<std::pair<int32_t, std::string>> fileTexts = {
      {100, "Farbwahl"},
      {10000, ""},  // empty: counts as missing
      {10002, "Lab-Referenz"},
      {50011, "Farbring:\n\nLinks: Farbton ziehen"},
      {12345, "only in the file"},
  };
  StartHost(&fileTexts);
  ASSERT_EQ(host->Open(), 1);
  PluginContext* context = host->Context();
  EXPECT_NE(GState.LocalisationHandle, 0);
  EXPECT_STREQ(context->Name, "Farbwahl");
  struct Expect {
    int32_t number;
    std::string text;
  };
  const Expect expected[] = {
      {10000, "Tintwellv7.50"},
      {10001, "Vectorscope"},  // missing from the file
      {10002, "Lab-Referenz"},
      {50011, "Farbring:\n\nLinks: Farbton ziehen"},
      {30000, "Can't Open Requester !"},
      {12345, "only in the file"},
  };
  for (const Expect& e : expected) EXPECT_EQ(LocalisedText(context, e.number), e.text) << "number " << e.number;
  // Shortcut labels are never looked up, whatever the file holds.
  host->ClearRecords();
  EXPECT_EQ(LocalisedText(context, texts::kShortcutPickMode), std::string(BuiltinText(texts::kShortcutPickMode)));
  for (const simhost::DispatchRecord& call : host->Calls()) EXPECT_NE(call.function, kFnLocalisedString);
  const simhost::Requester* panel = host->FindRequester(GState.PanelRequester);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->title, "Tintwellv7.50");
}

TEST_F(StoreLocalisation, ARenamedPlugInKeepsItsSettingsInItsOwnSection) {
  const std::vector<std::pair<int32_t, std::string>> fileTexts = {{100, "Farbwahl"}};
  StartHost(&fileTexts);
  host->SetUserSetting("Tintwell", "lumaLock", "1");
  host->SetUserSetting("Tintwell", "ciehsv", "0");
  ASSERT_EQ(host->Open(), 1);
  EXPECT_EQ(GState.LumaLock, 0);  // stored under the built-in name only
  EXPECT_EQ(GState.CieHsvMode, 1);
  GState.LumaLock = 1;
  host->UserClosesRequester(GState.PanelRequester, 0);
  EXPECT_EQ(host->UserSetting("Farbwahl", "lumaLock").value_or("<none>"), "1");
  host->Close();

  StartHost(&fileTexts);
  ASSERT_EQ(host->Open(), 1);
  EXPECT_EQ(GState.LumaLock, 1);
}

TEST_F(StoreLocalisation, CloseReleasesTheFile) {
  const std::vector<std::pair<int32_t, std::string>> fileTexts = {{10001, "Vektorskop"}};
  StartHost(&fileTexts);
  ASSERT_EQ(host->Open(), 1);
  EXPECT_TRUE(host->localisationOpen());
  host->Close();
  EXPECT_FALSE(host->localisationOpen());
  EXPECT_EQ(GState.LocalisationHandle, 0);
  // Afterwards the built-in text, without asking the host.
  host->ClearRecords();
  EXPECT_STREQ(LocalisedText(host->Context(), 10001), "Vectorscope");
  EXPECT_TRUE(host->Calls().empty());
  EXPECT_TRUE(host->Faults().empty());
}

}  // namespace
