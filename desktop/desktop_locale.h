// tintwell_desktop: which texts the plug-in is given, and the host's own
// English names for the plug-in's shortcut keys.
//
// The plug-in carries its texts built in (menus and messages in English,
// titles, quick help and shortcut labels in Chinese) and takes any of them
// from the host's localisation file instead. This host offers an English
// file of its own (tintwell-en.loc beside the program) and serves it unless
// the locale is Chinese or the command line chooses otherwise.
//
// The host's localisation file format (UTF-8): one "NUMBER text" line per
// text, "\n" a line break and "\\" a backslash in the text; empty lines and
// lines starting with "#" are skipped. Each text reaches the plug-in as GBK
// (code page 936), at most 255 bytes (the plug-in cuts longer texts).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace desktop {

enum class TextChoice { kBuiltin, kEnglish };

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty
// decides (the order in which the C library takes them for messages): one
// starting with "zh" keeps the built-in texts; any other, or none, gives
// English. Null stands for an unset variable.
TextChoice ChooseTexts(const char* lcAll, const char* lcMessages, const char* lang);

// Longest text in bytes (without the NUL) the plug-in takes from the file.
constexpr size_t kLocalisedTextLimit = 255;

// Reads a localisation file in the host's format into texts by number,
// converted to GBK. False with a one-line reason ("FILE:LINE: what") for a
// file that can't be read, a line that is not "NUMBER text", a number given
// twice, a text that is not UTF-8, holds a character GBK lacks or is too long.
bool ReadLocalisationFile(const std::string& path, std::map<int32_t, std::string>* gbkTexts, std::string* error);

// The plug-in's shortcut keys with the host's English name for each, in the
// order the plug-in registers them.
struct ShortcutName {
  const char* key;
  const char* name;
};
const std::vector<ShortcutName>& ShortcutNames();
// The English name of one key text, or "" when the host does not know it.
std::string ShortcutNameOf(const std::string& key);

}  // namespace desktop
