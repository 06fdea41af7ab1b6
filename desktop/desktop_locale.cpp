// tintwell_desktop: the locale choice, the localisation file reader and the
// shortcut names.
#include "desktop_locale.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace desktop {

namespace {

// Strict UTF-8 to GBK: false when the text is not UTF-8 or holds a
// character GBK lacks.
bool ToGbk(const std::string& utf8, std::string* gbk) {
  bool ascii = true;
  for (unsigned char c : utf8) ascii = ascii && c < 0x80;
  if (ascii) {
    *gbk = utf8;
    return true;
  }
  iconv_t converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* at = out.data();
  size_t outLeft = out.size();
  const bool ok = iconv(converter, &in, &inLeft, &at, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
  iconv_close(converter);
  if (!ok) return false;
  out.resize(out.size() - outLeft);
  *gbk = out;
  return true;
}

}  // namespace

TextChoice ChooseTexts(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value && *value) return std::strncmp(value, "zh", 2) == 0 ? TextChoice::kBuiltin : TextChoice::kEnglish;
  }
  return TextChoice::kEnglish;
}

bool ReadLocalisationFile(const std::string& path, std::map<int32_t, std::string>* gbkTexts, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path + ": " + std::strerror(errno ? errno : ENOENT);
    return false;
  }
  std::map<int32_t, std::string> texts;
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    *error = path + ":" + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(file, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t i = 0;
    int64_t number = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && number <= 0x7fffffff) {
      number = number * 10 + (line[i] - '0');
      ++i;
    }
    if (i == 0 || (i < line.size() && line[i] != ' ')) return fail("expected \"NUMBER text\"");
    if (number <= 0 || number > 0x7fffffff) return fail("the number must be 1 to 2147483647");
    std::string text;
    for (size_t k = i + 1; k < line.size(); ++k) {
      if (line[k] == '\\' && k + 1 < line.size() && (line[k + 1] == 'n' || line[k + 1] == '\\')) {
        text += line[k + 1] == 'n' ? '\n' : '\\';
        ++k;
      } else {
        text += line[k];
      }
    }
    std::string gbk;
    if (!ToGbk(text, &gbk)) return fail("the text is not UTF-8 or holds a character GBK lacks");
    if (gbk.size() > kLocalisedTextLimit) {
      return fail("the text is " + std::to_string(gbk.size()) + " bytes; the plug-in takes at most " +
                  std::to_string(kLocalisedTextLimit));
    }
    if (!texts.emplace(static_cast<int32_t>(number), gbk).second) {
      return fail("text " + std::to_string(number) + " is given twice");
    }
  }
  if (file.bad()) {
    *error = path + ": read error";
    return false;
  }
  *gbkTexts = std::move(texts);
  return true;
}

const std::vector<ShortcutName>& ShortcutNames() {
  static const std::vector<ShortcutName> names = {
      {"s", "Pick colour from the canvas (on/off)"},
      {"S", "Brush mode: hue, saturation, value on the canvas"},
      {"R", "Brush size on the canvas: press, drag out the radius, release"},
      {"x", "Swap the A and B colours"},
      {"r", "Refresh the panel from the A pen"},
      {"d", "Darken the layer toward the A colour"},
      {"l", "Lighten the layer toward the A colour"},
      {"k", "Brush size lock on/off"},
      {"K", "Reset the brush size lock"},
      {"T", "Smart Fill (auto trim) on/off"},
      {"U", "Smart Fill (auto trim) on"},
      {"u", "Smart Fill (auto trim) off"},
      {"t", "Show or hide the panel"},
  };
  return names;
}

std::string ShortcutNameOf(const std::string& key) {
  for (const ShortcutName& name : ShortcutNames()) {
    if (key == name.key) return name.name;
  }
  return std::string();
}

}  // namespace desktop
