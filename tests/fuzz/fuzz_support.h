// Fuzz targets' shared support: reporting a finding, reference readings by
// the C library in the "C" locale, buffers of an exact size, and the plug-in
// in a stand-in host that keeps everything in memory.
//
// A finding is anything that aborts: a sanitizer report, or a FUZZ_CHECK
// whose property does not hold (it prints what and where, then aborts, and
// libFuzzer keeps the input).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <locale.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "simhost.h"

[[noreturn]] void FuzzFail(const char* file, int line, const std::string& what);
// With TINTWELL_FUZZ_DIALOGUE=N in the environment, a finding also prints
// the last N lines of this host's dialogue (null: none).
void ShowDialogueOnFinding(const simhost::SimHost* host);
#define FUZZ_CHECK(condition, what)                              \
  do {                                                           \
    if (!(condition)) FuzzFail(__FILE__, __LINE__, (what));      \
  } while (0)

// Switches the process to a locale whose decimal point is a comma, when one
// is installed, as a host process may run; the plug-in must not notice.
void UseCommaLocale();

// The text a C function sees in `size` bytes: up to the first NUL.
std::string BoundedText(const char* text, size_t size);

// The "C" locale, for the _l functions.
locale_t CLocale();

// References, by the C library in the "C" locale (whatever the process's).
// One integer as atoi reads it, saturated to int32; 0 when no number.
int32_t ReferenceInt(const std::string& text);
// Leading integers as "%d %d ..." scans them; missing ones are 0. Returns
// how many were read. `rest` (if given) gets the offset after the last one.
int ReferenceInts(const std::string& text, int32_t* values, int count, size_t* rest = nullptr);
// A decimal number as the plug-in's grammar reads it: strtof, except that
// "inf", "nan" and hexadecimal are no numbers ("0x1" reads its "0"), results
// beyond the float range saturate to +-FLT_MAX and no zero is negative.
float ReferenceFloat(const std::string& text, size_t* consumed = nullptr);
// printf in the "C" locale.
std::string ReferenceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Bytes copied to a heap block of exactly their size, with no terminator:
// reading one byte past them is a sanitizer finding.
class ExactBytes {
 public:
  explicit ExactBytes(const std::string& bytes);
  char* data() { return data_.get(); }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<char[]> data_;
  size_t size_;
};

// The linked-in plug-in, fresh (ResetPluginState), in a stand-in host with
// user settings and settings files in memory. Localisation texts, when
// given, are served as the localisation file. The host's A-B range is
// answered straight from its model, unrecorded (the plug-in reads it 256
// times whenever the A pen changes). Without `pictures` every image
// allocation fails: the plug-in then draws nothing, which targets about
// texts, handles and events use to run many times faster.
std::unique_ptr<simhost::SimHost> MakeFuzzHost(simhost::HostOptions options = {}, bool pictures = true);

// Bits of a 32-bit word as a float, and back.
float FloatFromBits(uint32_t bits);
uint32_t BitsOfFloat(float value);
