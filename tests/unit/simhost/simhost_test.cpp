// The stand-in host itself: what it stores, bounds, unpacks and re-enters.
// Most tests drive the host through the plug-in's own host call layer with
// the host's context; the re-entry tests use a tiny fake plug-in so that the
// order of calls is the host's alone.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_calls.h"
#include "support/plugin_host.h"

namespace {

using simhost::Rgba;

// ---------------------------------------------------------------- a fake plug-in

// What the fake plug-in saw, and what its PI_Parameters does.
struct FakeLog {
  std::vector<std::string> events;
  std::string action;  // "filter", "canvas", "requester", "leave-file-open"
  HostWord requester = 0;
  HostWord closeWord4 = -1;
  int32_t workArea[4] = {0, 0, 0, 0};
  bool workImageSeen = false;
  std::string filePath;  // the settings file "leave-file-open" opens
};
FakeLog gFake;

int32_t TW_CALL FakeCallback(PluginContext*, int32_t event, HostWord requester, HostWord* args) {
  gFake.events.push_back("callback " + std::to_string(event));
  if (event == 100) gFake.requester = requester;
  if (event == 101) gFake.closeWord4 = args[4];
  return 1;
}

int32_t TW_CALL FakeParameters(PluginContext* context, const char* text) {
  gFake.events.push_back(std::string("parameters ") + (text ? text : "(null)"));
  if (gFake.action == "filter") {
    HostApplyFilter(context);
  } else if (gFake.action == "canvas") {
    HostStartCanvasEvents(context, 0x20001);
    HostStopCanvasEvents(context);
  } else if (gFake.action == "requester") {
    const RequesterHandle handle = HostOpenCallbackRequester(context, 10, 10, 0, 0, 16, "Fake", FakeCallback);
    gFake.events.push_back("opened " + std::to_string(handle == gFake.requester));
    HostCloseRequester(context, handle);
    gFake.events.push_back("closed");
  } else if (gFake.action == "leave-file-open") {
    HostOpenConfigFile(context, gFake.filePath.c_str());
  }
  gFake.events.push_back("parameters end");
  return 1;
}

int32_t TW_CALL FakeStart(PluginContext*, int32_t, int32_t, int32_t, int32_t) {
  gFake.events.push_back("start");
  return 1;
}

// Inverts the colour of every pixel (premultiplied: alpha - colour), keeps alpha.
int32_t TW_CALL FakeWork(PluginContext* context) {
  gFake.events.push_back("work");
  HostImage* image = context->WorkImage;
  gFake.workImageSeen = image != nullptr;
  for (int i = 0; i < 4; ++i) gFake.workArea[i] = context->WorkArea[i];
  if (image) {
    for (int32_t i = 0; i < image->Width * image->Height; ++i) {
      const Pixel p = image->Pixels[i];
      const uint8_t a = PixelAlpha(context, p);
      image->Pixels[i] = MakePixel(context, a - PixelRed(context, p), a - PixelGreen(context, p),
                                   a - PixelBlue(context, p), a);
    }
  }
  HostUpdateArea(context, context->WorkArea[0], context->WorkArea[1], context->WorkArea[2], context->WorkArea[3]);
  return 1;
}

void TW_CALL FakeFinish(PluginContext*) { gFake.events.push_back("finish"); }

int32_t TW_CALL FakeMsg(PluginContext*, int32_t kind, HostWord, HostWord*) {
  gFake.events.push_back("msg " + std::to_string(kind));
  return 1;
}

simhost::PluginApi FakeApi() {
  simhost::PluginApi api;
  api.Parameters = FakeParameters;
  api.Start = FakeStart;
  api.Work = FakeWork;
  api.Finish = FakeFinish;
  api.Msg = FakeMsg;
  return api;
}

class SimHostTest : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    gFake = FakeLog();
  }
  std::string ReadUser(simhost::SimHost& h, const std::string& section, const std::string& key,
                       const char* defaultText = "default", int32_t size = 256) {
    char buffer[1100];
    std::memset(buffer, 'Z', sizeof buffer);
    HostReadUserString(h.Context(), section.c_str(), key.c_str(), buffer, defaultText, size);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
  }
};

