// Tests of the options in the host's user settings (store layer), through
// the stand-in host: what a fresh user gets, what survives closing the panel
// and starting again (settings persisted to disk), the order of reads and
// writes, and what malformed stored values and pens turn into.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/host_calls.h"
#include "host/host_functions.h"
#include "core/plugin_state.h"
#include "simhost.h"
#include "store/settings.h"
#include "support/plugin_host.h"

namespace {

constexpr const char kSection[] = "Tintwell";

class StoreSettings : public PluginHostTest {
 protected:
  // A new run: a fresh plug-in state and a host that reads the settings the
  // previous run left on disk.
  simhost::SimHost& StartHost() {
    RestartHost();
    return *host;
  }

  std::vector<simhost::DispatchRecord> CallsOf(int32_t function) const {
    std::vector<simhost::DispatchRecord> found;
    for (const simhost::DispatchRecord& call : host->Calls()) {
      if (call.function == function) found.push_back(call);
    }
    return found;
  }

  std::string Stored(const std::string& key, const std::string& section = kSection) const {
    return host->UserSetting(section, key).value_or("<none>");
  }

};

TEST_F(StoreSettings, FreshUserGetsTheDefaults) {
  ASSERT_EQ(host->Open(), 1);
  EXPECT_STREQ(host->Context()->Name, kSection);
  struct Field {
    const char* name;
    int32_t value, expected;
  };
  const Field fields[] = {
      {"ShowPalette", GState.ShowPalette, 0},          {"SliderMode", GState.SliderMode, 0},
      {"ShowFxBrush", GState.ShowFxBrush, 0},          {"Pressure", GState.PressureSensitivity, 0},
      {"LumaLock", GState.LumaLock, 0},                {"LightMode", GState.LightMode, 0},
      {"CieHsvMode", GState.CieHsvMode, 1},            {"FloodBackground", GState.FloodBackground, 1},
      {"HueRingMode", GState.HueRingMode, 1},          {"XyzMixMode", GState.XyzMixMode, 1},
      {"GamutMode", GState.GamutMode, 0},              {"VectorscopeX", GState.VectorscopeX, 0},
      {"VectorscopeY", GState.VectorscopeY, 0},        {"VectorscopeMode", GState.VectorscopeMode, 0},
      {"PopHelp", GState.PopHelp, 1},                  {"SampleSource", GState.SampleSourceFlags, 0},
      {"AggressiveAutosample", GState.AggressiveAutosample, 0},
  };
  for (const Field& field : fields) EXPECT_EQ(field.value, field.expected) << field.name;
  EXPECT_EQ(GState.ReferenceWhite[0], 95.147f);
  EXPECT_EQ(GState.ReferenceWhite[1], 100.1f);
  EXPECT_EQ(GState.ReferenceWhite[2], 108.983f);
}

TEST_F(StoreSettings, LoadReadsInTheStoredOrderWithBufferSize255) {
  ASSERT_EQ(host->Open(), 1);
  struct Read {
    const char* section;
    const char* key;
  };
  const Read expected[] = {
      {kSection, "room-0palette"}, {kSection, "room-0slider"}, {kSection, "room-0fxbrush"},
      {kSection, "mouseMode"},     {kSection, "lumaLock"},
      {kSection, "lightMode"},     {kSection, "ciehsv"},       {kSection, "floodbg"},
      {kSection, "huering"},       {kSection, "scropXYZ"},     {kSection, "gamut"},
      {kSection, "vsx"},           {kSection, "vsy"},          {kSection, "vscope"},
      {kSection, "popHelp"},       {kSection, "scropLayer"},   {kSection, "agautosample"},
      {kSection, "lab_ref_x"},     {kSection, "lab_ref_y"},    {kSection, "lab_ref_z"},
      {"Main", "apen"},            {"Main", "bpen"},
  };
  const std::vector<simhost::DispatchRecord> reads = CallsOf(kFnReadUserString);
  ASSERT_GE(reads.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    ASSERT_GE(reads[i].texts.size(), 2u) << "read " << i;
    EXPECT_EQ(reads[i].texts[0], expected[i].section) << "read " << i;
    EXPECT_EQ(reads[i].texts[1], expected[i].key) << "read " << i;
    EXPECT_EQ(reads[i].pack[4], 255) << "read " << i << " " << expected[i].key;
  }
}

TEST_F(StoreSettings, StoredValuesSurviveClosingTheirPanelAndAnotherRun) {
  struct Kept {
    const char* name;
    int32_t PluginState::*field;
    int32_t value;
  };
  const Kept kept[] = {
      {"ShowPalette", &PluginState::ShowPalette, 1},   {"SliderMode", &PluginState::SliderMode, 3},
      {"ShowFxBrush", &PluginState::ShowFxBrush, 1},   {"LumaLock", &PluginState::LumaLock, 1},
      {"LightMode", &PluginState::LightMode, 2},       {"CieHsvMode", &PluginState::CieHsvMode, 0},
      {"FloodBackground", &PluginState::FloodBackground, 0}, {"HueRingMode", &PluginState::HueRingMode, 3},
      {"XyzMixMode", &PluginState::XyzMixMode, 0},     {"GamutMode", &PluginState::GamutMode, 2},
      {"PopHelp", &PluginState::PopHelp, 0},           {"SampleSource", &PluginState::SampleSourceFlags, 6},
      {"AggressiveAutosample", &PluginState::AggressiveAutosample, 1},
      // Mouse pressure mode: stored negative, the magnitude kept for later.
      {"Pressure", &PluginState::PressureSensitivity, -200},
  };
  const float white[3] = {96.5f, 99.25f, 120.333f};
  ASSERT_EQ(host->Open(), 1);
  ASSERT_NE(GState.PanelRequester, 0);
  for (const Kept& k : kept) GState.*k.field = k.value;
  for (int i = 0; i < 3; ++i) GState.ReferenceWhite[i] = white[i];
  // Kept in memory only during a run.
  GState.VectorscopeX = 300;
  GState.VectorscopeY = 400;
  GState.VectorscopeMode = 2;
  host->UserClosesRequester(GState.PanelRequester, 0);
  SaveReferenceWhite(host->Context());
  EXPECT_EQ(Stored("mousemode"), "-200");
  EXPECT_EQ(Stored("lab_ref_z"), "120.333000");
  for (const char* never : {"vsx", "vsy", "vscope"}) EXPECT_EQ(Stored(never), "<none>") << never;
  host->Close();

  StartHost();
  ASSERT_EQ(host->Open(), 1);
  for (const Kept& k : kept) EXPECT_EQ(GState.*k.field, k.value) << k.name;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(GState.ReferenceWhite[i], white[i]) << "white " << i;
  EXPECT_EQ(GState.VectorscopeX + GState.VectorscopeY + GState.VectorscopeMode, 0);
}

TEST_F(StoreSettings, SaveWritesInTheStoredOrder) {
  ASSERT_EQ(host->Open(), 1);
  GState.Room = 2;
  GState.ShowPalette = 1;
  GState.SliderMode = 2;
  GState.ShowFxBrush = 0;
  GState.PressureSensitivity = 180;
  host->ClearRecords();
  SaveSettings(host->Context());
  SaveReferenceWhite(host->Context());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"room-2palette", "1"}, {"room-2slider", "2"},  {"room-2fxbrush", "0"}, {"mousemode", "180"},
      {"lumaLock", "0"},      {"lightMode", "0"},     {"ciehsv", "1"},        {"floodbg", "1"},
      {"huering", "1"},       {"scropXYZ", "1"},      {"gamut", "0"},         {"popHelp", "1"},
      {"scropLayer", "0"},    {"agautosample", "0"}, {"lab_ref_x", "95.147000"},
      {"lab_ref_y", "100.100000"}, {"lab_ref_z", "108.983000"},
  };
  const std::vector<simhost::DispatchRecord> writes = CallsOf(kFnWriteUserString);
  ASSERT_EQ(writes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(writes[i].texts.size(), 3u) << "write " << i;
    EXPECT_EQ(writes[i].texts[0], kSection) << "write " << i;
    EXPECT_EQ(writes[i].texts[1], expected[i].first) << "write " << i;
    EXPECT_EQ(writes[i].texts[2], expected[i].second) << "write " << i << " " << expected[i].first;
  }
}

