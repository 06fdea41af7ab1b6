// Tintwell store: the options in the host's per-user settings.
//
// Reading and writing follow one table, so the order in which keys are read
// at load and written at panel closing cannot drift apart. The number
// parsers are not the C library's, which are either unbounded (atoi on a
// long digit run overflows) or depend on the host process's locale (strtod,
// "%f"): they go through core/text_numbers.
#include "store/settings.h"

#include <cstdio>

#include "colour/current_colour.h"
#include "colour/pens.h"
#include "host/host_calls.h"
#include "core/plugin_state.h"
#include "core/text_numbers.h"

namespace {

constexpr const char kPenSection[] = "Main";
constexpr int kSettingFloatDecimals = 6;  // as "%f" writes

// An integer option: read under readKey, written under writeKey (null: the
// value is only ever read). The letter case of the two keys differs on
// purpose for the pressure setting.
struct IntOption {
  const char* readKey;
  const char* writeKey;
  const char* defaultText;
  int32_t PluginState::*field;
};

// In the order they are read at load; the written ones in the order written.
constexpr IntOption kIntOptions[] = {
    {"mouseMode", "mousemode", "0", &PluginState::PressureSensitivity},
    {"lumaLock", "lumaLock", "0", &PluginState::LumaLock},
    {"lightMode", "lightMode", "0", &PluginState::LightMode},
    {"ciehsv", "ciehsv", "1", &PluginState::CieHsvMode},
    {"floodbg", "floodbg", "1", &PluginState::FloodBackground},
    {"huering", "huering", "1", &PluginState::HueRingMode},
    {"scropXYZ", "scropXYZ", "1", &PluginState::XyzMixMode},
    {"gamut", "gamut", "0", &PluginState::GamutMode},
    // A vectorscope moved during a run comes back at its stored place, and
    // the scope mode chosen during a run is not kept.
    {"vsx", nullptr, "0", &PluginState::VectorscopeX},
    {"vsy", nullptr, "0", &PluginState::VectorscopeY},
    {"vscope", nullptr, "0", &PluginState::VectorscopeMode},
    {"popHelp", "popHelp", "1", &PluginState::PopHelp},
    {"scropLayer", "scropLayer", "0", &PluginState::SampleSourceFlags},
    {"agautosample", "agautosample", "0", &PluginState::AggressiveAutosample},
};

// The reference white X, Y, Z.
constexpr const char* kReferenceWhiteKeys[3] = {"lab_ref_x", "lab_ref_y", "lab_ref_z"};
constexpr const char* kReferenceWhiteDefaults[3] = {"95.147", "100.1", "108.983"};

// The per-room values and their key suffixes.
struct RoomOption {
  const char* suffix;
  int32_t PluginState::*field;
};
constexpr RoomOption kRoomOptions[] = {
    {kRoomPaletteSuffix, &PluginState::ShowPalette},
    {kRoomSliderSuffix, &PluginState::SliderMode},
    {kRoomFxBrushSuffix, &PluginState::ShowFxBrush},
};

}  // namespace

// ---- parsers and formatting ----

int32_t ParseSettingInt(const char* text, size_t size) {
  TextCursor cursor{text, size, 0};
  int32_t value = 0;
  return ScanInt(cursor, &value) ? value : 0;
}

float ParseSettingFloat(const char* text, size_t size) {
  TextCursor cursor{text, size, 0};
  float value = 0.0f;
  return ScanFloat(cursor, &value) ? value : 0.0f;
}

void FormatSettingFloat(float value, char* buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return;
  // Six decimals of the shortest text that reads back as the same float,
  // not of the float's exact binary value.
  char shortest[kShortestFloatTextSize];
  FormatShortestFloat(value, shortest);
  TextCursor reread{shortest, sizeof shortest, 0};
  double decimal = 0.0;
  ScanDecimal(reread, &decimal);
  FormatFixed(decimal, kSettingFloatDecimals, buffer, bufferSize);
}

bool ParseStoredPen(const char* text, size_t size, uint8_t rgb[3]) {
  TextCursor cursor{text, size, 0};
  int32_t values[3];
  for (int32_t& value : values) {
    // A value outside a byte is malformed, never wrapped into one.
    if (!ScanInt(cursor, &value) || value < 0 || value > 255) return false;
  }
  for (int i = 0; i < 3; ++i) rgb[i] = static_cast<uint8_t>(values[i]);
  return true;
}

// ---- keys and values in the host's settings ----

void RoomPrefix(int32_t room, char* buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return;
  std::snprintf(buffer, bufferSize, "room-%d", room);
}