// ---------------------------------------------------------------- user settings

TEST_F(SimHostTest, UserSettingsSurviveARestartThroughTheFile) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"plain", "1"},
      {"with=equals", "a=b"},
      {"[brackets]", "[x]"},
      {"breaks", "line\nbreak\r"},
      {"backslash", "C:\\dir\\file"},
      {"gbk", "\xc7\xd0\xbb\xbb"},
      {"empty", ""},
      {"spaces", "  padded  "},
      {"mouseMode", "written under one letter case"},
  };
  for (const auto& v : values) HostWriteUserString(host->Context(), "Sec]tion=", v.first.c_str(), v.second.c_str());
  RestartHost();
  for (const auto& v : values) {
    EXPECT_EQ(ReadUser(*host, "Sec]tion=", v.first), v.second) << "key " << v.first;
  }
  // Names ignore letter case, as the real host's profile files do.
  EXPECT_EQ(ReadUser(*host, "sec]TION=", "MOUSEMODE"), "written under one letter case");
  EXPECT_EQ(ReadUser(*host, "Sec]tion=", "missing"), "default");
  EXPECT_EQ(ReadUser(*host, "Other", "plain"), "default");
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(SimHostTest, UserSettingReadsAreCutToTheBufferAndTo255Bytes) {
  host->SetUserSetting("S", "long", std::string(1000, 'a'));
  EXPECT_EQ(ReadUser(*host, "S", "long", "", 255).size(), 254u);
  EXPECT_EQ(ReadUser(*host, "S", "long", "", 1000).size(), 255u);
  EXPECT_EQ(ReadUser(*host, "S", "long", "", 4), "aaa");
  EXPECT_EQ(ReadUser(*host, "S", "long", "", 1), "");
  EXPECT_EQ(ReadUser(*host, "S", "missing", std::string(300, 'd').c_str(), 256).size(), 255u);
  char untouched[4] = {'Z', 'Z', 'Z', 'Z'};
  HostReadUserString(host->Context(), "S", "long", untouched, "", 0);
  EXPECT_EQ(std::string(untouched, 4), "ZZZZ") << "size 0 writes nothing";
}

// ---------------------------------------------------------------- settings files

