// Tintwell colour: exchanging the A and B pen colours with the host.
//
// Layer: colour/. Pens travel as decimal red, green, blue through the host's
// command language; inside the plug-in they are Pixels, opaque when read.
#include "colour/pens.h"

#include <cstring>

#include "core/text_numbers.h"
#include "host/host_calls.h"
#include "host/host_commands.h"

namespace {

// Reply "red green blue other"; missing numbers read as 0.
Pixel ReadPen(PluginContext* context, const char* command) {
  char reply[kReplySize];
  AskHost(context, command, reply);
  int32_t values[4];
  ScanReplyIntegers(reply, values, 4);
  return MakePixel(context, ClampToByte(values[0]), ClampToByte(values[1]), ClampToByte(values[2]), 255);
}

void WritePen(PluginContext* context, const char* format, Pixel pixel) {
  SendCommandFormat(context, nullptr, format, PixelRed(context, pixel), PixelGreen(context, pixel),
                    PixelBlue(context, pixel));
}

// The usual reply, four numbers of one to three digits with single spaces
// between them, read without the general scanner (it gives the same values
// for such a reply); false for anything else.
bool ReadFourShortNumbers(const char* reply, int32_t* values) {
  const char* at = reply;
  for (int k = 0; k < 4; ++k) {
    if (k > 0 && *at++ != ' ') return false;
    int32_t value = 0;
    int digits = 0;
    while (IsDigit(*at) && digits < 4) {
      value = value * 10 + (*at++ - '0');
      ++digits;
    }
    if (digits == 0 || digits > 3) return false;
    values[k] = value;
  }
  return true;
}

}  // namespace

Pixel GetAPen(PluginContext* context) { return ReadPen(context, "tv_GetAPen"); }

Pixel GetBPen(PluginContext* context) { return ReadPen(context, "tv_GetBPen"); }

void SetAPen(PluginContext* context, Pixel pixel) { WritePen(context, "tv_SetAPen %d %d %d", pixel); }

void SetBPen(PluginContext* context, Pixel pixel) { WritePen(context, "tv_SetBPen %d %d %d", pixel); }

// Entries are built at the context's channel positions, which is the same
// word as the fixed blue-green-red-alpha order on the host's usual layout and
// the right colour on any other. The range is read after every A pen change,
// 256 commands a drag event, so the command text is written in place rather
// than through printf.
void ReadPenRange(PluginContext* context, Pixel* range) {
  static constexpr char kGrab[] = "tv_RangeGrab ";
  char command[sizeof kGrab + 3];
  std::memcpy(command, kGrab, sizeof kGrab - 1);
  char* const digits = command + sizeof kGrab - 1;
  for (int32_t position = kPenRangeSize - 1; position >= 0; --position) {
    char reply[kReplySize];
    char* end = digits;  // "%d" of 0..255
    if (position >= 100) *end++ = static_cast<char>('0' + position / 100);
    if (position >= 10) *end++ = static_cast<char>('0' + position / 10 % 10);
    *end++ = static_cast<char>('0' + position % 10);
    *end = '\0';
    AskHost(context, command, reply);
    int32_t values[4];
    if (!ReadFourShortNumbers(reply, values)) ScanReplyIntegers(reply, values, 4);  // missing numbers read as 0
    range[kPenRangeSize - 1 - position] =
        MakePixel(context, ClampToByte(values[0]), ClampToByte(values[1]), ClampToByte(values[2]), ClampToByte(values[3]));
  }
}
