// The desktop host's English texts against the texts the plug-in looks up,
// and the choice between English and the built-in texts by locale.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "desktop_locale.h"
#include "store/builtin_texts.h"

namespace {

// Every number the plug-in looks up has an English text, the file names no
// number the plug-in doesn't use (a typo would leave a text untranslated),
// no Chinese is left, and the plug-in's name (its settings section) is kept.
TEST(DesktopTexts, EnglishFileCoversEveryLocalisedNumber) {
  std::map<int32_t, std::string> english;
  std::string error;
  ASSERT_TRUE(desktop::ReadLocalisationFile(TINTWELL_DESKTOP_ENGLISH_TEXTS, &english, &error)) << error;

  std::map<int32_t, std::string> builtIn;
  const BuiltinTextEntry* table = BuiltinTextTable();
  for (int32_t i = 0; i < kBuiltinTextCount; ++i) {
    if (table[i].Number > 0) builtIn[table[i].Number] = table[i].Text;
  }
  ASSERT_GT(builtIn.size(), 60u);
  for (const auto& [number, text] : builtIn) {
    auto found = english.find(number);
    ASSERT_NE(found, english.end()) << "no English text " << number;
    EXPECT_FALSE(found->second.empty()) << number;
    for (unsigned char c : found->second) EXPECT_LT(c, 0x80) << "text " << number << " is not plain English";
  }
  for (const auto& entry : english) EXPECT_TRUE(builtIn.count(entry.first)) << "unused number " << entry.first;
  EXPECT_EQ(english[texts::kPluginName], builtIn[texts::kPluginName]);

  // A broken file is refused with the line that broke it.
  EXPECT_FALSE(desktop::ReadLocalisationFile("/nonexistent/tintwell.loc", &english, &error));
}

TEST(DesktopTexts, LocaleChoosesBuiltinOnlyForChinese) {
  using desktop::TextChoice;
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    TextChoice want;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, TextChoice::kEnglish},
      {nullptr, nullptr, "zh_CN.UTF-8", TextChoice::kBuiltin},
      {nullptr, nullptr, "zh_TW.Big5", TextChoice::kBuiltin},
      {nullptr, nullptr, "en_US.UTF-8", TextChoice::kEnglish},
      {nullptr, nullptr, "C", TextChoice::kEnglish},
      {"", "", "zh_CN", TextChoice::kBuiltin},                     // empty counts as unset
      {nullptr, "en_GB.UTF-8", "zh_CN.UTF-8", TextChoice::kEnglish},  // LC_MESSAGES over LANG
      {"zh_CN.GBK", "en_GB", "en_GB", TextChoice::kBuiltin},           // LC_ALL over both
      {"C.UTF-8", "zh_CN", "zh_CN", TextChoice::kEnglish},
      {nullptr, nullptr, "de_DE.UTF-8", TextChoice::kEnglish},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(desktop::ChooseTexts(c.lcAll, c.lcMessages, c.lang), c.want)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
  }
}

}  // namespace
