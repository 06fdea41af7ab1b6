// Tintwell store: the table of built-in texts (generated), chosen when this
// file is compiled: the default build carries the GBK table kept in the
// source tree; with TINTWELL_ENGLISH_TEXTS defined (the English build) the
// ASCII table the build generates from tools/builtin_texts_en.txt. Both come
// from one number list, so every caller and the count stay the same.
#include "store/builtin_texts.h"

namespace {

constexpr BuiltinTextEntry kBuiltinTexts[] = {
#if defined(TINTWELL_ENGLISH_TEXTS)
#include "builtin_texts_en.inc"  // in the build tree
#else
#include "store/builtin_texts_gbk.inc"
#endif
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
