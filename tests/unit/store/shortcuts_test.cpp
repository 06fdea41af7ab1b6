// Tests of the keyboard shortcuts (store layer): the thirteen the plug-in
// registers when it opens, in order, with their GBK labels byte for byte
// (the labels' bytes themselves are checked against their UTF-8 source with
// the other built-in texts).
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/plugin_state.h"
#include "simhost.h"
#include "support/plugin_host.h"
#include "store/builtin_texts.h"
#include "store/localisation.h"

namespace {

using StoreShortcuts = PluginHostTest;

TEST_F(StoreShortcuts, RegisteredAtOpenInOrderWithGbkLabels) {
  const std::pair<int32_t, const char*> expected[] = {
      {texts::kShortcutPickMode, "s"},       {texts::kShortcutBrushMode, "S"},
      {texts::kShortcutBrushAdjust, "R"},    {texts::kShortcutSwapPens, "x"},
      {texts::kShortcutRefresh, "r"},        {texts::kShortcutDarkenOnly, "d"},
      {texts::kShortcutLightenOnly, "l"},    {texts::kShortcutSizeLock, "k"},
      {texts::kShortcutResetSizeLock, "K"},  {texts::kShortcutAutoTrimToggle, "T"},
      {texts::kShortcutAutoTrimOn, "U"},     {texts::kShortcutAutoTrimOff, "u"},
      {texts::kShortcutTogglePanel, "t"},
  };
  ASSERT_EQ(host->Open(), 1);
  const auto& shortcuts = host->Shortcuts();
  ASSERT_EQ(shortcuts.size(), std::size(expected));
  for (size_t i = 0; i < shortcuts.size(); ++i) {
    EXPECT_EQ(shortcuts[i].first, BuiltinText(expected[i].first)) << "shortcut " << i + 1;
    EXPECT_EQ(shortcuts[i].second, expected[i].second) << "shortcut " << i + 1;
  }
  host->Close();
}

}  // namespace
