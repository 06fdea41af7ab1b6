// Tests of the keyboard shortcuts (store layer): the thirteen the plug-in
// registers when it opens, in order, with their GBK labels byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "plugin/plugin_state.h"
#include "simhost.h"
#include "store/localisation.h"
#include "store/shortcuts.h"

namespace {

// Label (UTF-8) and command key, in registration order.
const std::pair<const char*, const char*> kExpectedShortcuts[] = {
    {"激活拾色器", "s"},       {"激活镖盘", "S"},     {"重新调整画笔", "R"}, {"反转A-B颜色", "x"},
    {"刷新Tintwell显示", "r"}, {"仅变暗", "d"},       {"仅变亮", "l"},       {"画笔大小锁定", "k"},
    {"重设大小锁定", "K"},     {"自动修剪切换", "T"}, {"自动修剪开", "U"},   {"自动修剪关", "u"},
    {"切换Tintwell", "t"},
};

#ifndef _WIN32
std::string Gbk(const std::string& utf8) {
  iconv_t converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string input = utf8;
  std::vector<char> output(utf8.size() * 2 + 8);
  char* in = input.data();
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return "<not convertible>";
  return std::string(output.data(), output.size() - outLeft);
}
#endif

TEST(StoreShortcuts, RegisteredAtOpenInOrderWithGbkLabels) {
  ResetPluginState();
  simhost::SimHost host(simhost::LinkedPluginApi());
  ASSERT_EQ(host.Open(), 1);
  const auto& shortcuts = host.Shortcuts();
  ASSERT_EQ(shortcuts.size(), std::size(kExpectedShortcuts));
  for (size_t i = 0; i < shortcuts.size(); ++i) {
    EXPECT_EQ(shortcuts[i].second, kExpectedShortcuts[i].second) << "shortcut " << i + 1;
    EXPECT_EQ(shortcuts[i].first, BuiltinText(ShortcutTable()[i].LabelText)) << "shortcut " << i + 1;
#ifndef _WIN32
    EXPECT_EQ(shortcuts[i].first, Gbk(kExpectedShortcuts[i].first)) << "shortcut " << i + 1;
#endif
  }
  host.Close();
  ResetPluginState();
}

}  // namespace
