// A host that hands out the lowest free requester handle: a window the user
// closed behind the plug-in's back gives its value to the next window. The
// handle the plug-in still holds for the old window is stale from then on:
// nothing is drawn into, placed or closed through it.
#include <string>

#include "requesters_fixture.h"

#include "host/host_functions.h"
#include "requesters/lab_dialog.h"
#include "support/plugin_holdings.h"

namespace {

using HandleReuse = RequestersTest;

TEST_F(HandleReuse, AStaleHandleIsForgottenNotUsedOnTheWindowThatGotItsValue) {
  struct Case {
    const char* name;
    const char* before;                         // commands before the pick mode starts
    void (*reopen)(simhost::SimHost& host);     // opens the window that takes the scope's value
  };
  const Case cases[] = {
      {"LAB dialog", "", [](simhost::SimHost& host) { OpenLabDialog(host.Context()); }},
      {"panel", "t", [](simhost::SimHost& host) { host.Parameters("t"); }},
  };
  for (const Case& c : cases) {
    RestartHost();
    std::strcpy(host->Context()->Name, kSection);
    Host().ReuseRequesterHandles(true);
    Host().SetUserSetting(kSection, "vscope", "1");
    ASSERT_EQ(Host().Open(), 1) << c.name;
    if (*c.before) Host().Parameters(c.before);
    ASSERT_EQ(Host().Parameters("s"), 1) << c.name;  // pick window and scope window
    const RequesterHandle scope = GState.VectorscopeRequester;
    ASSERT_NE(scope, 0u) << c.name;
    Host().UserClosesRequester(scope);
    c.reopen(Host());
    Host().DeliverPendingMessages();
    const simhost::Requester* taker = Host().FindRequester(scope);
    ASSERT_NE(taker, nullptr) << c.name << " took another value: the case tests nothing";
    const size_t gadgets = taker->gadgets.size();

    Host().ClearRecords();
    Host().Parameters("r");                     // redraws, the scope picture among them
    Host().Message(kMsgGadgetPress, 0, {130});  // a click on the scope's picture
    Host().EndCanvasEvents();                   // the pick mode ends: the scope window would close
    ASSERT_NE(Host().FindRequester(scope), nullptr) << c.name << " was closed through the stale handle";
    EXPECT_EQ(Host().FindRequester(scope)->gadgets.size(), gadgets) << c.name;
    for (const simhost::DispatchRecord* call : FindCalls(kFnRequesterOp, kReqSetGadgetImage)) {
      EXPECT_FALSE(call->pack[1] == scope && call->pack[2] == 130) << c.name << " got the scope picture";
    }
    EXPECT_EQ(CheckPluginHoldings(Host()), "") << c.name;
    EXPECT_TRUE(Host().Faults().empty()) << c.name << ": " << Host().Faults().front();
    Host().Close();
    EXPECT_EQ(CheckNothingLeftOpen(Host()), "") << c.name;
  }
}

}  // namespace
