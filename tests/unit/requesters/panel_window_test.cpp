// The main panel window: shown once and raised after that, a clear message
// when the host refuses it, and its closing stores place and room keys.
#include <string>

#include "host/host_functions.h"
#include "requesters/lab_dialog.h"
#include "requesters_fixture.h"

namespace {

using RequestersPanel = RequestersTest;

TEST_F(RequestersPanel, ShowingTwiceRaisesTheOpenPanel) {
  ASSERT_EQ(1, Host().Parameters("s"));
  ASSERT_EQ(1, Host().Parameters(nullptr));
  EXPECT_FALSE(GState.ModeFlags & kModePick);  // opening the panel ends the pick mode
  EXPECT_EQ(0, GState.PickRequester);
  const RequesterHandle panel = GState.PanelRequester;
  ASSERT_NE(0, panel);
  const auto opens = CallsOf(kFnOpenCallbackRequester);
  ASSERT_EQ(1u, opens.size());
  const std::vector<HostWord> expected = {185, 48, 128, 128, 0x900010};
  EXPECT_EQ(expected, std::vector<HostWord>(opens[0].pack.begin(), opens[0].pack.begin() + 5));

  ASSERT_EQ(1, Host().Parameters(nullptr));

  EXPECT_EQ(panel, GState.PanelRequester);
  EXPECT_EQ(1u, CallsOf(kFnOpenCallbackRequester).size());
  EXPECT_EQ(1, Host().OpenRequesterCount());
  const simhost::Requester* shown = Host().FindRequester(panel);
  ASSERT_NE(nullptr, shown);
  EXPECT_EQ(1, shown->raiseCount);
  EXPECT_EQ(1, shown->showCount);
  EXPECT_EQ("Tintwellv7.50", shown->title);
  EXPECT_TRUE(Host().Faults().empty()) << Host().Faults().front();
}

TEST_F(RequestersPanel, RefusedPanelShowsTheMessageAndFails) {
  for (const char* command : {static_cast<const char*>(nullptr), "t"}) {
    Host().ClearRecords();
    Host().FailNextRequesterOpen();
    EXPECT_EQ(0, Host().Parameters(command)) << (command ? command : "(null)");
    EXPECT_EQ(0, GState.PanelRequester);
    EXPECT_EQ(std::vector<std::string>{"Can't Open Requester !"}, Host().Messages());
  }
  EXPECT_EQ(0, Host().OpenRequesterCount());
}

TEST_F(RequestersPanel, ClosingStoresPlaceAndVisibilityPerRoom) {
  struct Case {
    const char* room;       // nullptr: no room named yet
    HostWord closeWord4;
    const char* prefix;
    const char* invisible;  // "%swinvisible" after the closing
  };
  const Case cases[] = {
      {nullptr, 0, "room-0", "1"},
      {nullptr, 1, "room-0", "<none>"},
      {"Room-3", 0, "room-3", "1"},
      {"Room-3", 5, "room-3", "0"},  // written "0" when shown, untouched by this closing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.room ? c.room : "no room") + " word4=" + std::to_string(c.closeWord4));
    TearDown();
    SetUp();
    if (c.room) Host().ChangeRoom(c.room);
    ASSERT_EQ(1, Host().Parameters(nullptr));
    const RequesterHandle panel = GState.PanelRequester;
    Host().ClearRecords();

    Host().UserClosesRequester(panel, c.closeWord4);

    EXPECT_EQ(0, GState.PanelRequester);
    const auto saves = CallsOf(kFnRequesterOp, kReqSavePlace);
    ASSERT_EQ(1u, saves.size());
    EXPECT_EQ(panel, saves[0].pack[1]);
    EXPECT_EQ((std::vector<std::string>{kSection, c.prefix}), saves[0].texts);
    EXPECT_EQ(c.invisible, Setting(std::string(c.prefix) + "winvisible"));
    // The options and the room's sections go with it.
    EXPECT_EQ("0", Setting("lumaLock"));
    EXPECT_EQ(std::to_string(GState.SliderMode), Setting(std::string(c.prefix) + "slider"));
    EXPECT_TRUE(Host().Faults().empty());
  }
}

TEST_F(RequestersPanel, LabDialogOpensOnceAndForgetsItsHandleOnClosing) {
  OpenLabDialog(Context());
  const RequesterHandle dialog = GState.LabDialogRequester;
  ASSERT_NE(0, dialog);
  EXPECT_EQ("LAB\xb2\xce\xbf\xbc", Host().FindRequester(dialog)->title);  // GBK
  OpenLabDialog(Context());
  EXPECT_EQ(1u, CallsOf(kFnOpenCallbackRequester).size());

  Host().UserClosesRequester(dialog);
  EXPECT_EQ(0, GState.LabDialogRequester);

  Host().FailNextRequesterOpen();
  OpenLabDialog(Context());
  EXPECT_EQ(0, GState.LabDialogRequester);
  EXPECT_EQ(std::vector<std::string>{"Can't Open Requester !"}, Host().Messages());
  EXPECT_TRUE(Host().Faults().empty());
}

}  // namespace