TEST_F(SimHostTest, SettingsFileRoundTripsThroughTheFileOnDisk) {
  const std::string path = tempDir + "\\ColourScheme.cfg";  // the plug-in's form of the path
  const HostWord file = HostOpenConfigFile(host->Context(), path.c_str());
  ASSERT_NE(file, 0);
  HostWriteConfigString(host->Context(), file, "slot_0", "pointCount", "2");
  HostWriteConfigString(host->Context(), file, "slot_0", "csP_0", "4278190335 0.0000");
  HostWriteConfigString(host->Context(), file, "slot_3", "pointCount", "1");
  HostCloseConfigFile(host->Context(), file);
  EXPECT_EQ(host->OpenConfigFileCount(), 0);

  std::ifstream onDisk(TempPath("ColourScheme.cfg"), std::ios::binary);
  std::stringstream text;
  text << onDisk.rdbuf();
  EXPECT_NE(text.str().find("[slot_0]\npointCount=2\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("[slot_3]\npointCount=1\n"), std::string::npos) << text.str();

  RestartHost();
  const HostWord again = HostOpenConfigFile(host->Context(), path.c_str());
  ASSERT_NE(again, 0);
  char buffer[256];
  HostReadConfigString(host->Context(), again, "slot_0", "csP_0", buffer, "-1 0", 256);
  EXPECT_STREQ(buffer, "4278190335 0.0000");
  HostReadConfigString(host->Context(), again, "slot_3", "pointCount", buffer, "0", 256);
  EXPECT_STREQ(buffer, "1");
  HostReadConfigString(host->Context(), again, "slot_3", "csP_0", buffer, "-1 0", 256);
  EXPECT_STREQ(buffer, "-1 0");
  HostCloseConfigFile(host->Context(), again);
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(SimHostTest, SettingsFileHandlesAreTracked) {
  const HostWord first = HostOpenConfigFile(host->Context(), TempPath("a.cfg").c_str());
  const HostWord second = HostOpenConfigFile(host->Context(), TempPath("b.cfg").c_str());
  EXPECT_NE(first, 0);
  EXPECT_NE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(HostOpenConfigFile(host->Context(), TempPath("no/such/dir/c.cfg").c_str()), 0);
  HostCloseConfigFile(host->Context(), first);
  HostCloseConfigFile(host->Context(), second);
  EXPECT_TRUE(host->Faults().empty());
  HostCloseConfigFile(host->Context(), second);
  EXPECT_EQ(host->Faults().size(), 1u) << "closing a closed handle";

  // A file the plug-in leaves open when its call returns is a fault.
  auto fake = MakeHost(FakeApi());
  gFake.action = "leave-file-open";
  gFake.filePath = TempPath("left_open.cfg");
  fake->Parameters("x");
  EXPECT_EQ(fake->OpenConfigFileCount(), 0);
  ASSERT_EQ(fake->Faults().size(), 1u);
  EXPECT_NE(fake->Faults()[0].find("left open"), std::string::npos) << fake->Faults()[0];
}

// ---------------------------------------------------------------- commands

TEST_F(SimHostTest, ReplyBufferGetsAt255BytesAndATerminator) {
  host->ScriptReply("tv_GetPath PLUGIN", std::string(1000, 'p'));
  char reply[300];
  std::memset(reply, 'Z', sizeof reply);
  HostSendCommand(host->Context(), "tv_GetPath PLUGIN", reply);
  EXPECT_EQ(strnlen(reply, sizeof reply), 255u);
  EXPECT_EQ(reply[256], 'Z') << "nothing written past the terminator";
  EXPECT_EQ(host->Commands().back().reply, std::string(255, 'p'));
  // The script is used once; the model answers again afterwards.
  HostSendCommand(host->Context(), "tv_GetPath PLUGIN", reply);
  EXPECT_EQ(std::string(reply), options.pluginDirectory);
}

TEST_F(SimHostTest, CommandsAnswerFromTheModel) {
  host->PaintPixel(3, 4, Rgba{200, 100, 50, 128});
  struct Step {
    const char* command;
    const char* reply;
  };
  const Step steps[] = {
      {"tv_SetAPen 10 20 30", ""},
      {"tv_SetBPen 250 240 230", ""},
      {"tv_GetAPen", "10 20 30 255"},
      {"tv_GetBPen", "250 240 230 255"},
      {"tv_RangeGrab 0", "10 20 30 255"},
      {"tv_RangeGrab 255", "250 240 230 255"},
      {"tv_RangeGrab 51", "58 64 70 255"},
      {"tv_GetActiveTool", "airbrush"},
      {"tv_GetActiveTool force", "airbrush"},
      {"tv_getActiveShape", "freehandline"},
      {"tv_setActiveShape rectanglefill", ""},
      {"tv_getactiveshape", "rectanglefill"},
      {"tv_setdrawmode darken", ""},
      {"tv_getDrawMode", "darken"},
      {"airbrush mode lighten", ""},
      {"tv_getDrawMode", "lighten"},
      {"tv_GetPixel 3 4", "200 100 50 128"},
      {"tv_GetPixel 99 4", "0 0 0 0"},
      {"tv_LayerCurrentID", "1"},
      {"tv_LayerCreate \"deleteme_restroke\"", "2"},
      {"tv_LayerGetImage", "2"},
      {"tv_GetPixel 3 4", "0 0 0 0"},
      {"tv_GetPixelDisplay 3 4", "200 100 50 128"},
      {"tv_LayerDisplay 1 off", ""},
      {"tv_GetPixelDisplay 3 4", "0 0 0 0"},
      {"tv_undo", ""},
      {"tv_GetPixelDisplay 3 4", "200 100 50 128"},
      {"tv_undo", ""},
      {"tv_LayerCurrentID", "1"},
      {"tv_LockMouse 1", ""},
      // Words in any case; arguments as strtol reads them (quoted, padded,
      // signed, trailing letters, beyond int range); one- to three-digit bytes.
      {"TV_SETAPEN 0 9 100", ""},
      {"tv_GetAPen", "0 9 100 255"},
      {"tv_SetBPen \"5\"  007   +255 12abc", ""},
      {"tv_GetBPen", "5 7 255 12"},
      {"tv_RangeGrab -5", "0 9 100 255"},
      {"tv_RangeGrab 9999999999", "5 7 255 12"},
      {"tv_no_such_command 1 2", ""},
  };
  for (const Step& step : steps) {
    char reply[256] = "unchanged";
    HostSendCommand(host->Context(), step.command, reply);
    EXPECT_STREQ(reply, step.reply) << step.command;
  }
  EXPECT_TRUE(host->mouseLocked);
  ASSERT_EQ(host->Commands().size(), sizeof steps / sizeof steps[0]);
  for (size_t i = 0; i < host->Commands().size(); ++i) {
    EXPECT_EQ(host->Commands()[i].command, steps[i].command) << "recorded in order";
  }
}

// ---------------------------------------------------------------- images

TEST_F(SimHostTest, PackedImageUnpacksExactlyTheGivenPixels) {
  // Two literal pixels, one pixel repeated three times, one literal pixel.
  const uint8_t packed[] = {0x01, 1, 2,    3,    4,    5,   6,   7,   8,    //
                            0xFE, 9, 0x0A, 0x0B, 0x0C,                      //
                            0x00, 0xF0, 0xF1, 0xF2, 0xF3,                   //
                            0x7F};  // a packet beyond the count is never read
  HostImage* image = HostAllocImage(host->Context(), 3, 2);
  ASSERT_NE(image, nullptr);
  HostUnpackImage(host->Context(), packed, image->Pixels, 6);
  const uint8_t expected[6][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {9, 10, 11, 12}, {9, 10, 11, 12},
                                  {0xF0, 0xF1, 0xF2, 0xF3}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(std::memcmp(&image->Pixels[i], expected[i], 4), 0) << "pixel " << i << " copied byte for byte";
  }
  EXPECT_EQ(host->Calls().back().output, "19") << "bytes consumed";
  EXPECT_TRUE(host->Faults().empty());

  // A run that would go past the count is cut and reported.
  const uint8_t tooLong[] = {0xFB, 1, 1, 1, 1};  // 6 pixels into 4
  Pixel four[5] = {0, 0, 0, 0, 0x55555555u};
  HostUnpackImage(host->Context(), tooLong, four, 4);
  EXPECT_EQ(four[4], 0x55555555u) << "nothing past the count";
  EXPECT_EQ(host->Faults().size(), 1u);

  // Bounded by the stream's size too.
  bool ok = true;
  EXPECT_EQ(simhost::UnpackPackBits(packed, 5, four, 4, &ok), 1u);
  EXPECT_FALSE(ok);
  HostFreeImage(host->Context(), image);
}

TEST_F(SimHostTest, ImagesAreTrackedAndBadFreesAreFaults) {
  HostImage* image = HostAllocImage(host->Context(), 4, 3);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width, 4);
  EXPECT_EQ(image->Height, 3);
  const PluginContext* context = host->Context();
  EXPECT_EQ(image->ChannelPositions[0], context->RedPosition);
  EXPECT_EQ(image->ChannelPositions[3], context->AlphaPosition);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(image->Pixels[i], 0u);
  EXPECT_EQ(host->LiveImageCount(), 1);
  HostFreeImage(host->Context(), image);
  EXPECT_EQ(host->LiveImageCount(), 0);
  EXPECT_TRUE(host->Faults().empty());
  HostFreeImage(host->Context(), image);
  HostImage notTheHosts{};
  HostFreeImage(host->Context(), &notTheHosts);
  EXPECT_EQ(host->Faults().size(), 2u) << "freed twice, and never allocated";

  host->FailNextImageAlloc();
  EXPECT_EQ(HostAllocImage(host->Context(), 4, 3), nullptr);
  HostImage* next = HostAllocImage(host->Context(), 4, 3);
  EXPECT_NE(next, nullptr);
  HostFreeImage(host->Context(), next);
}

// ---------------------------------------------------------------- re-entry

TEST_F(SimHostTest, ApplyFilterRunsStartWorkFinishInsideTheCall) {
  auto fake = MakeHost(FakeApi());
  fake->PaintPixel(1, 1, Rgba{10, 20, 30, 255});
  fake->PaintPixel(2, 1, Rgba{255, 0, 0, 0});
  gFake.action = "filter";
  fake->Parameters("l");
  const std::vector<std::string> expected = {"parameters l", "start", "work", "finish", "parameters end"};
  EXPECT_EQ(gFake.events, expected);
  EXPECT_TRUE(gFake.workImageSeen);
  EXPECT_EQ(gFake.workArea[0], 0);
  EXPECT_EQ(gFake.workArea[1], 0);
  EXPECT_EQ(gFake.workArea[2], options.imageWidth);
  EXPECT_EQ(gFake.workArea[3], options.imageHeight);
  EXPECT_EQ(fake->Context()->WorkImage, nullptr) << "cleared after the pass";

  const simhost::Layer& layer = *fake->CurrentLayer();
  EXPECT_EQ(fake->LayerPixel(layer, 1, 1), (Rgba{245, 235, 225, 255})) << "taken back after HostUpdateArea";
  EXPECT_EQ(fake->LayerPixel(layer, 2, 1).a, 0) << "transparent stays transparent";
  EXPECT_EQ(fake->LayerPixel(layer, 0, 0), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(fake->LiveImageCount(), 0);
  EXPECT_TRUE(fake->Faults().empty());

  std::vector<std::string> entries;
  for (const auto& entry : fake->Entries()) entries.push_back(entry.entry + "@" + std::to_string(entry.depth));
  const std::vector<std::string> expectedEntries = {"PI_Parameters@1", "PI_Start@2", "PI_Work@2", "PI_Finish@2"};
  EXPECT_EQ(entries, expectedEntries);
}

TEST_F(SimHostTest, CanvasEndMessageWaitsForTheOutermostCall) {
  auto fake = MakeHost(FakeApi());
  gFake.action = "canvas";
  fake->Parameters("s");
  const std::vector<std::string> expected = {"parameters s", "parameters end", "msg 1000"};
  EXPECT_EQ(gFake.events, expected);
  EXPECT_FALSE(fake->canvasEvents);
  ASSERT_FALSE(fake->Entries().empty());
  EXPECT_EQ(fake->Entries().back().entry, "PI_Msg");
  EXPECT_EQ(fake->Entries().back().depth, 1) << "delivered after the call, not inside it";

  // Called straight from outside the plug-in, it waits to be delivered.
  gFake.events.clear();
  HostStopCanvasEvents(fake->Context());
  ASSERT_EQ(fake->PendingMessages().size(), 1u);
  EXPECT_EQ(fake->PendingMessages().front(), 1000);
  EXPECT_TRUE(gFake.events.empty());
  fake->DeliverPendingMessages();
  EXPECT_EQ(gFake.events, std::vector<std::string>{"msg 1000"});
}

TEST_F(SimHostTest, CallbackRequesterGetsItsEventsInsideOpenAndClose) {
  auto fake = MakeHost(FakeApi());
  gFake.action = "requester";
  fake->Parameters(nullptr);
  const std::vector<std::string> expected = {"parameters (null)", "callback 100", "opened 1", "callback 101",
                                             "closed", "parameters end"};
  EXPECT_EQ(gFake.events, expected);
  EXPECT_EQ(gFake.closeWord4, 1) << "a plug-in close";
  EXPECT_EQ(fake->OpenRequesterCount(), 0);

  // The user closes it: word 4 as the test gives it.
  const HostWord firstHandle = gFake.requester;
  const HostWord handle = HostOpenCallbackRequester(fake->Context(), 10, 10, 0, 0, 16, "Fake", FakeCallback);
  ASSERT_NE(handle, 0);
  EXPECT_NE(handle, firstHandle) << "handles are not reused";
  fake->UserClosesRequester(handle, 0);
  EXPECT_EQ(gFake.closeWord4, 0);
  EXPECT_EQ(fake->FindRequester(handle), nullptr);

  fake->FailNextRequesterOpen();
  EXPECT_EQ(HostOpenRequester(fake->Context(), 2, 2, 0, 0, 14, "x"), 0);
  EXPECT_TRUE(fake->Faults().empty());
  HostCloseRequester(fake->Context(), handle);
  EXPECT_EQ(fake->Faults().size(), 1u) << "closing a closed requester";
}

// ---------------------------------------------------------------- places and localisation

TEST_F(SimHostTest, RequesterPlacesPersistInTheUserSettings) {
  const RequesterHandle first = HostOpenRequester(host->Context(), 185, 48, 0, 0, 8, "Panel");
  HostSetRequesterPlace(host->Context(), first, 300, 200, 185, 120);
  HostSaveRequesterPlace(host->Context(), first, "Tintwell", "room-2");
  HostCloseRequester(host->Context(), first);
  RestartHost();
  const RequesterHandle second = HostOpenRequester(host->Context(), 185, 48, 0, 0, 8, "Panel");
  HostRestoreRequesterPlace(host->Context(), second, "Tintwell", "room-2");
  int32_t x = 0, y = 0, width = 0, height = 0;
  EXPECT_NE(HostGetRequesterPlace(host->Context(), second, &x, &y, &width, &height), 0);
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 200);
  EXPECT_EQ(width, 185);
  EXPECT_EQ(height, 120);
  HostRestoreRequesterPlace(host->Context(), second, "Tintwell", "room-3");  // nothing stored: unchanged
  host->FailNextGetRequesterPlace();
  x = -7;
  EXPECT_EQ(HostGetRequesterPlace(host->Context(), second, &x, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(x, -7);
  HostCloseRequester(host->Context(), second);
  EXPECT_TRUE(host->Faults().empty());
}

TEST_F(SimHostTest, LocalisationFileServesNumberedTexts) {
  EXPECT_EQ(HostOpenLocalisation(host->Context(), "tintwell.loc"), 0) << "no file configured";
  UseLocalisation({{100, "Farbrad"}, {200, ""}, {300, "two\nlines \\ back"}, {10002, "LAB\xb2\xce\xbf\xbc"}});
  const HostWord handle = HostOpenLocalisation(host->Context(), "tintwell.loc");
  ASSERT_NE(handle, 0);
  EXPECT_TRUE(host->localisationOpen());
  EXPECT_STREQ(HostLocalisedString(host->Context(), handle, 100), "Farbrad");
  EXPECT_STREQ(HostLocalisedString(host->Context(), handle, 200), "");
  EXPECT_STREQ(HostLocalisedString(host->Context(), handle, 300), "two\nlines \\ back");
  EXPECT_STREQ(HostLocalisedString(host->Context(), handle, 10002), "LAB\xb2\xce\xbf\xbc");
  EXPECT_EQ(HostLocalisedString(host->Context(), handle, 101), nullptr);
  HostCloseLocalisation(host->Context(), handle);
  EXPECT_FALSE(host->localisationOpen());
  EXPECT_TRUE(host->Faults().empty());
  HostCloseLocalisation(host->Context(), handle);
  EXPECT_EQ(host->Faults().size(), 1u) << "closed twice";
}

}  // namespace