struct StoredValueCase {
  const char* key;
  std::string text;
};

TEST_F(StoreSettings, MalformedStoredValuesReadAsDocumented) {
  const StoredValueCase stored[] = {
      {"lumaLock", "abc"},
      {"ciehsv", ""},  // stored but empty: not missing, so 0 rather than the default 1
      {"gamut", "12abc"},
      {"mouseMode", "-5"},
      {"lightMode", "1e3"},
      {"popHelp", std::string(300, '7')},
      {"huering", "   2"},
      {"lab_ref_x", "1e3"},
      {"lab_ref_y", "abc"},
      {"lab_ref_z", std::string(300, '9')},
      {"room-0slider", "-2"},
  };
  for (const StoredValueCase& value : stored) host->SetUserSetting(kSection, value.key, value.text);
  ASSERT_EQ(host->Open(), 1);
  EXPECT_EQ(GState.LumaLock, 0);
  EXPECT_EQ(GState.CieHsvMode, 0);
  EXPECT_EQ(GState.GamutMode, 12);
  EXPECT_EQ(GState.PressureSensitivity, -5);
  EXPECT_EQ(GState.LightMode, 1);
  EXPECT_EQ(GState.PopHelp, INT32_MAX);
  EXPECT_EQ(GState.HueRingMode, 2);
  EXPECT_EQ(GState.ReferenceWhite[0], 1000.0f);
  EXPECT_EQ(GState.ReferenceWhite[1], 0.0f);
  EXPECT_EQ(GState.ReferenceWhite[2], FLT_MAX);
  EXPECT_EQ(GState.SliderMode, -2);  // out-of-range values are taken as read
}

