// Tintwell store: the table of built-in texts (GBK bytes, generated).
#include "store/builtin_texts.h"

namespace {

constexpr BuiltinTextEntry kBuiltinTexts[] = {
#include "store/builtin_texts_gbk.inc"
};

static_assert(sizeof kBuiltinTexts / sizeof kBuiltinTexts[0] == kBuiltinTextCount,
              "builtin_texts_ids.h and builtin_texts_gbk.inc come from one generator run");

}  // namespace

const BuiltinTextEntry* BuiltinTextTable() { return kBuiltinTexts; }

const char* BuiltinText(int32_t number) {
  // Few enough entries that a plain scan is the clearest look-up.
  for (const BuiltinTextEntry& entry : kBuiltinTexts) {
    if (entry.Number == number) return entry.Text;
  }
  return nullptr;
}
