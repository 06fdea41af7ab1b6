// tintwell_desktop: GBK texts to UTF-8 with iconv, and the characters the
// font atlas must hold.
#include "desktop_text.h"

#include <cerrno>
#include <vector>

namespace desktop {

namespace {

constexpr size_t kCacheLimit = 4096;     // distinct texts kept converted
constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

uint32_t NextCodepoint(const std::string& text, size_t* index) {
  const size_t i = *index;
  const unsigned char c = static_cast<unsigned char>(text[i]);
  size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > text.size()) {
    *index = i + 1;
    return kReplacement;
  }
  uint32_t value = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char d = static_cast<unsigned char>(text[i + k]);
    if ((d & 0xC0) != 0x80) {
      *index = i + 1;
      return kReplacement;
    }
    value = (value << 6) | (d & 0x3F);
  }
  *index = i + length;
  return value;
}

HostText::HostText() : converter_(iconv_open("UTF-8", "GBK")), backConverter_(iconv_open("GBK", "UTF-8")) {
  for (uint32_t c = 0x20; c < 0x7F; ++c) held_.insert(c);
  held_.insert(kReplacement);
}

HostText::~HostText() {
  if (converter_ != reinterpret_cast<iconv_t>(-1)) iconv_close(converter_);
  if (backConverter_ != reinterpret_cast<iconv_t>(-1)) iconv_close(backConverter_);
}

std::string HostText::ToGbk(const std::string& utf8) {
  bool ascii = true;
  for (unsigned char c : utf8) ascii = ascii && c < 0x80;
  if (ascii) return utf8;
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const size_t start = i;
    const uint32_t c = NextCodepoint(utf8, &i);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    char buffer[8];
    char* in = const_cast<char*>(utf8.data() + start);
    size_t inLeft = i - start;
    char* outAt = buffer;
    size_t outLeft = sizeof buffer;
    const bool converted = backConverter_ != reinterpret_cast<iconv_t>(-1) && c != kReplacement &&
                           iconv(backConverter_, &in, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1);
    if (converted) {
      out.append(buffer, static_cast<size_t>(outAt - buffer));
    } else {
      out += '?';
    }
  }
  return out;
}

void HostText::Note(const std::string& utf8) {
  for (size_t i = 0; i < utf8.size();) {
    const uint32_t c = NextCodepoint(utf8, &i);
    if (c >= 0x20 && !held_.count(c)) fresh_.insert(c);
  }
}

void HostText::TakeNewCharacters() {
  held_.insert(fresh_.begin(), fresh_.end());
  fresh_.clear();
}

std::string HostText::ToUtf8(const std::string& gbk) {
  bool ascii = true;
  for (unsigned char c : gbk) ascii = ascii && c < 0x80;
  if (ascii) return gbk;
  auto cached = cache_.find(gbk);
  if (cached != cache_.end()) return cached->second;

  std::string out;
  if (converter_ == reinterpret_cast<iconv_t>(-1)) {
    for (unsigned char c : gbk) AppendUtf8(&out, c < 0x80 ? c : kReplacement);
  } else {
    std::vector<char> buffer(gbk.size() * 4 + 16);
    size_t at = 0;
    while (at < gbk.size()) {
      char* in = const_cast<char*>(gbk.data() + at);
      size_t inLeft = gbk.size() - at;
      char* outAt = buffer.data();
      size_t outLeft = buffer.size();
      iconv(converter_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
      const size_t done = iconv(converter_, &in, &inLeft, &outAt, &outLeft);
      out.append(buffer.data(), static_cast<size_t>(outAt - buffer.data()));
      at = gbk.size() - inLeft;
      if (done == static_cast<size_t>(-1) && at < gbk.size()) {
        AppendUtf8(&out, kReplacement);  // a byte that starts no GBK character
        ++at;
      }
    }
  }
  Note(out);
  if (cache_.size() >= kCacheLimit) cache_.clear();
  cache_[gbk] = out;
  return out;
}

}  // namespace desktop