struct PenCase {
  const char* name;
  const char* text;  // null: nothing stored
  bool valid;
  uint8_t r, g, b;
};

TEST_F(StoreSettings, StoredPensAreSentOnlyWhenWellFormed) {
  const PenCase cases[] = {
      {"missing", nullptr, false, 0, 0, 0}, {"empty", "", false, 0, 0, 0},
      {"two values", "1 2", false, 0, 0, 0}, {"valid", "1 2 3", true, 1, 2, 3},
      {"red above a byte", "300 0 0", false, 0, 0, 0}, {"negative red", "-1 0 0", false, 0, 0, 0},
      {"letters", "a b c", false, 0, 0, 0}, {"white", "255 255 255", true, 255, 255, 255},
      {"saturating red", "99999999999 0 0", false, 0, 0, 0}, {"commas", "1,2,3", false, 0, 0, 0},
  };
  const simhost::Rgba hostA{10, 20, 30, 255};
  const simhost::Rgba hostB{40, 50, 60, 255};
  for (const PenCase& c : cases) {
    StartHost();
    host->aPen = hostA;
    host->bPen = hostB;
    if (c.text) {
      host->SetUserSetting("Main", "apen", c.text);
      host->SetUserSetting("Main", "bpen", c.text);
    }
    PluginContext* context = host->Context();
    LoadStoredPens(context);
    bool sentA = false;
    bool sentB = false;
    for (const std::string& command : host->CommandTexts()) {
      sentA = sentA || command.rfind("tv_SetAPen", 0) == 0;
      sentB = sentB || command.rfind("tv_SetBPen", 0) == 0;
    }
    EXPECT_EQ(sentA, c.valid) << c.name;
    EXPECT_EQ(sentB, c.valid) << c.name;
    const simhost::Rgba wantA = c.valid ? simhost::Rgba{c.r, c.g, c.b, 255} : hostA;
    const simhost::Rgba wantB = c.valid ? simhost::Rgba{c.r, c.g, c.b, 255} : hostB;
    EXPECT_TRUE(host->aPen == wantA) << c.name;
    EXPECT_TRUE(host->bPen == wantB) << c.name;
    const Pixel pixelA = MakePixel(context, wantA.r, wantA.g, wantA.b, 255);
    // Nothing sent for B: the last B pen sent stays as it was.
    const Pixel pixelB = c.valid ? MakePixel(context, wantB.r, wantB.g, wantB.b, 255) : 0;
    EXPECT_EQ(GState.BasePixel, pixelA) << c.name;
    EXPECT_EQ(GState.LastAPen, pixelA) << c.name;
    EXPECT_EQ(GState.LastBPen, pixelB) << c.name;
  }
}

}  // namespace