void RoomKey(int32_t room, const char* suffix, char* buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return;
  char prefix[kRoomSettingPrefixSize];
  RoomPrefix(room, prefix, sizeof prefix);
  std::snprintf(buffer, bufferSize, "%s%s", prefix, suffix ? suffix : "");
}

const char* SettingsSection(const PluginContext* context) { return context->Name; }

void ReadSettingText(PluginContext* context, const char* section, const char* key, const char* defaultText,
                     char (&buffer)[kUserSettingReadSize + 1]) {
  buffer[0] = '\0';
  HostReadUserString(context, section, key, buffer, defaultText, kUserSettingReadSize);
  // Whatever the host did, the text ends inside the buffer.
  buffer[kUserSettingReadSize] = '\0';
}

int32_t ReadSettingInt(PluginContext* context, const char* section, const char* key, const char* defaultText) {
  char buffer[kUserSettingReadSize + 1];
  ReadSettingText(context, section, key, defaultText, buffer);
  return ParseSettingInt(buffer, sizeof buffer);
}

float ReadSettingFloat(PluginContext* context, const char* section, const char* key, const char* defaultText) {
  char buffer[kUserSettingReadSize + 1];
  ReadSettingText(context, section, key, defaultText, buffer);
  return ParseSettingFloat(buffer, sizeof buffer);
}

void WriteSettingInt(PluginContext* context, const char* section, const char* key, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  HostWriteUserString(context, section, key, text);
}

void WriteSettingFloat(PluginContext* context, const char* section, const char* key, float value) {
  char text[kSettingFloatTextSize];
  FormatSettingFloat(value, text, sizeof text);
  HostWriteUserString(context, section, key, text);
}

// ---- the options ----

void LoadRoomSections(PluginContext* context, int32_t room, const char* defaultText) {
  const char* section = SettingsSection(context);
  for (const RoomOption& option : kRoomOptions) {
    char key[kRoomSettingKeySize];
    RoomKey(room, option.suffix, key, sizeof key);
    GState.*option.field = ReadSettingInt(context, section, key, defaultText);
  }
}

void SaveRoomSections(PluginContext* context, int32_t room) {
  const char* section = SettingsSection(context);
  for (const RoomOption& option : kRoomOptions) {
    char key[kRoomSettingKeySize];
    RoomKey(room, option.suffix, key, sizeof key);
    WriteSettingInt(context, section, key, GState.*option.field);
  }
}

void LoadSettings(PluginContext* context) {
  // At load no room has been named yet (room 0): sections start hidden.
  LoadRoomSections(context, GState.Room, "0");
  const char* section = SettingsSection(context);
  // The pressure value is read as "mouseMode" and written as "mousemode";
  // the host's settings, like Windows profile files, do not tell the letter
  // cases apart, so the two meet.
  for (const IntOption& option : kIntOptions) {
    GState.*option.field = ReadSettingInt(context, section, option.readKey, option.defaultText);
  }
  for (int i = 0; i < 3; ++i) {
    GState.ReferenceWhite[i] = ReadSettingFloat(context, section, kReferenceWhiteKeys[i], kReferenceWhiteDefaults[i]);
  }
}

void SaveSettings(PluginContext* context) {
  SaveRoomSections(context, GState.Room);
  const char* section = SettingsSection(context);
  for (const IntOption& option : kIntOptions) {
    if (option.writeKey) WriteSettingInt(context, section, option.writeKey, GState.*option.field);
  }
}

void SaveReferenceWhite(PluginContext* context) {
  const char* section = SettingsSection(context);
  for (int i = 0; i < 3; ++i) WriteSettingFloat(context, section, kReferenceWhiteKeys[i], GState.ReferenceWhite[i]);
}

void LoadStoredPens(PluginContext* context) {
  char buffer[kUserSettingReadSize + 1];
  uint8_t rgb[3];

  ReadSettingText(context, kPenSection, "apen", "", buffer);
  if (ParseStoredPen(buffer, sizeof buffer, rgb)) {
    const Pixel pen = MakePixel(context, rgb[0], rgb[1], rgb[2], 255);
    SendAPen(context, pen);
    GState.BasePixel = pen;
    GState.LastAPen = pen;
  } else {
    // Nothing usable stored: the host's pen stays, and is what we start from.
    const Pixel pen = GetAPen(context);
    GState.BasePixel = pen;
    GState.LastAPen = pen;
  }

  ReadSettingText(context, kPenSection, "bpen", "", buffer);
  if (ParseStoredPen(buffer, sizeof buffer, rgb)) {
    const Pixel pen = MakePixel(context, rgb[0], rgb[1], rgb[2], 255);
    SendBPen(context, pen);
    GState.LastBPen = pen;
  }
}
