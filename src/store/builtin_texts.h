// Tintwell store: the texts the plug-in carries itself.
//
// One table, read by number. Chinese texts are GBK (code page 936) bytes,
// generated from the UTF-8 source tools/builtin_texts.txt by
// tools/gen_builtin_texts.py; the English build (TINTWELL_ENGLISH_TEXTS)
// carries the ASCII texts of tools/builtin_texts_en.txt under the same
// numbers instead. Positive numbers are localisation numbers;
// negative numbers are private to texts that are never localised (the
// shortcut labels, the pressure question, the LAB dialog's button). Named
// constants for every number: builtin_texts_ids.h.
#pragma once

#include <cstdint>

#include "store/builtin_texts_ids.h"

struct BuiltinTextEntry {
  int32_t Number;    // localisation number, or a private negative number
  const char* Text;  // NUL-terminated GBK (or, in the English build, ASCII) bytes
};

// The whole table, ascending by number; kBuiltinTextCount entries.
const BuiltinTextEntry* BuiltinTextTable();

// The built-in text of a number, or null when there is none.
const char* BuiltinText(int32_t number);
