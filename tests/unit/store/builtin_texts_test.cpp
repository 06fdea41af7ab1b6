// Tests of the built-in text table (store layer): every text the plug-in
// carries is the GBK form of its UTF-8 source, and every number the panel,
// menus, messages and help use has a text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "store/builtin_texts.h"
#include "store/localisation.h"

namespace {

// Every number that is looked up somewhere in the plug-in, plus the private
// numbers of the thirteen shortcut labels and the two dialog texts.
std::vector<int32_t> RequiredNumbers() {
  std::vector<int32_t> numbers = {100,   10000, 10001, 10002, 10010, 10020, 10030, 10031, 10034, 10035,
                                  10036, 10037, 10038, 10041, 10047, 10048, 10050, 10060, 10070, 10080,
                                  10081, 10082, 20010, 20020, 20025, 30000, 40000, 40001, 40002};
  for (int32_t n = 50000; n <= 50033; ++n) numbers.push_back(n);
  for (int32_t n = -13; n <= -1; ++n) numbers.push_back(n);
  numbers.push_back(-20);
  numbers.push_back(-21);
  return numbers;
}

TEST(StoreBuiltinTexts, EveryUsedNumberHasAText) {
  for (int32_t number : RequiredNumbers()) {
    const char* text = BuiltinText(number);
    ASSERT_NE(text, nullptr) << "number " << number;
    EXPECT_GT(std::strlen(text), 0u) << "number " << number;
  }
  EXPECT_EQ(static_cast<size_t>(kBuiltinTextCount), RequiredNumbers().size());
  for (int32_t unused : {0, 1, 99, 101, 10003, 30001, 49999, 50034, -14}) {
    EXPECT_EQ(BuiltinText(unused), nullptr) << "number " << unused;
  }
}

// Known GBK bytes (code page 936), checked on every build including the
// Windows one, where iconv is not available.
TEST(StoreBuiltinTexts, KnownGbkBytes) {
  EXPECT_STREQ(BuiltinText(texts::kPluginName), "Tintwell");
  EXPECT_STREQ(BuiltinText(texts::kPanelTitle), "Tintwellv7.50");
  EXPECT_STREQ(BuiltinText(texts::kCantOpenRequester), "Can't Open Requester !");
  // "LAB参考": 参 B2CE, 考 BFBC.
  EXPECT_STREQ(BuiltinText(texts::kLabDialogTitle), "LAB\xB2\xCE\xBF\xBC");
  // "画笔大小锁定" is both a menu entry and a shortcut label.
  const char* const brushSizeLock = "\xBB\xAD\xB1\xCA\xB4\xF3\xD0\xA1\xCB\xF8\xB6\xA8";
  EXPECT_STREQ(BuiltinText(texts::kMenuBrushSizeLock), brushSizeLock);
  EXPECT_STREQ(BuiltinText(texts::kShortcutSizeLock), brushSizeLock);
  // Line breaks inside help texts are single bytes 10; full-width colon A3BA.
  const std::string help = BuiltinText(texts::kHelpHueRing);
  EXPECT_EQ(help.find('\\'), std::string::npos);
  EXPECT_EQ(help.substr(6, 4), "\xA3\xBA\n\n");  // "色相环：\n\n"
}

#ifndef _WIN32

// One line of tools/builtin_texts.txt, read here independently of the
// generator: NUMBER <tab> Name <tab> text with "\n" and "\\" escapes.
struct SourceText {
  int32_t number;
  std::string name;
  std::string utf8;
};

std::vector<SourceText> ReadSourceTexts(std::string* error) {
  std::vector<SourceText> texts;
  // The source sits in tools/ beside tests/; the path is taken apart as text
  // because tests/data need not exist in a fresh checkout.
  std::string root = TINTWELL_TEST_DATA;
  const std::string dataDir = "/tests/data";
  if (root.size() >= dataDir.size() && root.compare(root.size() - dataDir.size(), dataDir.size(), dataDir) == 0) {
    root.resize(root.size() - dataDir.size());
  } else {
    root += "/../..";
  }
  std::ifstream in(root + "/tools/builtin_texts.txt", std::ios::binary);
  if (!in) {
    *error = "cannot open tools/builtin_texts.txt";
    return texts;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) {
      *error = "malformed line: " + line;
      return texts;
    }
    SourceText text{std::stoi(line.substr(0, tab1)), line.substr(tab1 + 1, tab2 - tab1 - 1), ""};
    const std::string raw = line.substr(tab2 + 1);
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == '\\')) {
        text.utf8 += raw[i + 1] == 'n' ? '\n' : '\\';
        ++i;
      } else {
        text.utf8 += raw[i];
      }
    }
    texts.push_back(text);
  }
  return texts;
}

// glibc's converter, independent of the Python codec the generator uses.
bool Utf8ToGbk(const std::string& utf8, std::string* gbk) {
  iconv_t converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input = utf8;
  std::vector<char> output(utf8.size() * 2 + 16);
  char* in = input.data();
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1) || inLeft != 0) return false;
  gbk->assign(output.data(), output.size() - outLeft);
  return true;
}

TEST(StoreBuiltinTexts, CompiledBytesAreTheGbkFormOfTheSource) {
  std::string error;
  const std::vector<SourceText> source = ReadSourceTexts(&error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(source.size(), static_cast<size_t>(kBuiltinTextCount)) << "source and compiled table differ in size";
  std::set<int32_t> seen;
  for (const SourceText& text : source) {
    EXPECT_TRUE(seen.insert(text.number).second) << "number " << text.number << " twice in the source";
    std::string expected;
    ASSERT_TRUE(Utf8ToGbk(text.utf8, &expected)) << text.name << ": iconv cannot convert \"" << text.utf8 << "\"";
    const char* compiled = BuiltinText(text.number);
    ASSERT_NE(compiled, nullptr) << text.name << " (" << text.number << ") missing from the compiled table";
    EXPECT_EQ(std::string(compiled), expected) << text.name << " (" << text.number << ")";
  }
}

#endif  // _WIN32

}  // namespace
