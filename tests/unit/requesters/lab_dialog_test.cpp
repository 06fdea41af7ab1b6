// The LAB reference dialog: its gadgets, typed values and arrow steps kept
// within 0..800, the reset to the default white, and the white stored when
// the dialog closes.
#include <string>
#include <vector>

#include "host/host_functions.h"
#include "requesters/lab_dialog.h"
#include "requesters_fixture.h"

namespace {

constexpr int32_t kFields[3] = {400, 402, 404};

class LabDialog : public RequestersTest {
 protected:
  RequesterHandle Open() {
    GState.ReferenceWhite[0] = 95.147f;
    GState.ReferenceWhite[1] = 100.1f;
    GState.ReferenceWhite[2] = 108.983f;
    OpenLabDialog(Context());
    return GState.LabDialogRequester;
  }

  std::string FieldText(int32_t gadget) {
    const simhost::Requester* dialog = Host().FindRequester(GState.LabDialogRequester);
    if (!dialog || !dialog->gadgets.count(gadget)) return "<none>";
    return dialog->gadgets.at(gadget).text;
  }
};

TEST_F(LabDialog, OpensWithItsFieldsArrowsAndButton) {
  const RequesterHandle dialog = Open();
  ASSERT_NE(0, dialog);
  const simhost::Requester* shown = Host().FindRequester(dialog);
  ASSERT_NE(nullptr, shown);
  EXPECT_EQ("LAB\xB2\xCE\xBF\xBC", shown->title);
  EXPECT_EQ((std::vector<int32_t>{185, 83, 200, 200, 16}),
            (std::vector<int32_t>{shown->width, shown->height, shown->x, shown->y, shown->flags}));

  // Gadgets in order, then the field texts.
  std::vector<std::string> dialogue;
  for (const std::string& line : Host().Dialogue()) {
    if (line.find("HostAddGadget") != std::string::npos || line.find("HostSetGadgetText") != std::string::npos) {
      dialogue.push_back(line.substr(line.find("Host")));
    }
  }
  const std::string d = std::to_string(dialog);
  const std::vector<std::string> expected = {
      "HostAddGadget(" + d + ", 1, 2, 159, 17, 400, 2048, null) -> 1",
      "HostAddGadget(" + d + ", 162, 2, 20, 17, 401, 524288, null) -> 1",
      "HostAddGadget(" + d + ", 1, 22, 159, 17, 402, 2048, null) -> 1",
      "HostAddGadget(" + d + ", 162, 22, 20, 17, 403, 524288, null) -> 1",
      "HostAddGadget(" + d + ", 1, 42, 159, 17, 404, 2048, null) -> 1",
      "HostAddGadget(" + d + ", 162, 42, 20, 17, 405, 524288, null) -> 1",
      "HostAddGadget(" + d + ", 1, 62, 182, 17, 410, 1, \"Reset\") -> 1",
      "HostSetGadgetText(" + d + ", 400, \"95.147000\", 0) -> 1",
      "HostSetGadgetText(" + d + ", 402, \"100.100000\", 0) -> 1",
      "HostSetGadgetText(" + d + ", 404, \"108.983000\", 0) -> 1",
  };
  EXPECT_EQ(expected, dialogue);
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(LabDialog, TypedValuesAreReadClampedAndShownAgain) {
  const RequesterHandle dialog = Open();
  struct Case {
    int32_t field;  // 0..2
    const char* typed;
    float stored;
    const char* shown;
  };
  const Case cases[] = {
      {0, "900", 800.0f, "800.000000"},
      {1, "-3", 0.0f, "0.000000"},
      {2, "abc", 0.0f, "0.000000"},  // not a number: 0
      {0, "12.5xyz", 12.5f, "12.500000"},
      {1, "1e2", 100.0f, "100.000000"},
      {2, "", 0.0f, "0.000000"},
      {0, "123456789012345678", 800.0f, "800.000000"},  // the host hands over 15 characters
      {1, "  96.5", 96.5f, "96.500000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Host().SetGadgetTextAsUser(dialog, kFields[c.field], c.typed);
    Host().SendEvent(dialog, kEventTextEdited, {kFields[c.field]});
    EXPECT_EQ(c.stored, GState.ReferenceWhite[c.field]);
    EXPECT_EQ(c.shown, FieldText(kFields[c.field]));
  }
  // Events naming other gadgets read nothing.
  Host().ClearRecords();
  for (HostWord other : {401, 403, 405, 410, 0, 406}) Host().SendEvent(dialog, kEventTextEdited, {other});
  EXPECT_EQ(0u, CountCalls(kFnRequesterOp, kReqGetGadgetText));
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(LabDialog, ArrowsStepByOneOrATenthWithinTheRange) {
  const RequesterHandle dialog = Open();
  struct Case {
    HostWord arrows;
    HostWord steps;
    HostWord fine;
    int32_t component;
    float before;
    float after;
    const char* shown;
  };
  const Case cases[] = {
      {403, 5, 1, 1, 100.0f, 100.5f, "100.500000"},
      {403, -3, 0, 1, 100.0f, 97.0f, "97.000000"},
      {401, 1000, 0, 0, 95.0f, 800.0f, "800.000000"},
      {405, -2000, 1, 2, 5.0f, 0.0f, "0.000000"},
      {405, 0x7fffffff, 0, 2, 5.0f, 800.0f, "800.000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.arrows) + " by " + std::to_string(c.steps));
    GState.ReferenceWhite[c.component] = c.before;
    Host().SendEvent(dialog, kEventArrowStep, {c.arrows, c.steps, 0, c.fine});
    EXPECT_EQ(c.after, GState.ReferenceWhite[c.component]);
    EXPECT_EQ(c.shown, FieldText(kFields[c.component]));
  }
  EXPECT_TRUE(Host().Faults().empty());
}

TEST_F(LabDialog, ResetRestoresTheDefaultsAndReadsTheGradientAgain) {
  const RequesterHandle dialog = Open();
  GState.ReferenceWhite[0] = 1.0f;
  GState.ReferenceWhite[1] = 2.0f;
  GState.ReferenceWhite[2] = 3.0f;
  Host().ClearRecords();
  Host().SendEvent(dialog, kEventRelease, {400});  // not the button
  EXPECT_TRUE(Host().Calls().empty());

  Host().SendEvent(dialog, kEventRelease, {410});
  EXPECT_EQ(95.147f, GState.ReferenceWhite[0]);
  EXPECT_EQ(100.1f, GState.ReferenceWhite[1]);
  EXPECT_EQ(108.983f, GState.ReferenceWhite[2]);
  EXPECT_EQ("95.147000", FieldText(400));
  EXPECT_EQ("100.100000", FieldText(402));
  EXPECT_EQ("108.983000", FieldText(404));
  const auto grabs = CommandsStartingWith("tv_RangeGrab");
  ASSERT_EQ(256u, grabs.size());
  EXPECT_EQ("tv_RangeGrab 255", grabs.front());
  // The fields are set before the table is read.
  EXPECT_EQ(kFnRequesterOp, Host().Calls().front().function);

  // Closing stores the white, whoever closes.
  GState.ReferenceWhite[2] = 0.5f;
  Host().UserClosesRequester(dialog);
  EXPECT_EQ(0, GState.LabDialogRequester);
  EXPECT_EQ("95.147000", Setting("lab_ref_x"));
  EXPECT_EQ("100.100000", Setting("lab_ref_y"));
  EXPECT_EQ("0.500000", Setting("lab_ref_z"));
  EXPECT_TRUE(Host().Faults().empty());
}

// The dialog's callback lives in the plug-in: PI_Close must not leave it open.
TEST_F(LabDialog, PluginCloseClosesTheDialogAndKeepsTheWhite) {
  ASSERT_EQ(1, Host().Open());
  const RequesterHandle dialog = Open();
  ASSERT_NE(0, dialog);
  GState.ReferenceWhite[0] = 90.5f;
  Host().Close();
  EXPECT_EQ(nullptr, Host().FindRequester(dialog));
  EXPECT_EQ(0, GState.LabDialogRequester);
  EXPECT_EQ("90.500000", Setting("lab_ref_x"));
  EXPECT_EQ(0, Host().OpenRequesterCount());
  EXPECT_TRUE(Host().Faults().empty());
}

}  // namespace
