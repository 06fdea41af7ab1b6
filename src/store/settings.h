// Tintwell store: the options in the host's per-user settings.
//
// Options live in the section named by the plug-in's name (context->Name,
// localised text 100 or "Tintwell"); the stored pens live in "Main".
// Values are short texts: integers "%d", floats "%f". Reading is forgiving
// and bounded: a missing value takes its default, text that is not a number
// reads as 0, and nothing is ever read or written past a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/abi.h"

// Size passed with every read of a user setting.
constexpr int32_t kUserSettingReadSize = 255;
// Buffers for room prefixes ("room-%d") and per-room keys ("room-%dpalette").
constexpr size_t kRoomSettingPrefixSize = 24;
constexpr size_t kRoomSettingKeySize = 32;
// Room-key suffixes.
constexpr const char kRoomPaletteSuffix[] = "palette";
constexpr const char kRoomSliderSuffix[] = "slider";
constexpr const char kRoomFxBrushSuffix[] = "fxbrush";
constexpr const char kRoomWinVisibleSuffix[] = "winvisible";
// Enough for any float written with "%f" (FLT_MAX has 39 digits) and its NUL.
constexpr size_t kSettingFloatTextSize = 64;

// PI_Open: per-room sections for the current room (default "0"), then the
// options and the reference white, in their stored order. The pressure is
// read under "mouseMode" with the value written under "mousemode" as its
// default, so it survives a host whose keys are case-sensitive.
void LoadSettings(PluginContext* context);
// PI_Open: the stored A and B pens of section "Main". A pen whose value is
// missing or malformed is not sent; the host's own pen is kept.
void LoadStoredPens(PluginContext* context);
// Panel closing, right after the panel place and "%swinvisible": the
// per-room sections of the current room, then the options.
void SaveSettings(PluginContext* context);
// LAB dialog closing: the reference white.
void SaveReferenceWhite(PluginContext* context);

// Room change: ShowPalette, SliderMode and ShowFxBrush from the keys of a room.
void LoadRoomSections(PluginContext* context, int32_t room, const char* defaultText);
// Room change (old room) and panel closing: the same three values, "%d".
void SaveRoomSections(PluginContext* context, int32_t room);

// "room-%d" of a room; cut to bufferSize (kRoomSettingPrefixSize always fits).
void RoomPrefix(int32_t room, char* buffer, size_t bufferSize);
// The room prefix followed by a suffix, e.g. "room-2palette"
// (kRoomSettingKeySize always fits the suffixes above).
void RoomKey(int32_t room, const char* suffix, char* buffer, size_t bufferSize);

// The section of the options: the plug-in's name in the context.
const char* SettingsSection(const PluginContext* context);

// Reads a value into buffer (kUserSettingReadSize + 1 bytes), always
// NUL-terminated, the default when nothing is stored.
void ReadSettingText(PluginContext* context, const char* section, const char* key, const char* defaultText,
                     char (&buffer)[kUserSettingReadSize + 1]);
int32_t ReadSettingInt(PluginContext* context, const char* section, const char* key, const char* defaultText);
float ReadSettingFloat(PluginContext* context, const char* section, const char* key, const char* defaultText);
void WriteSettingInt(PluginContext* context, const char* section, const char* key, int32_t value);
void WriteSettingFloat(PluginContext* context, const char* section, const char* key, float value);

// The parsers read at most size bytes and stop at a NUL.
//
// Integer as C's atoi reads it: optional white space, an optional sign, the
// leading decimal digits; anything else gives 0. Values beyond the int32
// range saturate to INT32_MIN / INT32_MAX instead of overflowing.
int32_t ParseSettingInt(const char* text, size_t size);
// Decimal number, independent of the C locale: optional white space, an
// optional sign, digits with an optional "." and fraction, and an optional
// exponent ("1e3" reads as 1000; "1e" reads as 1). No digits, "inf", "nan"
// and hexadecimal give 0.0 (hexadecimal "0x10" reads its leading "0").
// Magnitudes beyond the float range saturate to +-FLT_MAX.
float ParseSettingFloat(const char* text, size_t size);
// Six decimals, like "%f", always with "." whatever the C locale; the
// decimal digits are those of the shortest text that reads back as the same
// float, so 95.147f is written "95.147000" rather than "95.147003".
// Non-finite values are written as 0 (NaN) or +-FLT_MAX (infinities).
void FormatSettingFloat(float value, char* buffer, size_t bufferSize);
// Three integers as "%d %d %d" reads them, each within 0..255.
// False (and rgb untouched) when the text is anything else.
bool ParseStoredPen(const char* text, size_t size, uint8_t rgb[3]);
