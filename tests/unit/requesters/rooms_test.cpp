// Rooms: the panel's place and visible sections follow the host's rooms,
// each room keeping its own under the prefix "room-N".
#include <string>

#include "host/host_functions.h"
#include "requesters_fixture.h"

namespace {

using RequestersRooms = RequestersTest;

TEST_F(RequestersRooms, RoomNamesAreComparedExactly) {
  const std::pair<const char*, int32_t> cases[] = {{"Room-4", 4}, {"Room-3", 3},  {"Room-2", 2}, {"room-2", 1},
                                                   {"ROOM-3", 1}, {"Room-22", 1}, {"", 1}};
  for (const auto& [name, room] : cases) {
    ResetPluginState();
    Host().ChangeRoom(name);
    EXPECT_EQ(room, GState.Room) << "room name \"" << name << "\"";
  }
}

TEST_F(RequestersRooms, FirstRoomMessageSavesNothingAndShowsEverySection) {
  ASSERT_EQ(1, Host().Open());  // room-0 sections default to hidden
  EXPECT_EQ(0, GState.ShowPalette + GState.SliderMode + GState.ShowFxBrush);
  Host().ClearRecords();

  Host().ChangeRoom("Room-3");

  EXPECT_EQ(0u, CountCalls(kFnWriteUserString));
  EXPECT_EQ(0u, CountCalls(kFnRequesterOp, kReqSavePlace));
  EXPECT_EQ(3, GState.Room);
  EXPECT_EQ(3, GState.ShowPalette + GState.SliderMode + GState.ShowFxBrush);
  const auto restores = CallsOf(kFnRequesterOp, kReqRestorePlace);
  ASSERT_EQ(1u, restores.size());
  EXPECT_EQ(GState.PanelRequester, restores[0].pack[1]);
  EXPECT_EQ((std::vector<std::string>{kSection, "room-3"}), restores[0].texts);

  // Naming the same room again changes nothing.
  Host().ClearRecords();
  GState.ShowPalette = 7;
  Host().ChangeRoom("Room-3");
  EXPECT_TRUE(Host().Calls().empty());
  EXPECT_EQ(7, GState.ShowPalette);
  Host().Close();
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(RequestersRooms, EachRoomKeepsItsOwnSectionsAndPlace) {
  ASSERT_EQ(1, Host().Parameters(nullptr));
  const RequesterHandle panel = GState.PanelRequester;
  Host().ChangeRoom("Room-2");
  GState.ShowPalette = 0;
  GState.SliderMode = 3;
  GState.ShowFxBrush = 0;
  Host().ClearRecords();

  Host().ChangeRoom("Room-4");

  EXPECT_EQ("0", Setting("room-2palette"));
  EXPECT_EQ("3", Setting("room-2slider"));
  EXPECT_EQ("0", Setting("room-2fxbrush"));
  const auto saves = CallsOf(kFnRequesterOp, kReqSavePlace);
  ASSERT_EQ(1u, saves.size());
  EXPECT_EQ(panel, saves[0].pack[1]);
  EXPECT_EQ((std::vector<std::string>{kSection, "room-2"}), saves[0].texts);

  GState.SliderMode = 2;
  Host().ChangeRoom("anything else");  // room 1
  EXPECT_EQ("2", Setting("room-4slider"));

  Host().ChangeRoom("Room-2");
  EXPECT_EQ(0, GState.ShowPalette);
  EXPECT_EQ(3, GState.SliderMode);
  EXPECT_EQ(0, GState.ShowFxBrush);
  EXPECT_TRUE(Host().Faults().empty());
}

}  // namespace
