// tintwell_desktop: the host's texts on screen. The plug-in's texts are
// 8-bit, its Chinese ones GBK (code page 936); the screen wants UTF-8, and
// the font atlas wants to know every character it must hold.
#pragma once

#include <cstdint>
#include <iconv.h>
#include <set>
#include <string>
#include <unordered_map>

namespace desktop {

class HostText {
 public:
  HostText();
  ~HostText();
  HostText(const HostText&) = delete;
  HostText& operator=(const HostText&) = delete;

  // GBK (ASCII included) to UTF-8. A byte sequence that is not GBK shows as
  // U+FFFD and the rest goes on. Every character met is noted for the font.
  std::string ToUtf8(const std::string& gbk);

  // UTF-8 back to GBK for texts the user typed into the plug-in's fields;
  // a character GBK lacks becomes "?".
  std::string ToGbk(const std::string& utf8);

  // Characters met that the font atlas does not hold yet; Take clears them
  // into the held set.
  bool HasNewCharacters() const { return !fresh_.empty(); }
  const std::set<uint32_t>& HeldCharacters() const { return held_; }
  void TakeNewCharacters();
  // Notes the characters of a UTF-8 text (the host's own texts).
  void Note(const std::string& utf8);

 private:
  iconv_t converter_;
  iconv_t backConverter_;
  std::unordered_map<std::string, std::string> cache_;
  std::set<uint32_t> held_;
  std::set<uint32_t> fresh_;
};

// Decodes UTF-8 one character at a time; invalid bytes give U+FFFD.
uint32_t NextCodepoint(const std::string& text, size_t* index);

}  // namespace desktop
