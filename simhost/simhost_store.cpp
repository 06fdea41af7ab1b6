// simhost: the host's persistent stores: user settings, settings files,
// the localisation file, and the unpacking of packed images.
//
// User settings file (HostOptions::settingsPath), our own INI-like text:
//   "[section]" lines, then "key=value" lines; in sections, keys and values
//   a backslash, control bytes, '=' and '[' ']' are written as \\, \n, \r or
//   \xHH, every other byte unchanged. Loaded when the SimHost is created,
//   written on every change.
// Settings files (HostOpenConfigFile): Windows-profile style, "[section]"
//   and "key=value" lines, ';' or '#' comments, spaces around keys and values
//   trimmed, no escapes; created empty when missing, rewritten on every write.
// Localisation file: one "NUMBER text" line per entry, "\n" and "\\" (and
//   "\r") escapes, other bytes unchanged; a bare "NUMBER" is an empty text;
//   other lines are ignored.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "simhost_impl.h"

#include "core/packed_image.h"

namespace simhost {

namespace {

std::string Escape(const std::string& text, const char* alsoEscape) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || std::strchr(alsoEscape, c)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[i + 1];
    if (next == '\\') {
      out += '\\';
      ++i;
    } else if (next == 'n') {
      out += '\n';
      ++i;
    } else if (next == 'r') {
      out += '\r';
      ++i;
    } else if (next == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      out += text[i];  // an unknown escape stays as written
    }
  }
  return out;
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
  }
  return true;
}

}  // namespace

std::string HostPath(const std::string& path) {
#if defined(_WIN32)
  return path;
#else
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
#endif
}

bool ReadSectionFile(const std::string& path, SectionMap* sections, bool escaped) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines)) return false;
  std::string section;
  for (const std::string& raw : lines) {
    const std::string line = escaped ? raw : Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string::npos) continue;
      section = line.substr(1, close - 1);
      if (escaped) section = Unescape(section);
      (*sections)[section];
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (escaped) {
      (*sections)[section][Unescape(line.substr(0, equals))] = Unescape(line.substr(equals + 1));
    } else {
      (*sections)[section][Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
  }
  return true;
}

bool WriteSectionFile(const std::string& path, const SectionMap& sections, bool escaped) {
  std::ostringstream out;
  if (escaped) out << "; simhost user settings\n";
  bool first = true;
  for (const auto& section : sections) {
    if (!first) out << "\n";
    first = false;
    out << "[" << (escaped ? Escape(section.first, "[]=") : section.first) << "]\n";
    for (const auto& key : section.second) {
      if (escaped) {
        out << Escape(key.first, "[]=") << "=" << Escape(key.second, "") << "\n";
      } else {
        std::string value = key.second;
        for (char& c : value) {
          if (c == '\n' || c == '\r') c = ' ';
        }
        out << key.first << "=" << value << "\n";
      }
    }
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  const std::string text = out.str();
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(file);
}

// ---------------------------------------------------------------- user settings

void SimHost::Impl::LoadUserSettings() {
  if (self->options_.settingsPath.empty()) return;
  userSettings.clear();
  ReadSectionFile(self->options_.settingsPath, &userSettings, true);
}

void SimHost::Impl::SaveUserSettings() {
  if (self->options_.settingsPath.empty()) return;
  if (!WriteSectionFile(self->options_.settingsPath, userSettings, true)) {
    Fault("can't write the user settings to " + self->options_.settingsPath);
  }
}

std::optional<std::string> SimHost::UserSetting(const std::string& section, const std::string& key) const {
  auto s = impl_->userSettings.find(section);
  if (s == impl_->userSettings.end()) return std::nullopt;
  auto k = s->second.find(key);
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

void SimHost::SetUserSetting(const std::string& section, const std::string& key, const std::string& value) {
  impl_->userSettings[section][key] = value;
  impl_->SaveUserSettings();
}

// ---------------------------------------------------------------- settings files

HostWord SimHost::Impl::OpenConfigFile(const char* path) {
  if (!path) {
    Fault("HostOpenConfigFile without a path");
    return 0;
  }
  if (failConfigOpens > 0) {
    --failConfigOpens;
    return 0;
  }
  const std::string filePath = HostPath(path);
  auto document = configDocuments.find(filePath);
  if (document == configDocuments.end()) {
    ConfigDocument loaded;
    if (self->options_.configFilesInMemory) {
      const auto stored = memoryConfigFiles.find(filePath);
      if (stored != memoryConfigFiles.end()) loaded.sections = stored->second;
    } else if (!ReadSectionFile(filePath, &loaded.sections, false)) {
      // Created when missing; a path that can't be created fails.
      if (!WriteSectionFile(filePath, loaded.sections, false)) return 0;
    }
    document = configDocuments.emplace(filePath, std::move(loaded)).first;
  }
  ++document->second.openCount;
  const HostWord handle = nextConfigHandle;
  nextConfigHandle += 0x10;
  configHandles[handle] = filePath;
  return handle;
}

ConfigDocument* SimHost::Impl::FindConfig(HostWord handle, const char* operation, std::string* path) {
  auto it = configHandles.find(handle);
  if (it == configHandles.end()) {
    char text[128];
    std::snprintf(text, sizeof text, "%s: unknown settings file handle %lld", operation,
                  static_cast<long long>(handle));
    Fault(text);
    return nullptr;
  }
  *path = it->second;
  return &configDocuments[it->second];
}

bool SimHost::Impl::SaveConfig(const std::string& path, const SectionMap& sections) {
  if (self->options_.configFilesInMemory) {
    memoryConfigFiles[path] = sections;
    return true;
  }
  return WriteSectionFile(path, sections, false);
}

bool SimHost::Impl::RefuseConfigWrite(const std::string& key) {
  bool refuse = false;
  if (failWriteKeyCount > 0 && SameNameIgnoringCase(key, failWriteKey)) {
    --failWriteKeyCount;
    refuse = true;
  }
  if (failWrites > 0) {
    if (failWritesAfter > 0) {
      --failWritesAfter;
    } else {
      --failWrites;
      refuse = true;
    }
  }
  if (refuse) ++failedWrites;
  return refuse;
}

HostWord SimHost::Impl::CloseConfigFile(HostWord handle) {
  std::string path;
  ConfigDocument* document = FindConfig(handle, "HostCloseConfigFile", &path);
  if (!document) return 0;
  configHandles.erase(handle);
  if (--document->openCount <= 0) configDocuments.erase(path);
  return 1;
}

void SimHost::Impl::CheckUnclosedFiles(const char* when) {
  while (!configHandles.empty()) {
    const auto it = configHandles.begin();
    Fault("settings file " + it->second + " left open " + when);
    CloseConfigFile(it->first);
  }
}

int32_t SimHost::OpenConfigFileCount() const { return static_cast<int32_t>(impl_->configHandles.size()); }

std::optional<std::string> SimHost::ConfigFileValue(const std::string& path, const std::string& section,
                                                    const std::string& key) const {
  const auto file = impl_->memoryConfigFiles.find(HostPath(path));
  if (file == impl_->memoryConfigFiles.end()) return std::nullopt;
  const auto s = file->second.find(section);
  if (s == file->second.end()) return std::nullopt;
  const auto k = s->second.find(key);
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

void SimHost::SetConfigFileValue(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& value) {
  const std::string filePath = HostPath(path);
  impl_->memoryConfigFiles[filePath][section][key] = value;
  // A file open right now sees it too.
  const auto open = impl_->configDocuments.find(filePath);
  if (open != impl_->configDocuments.end()) open->second.sections[section][key] = value;
}

// ---------------------------------------------------------------- localisation

HostWord SimHost::Impl::OpenLocalisation(const char* name) {
  (void)name;  // the host serves its one localisation file, whatever it is called
  if (self->options_.localisationTexts) {
    const HostWord handle = nextLocalisation;
    nextLocalisation += 0x10;
    localisations[handle] = *self->options_.localisationTexts;
    localisationOpen = true;
    return handle;
  }
  if (self->options_.localisationPath.empty()) return 0;
  std::vector<std::string> lines;
  if (!ReadLines(self->options_.localisationPath, &lines)) return 0;
  std::map<int32_t, std::string> texts;
  for (const std::string& line : lines) {
    size_t i = 0;
    int64_t number = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && number < 0x7fffffff) {
      number = number * 10 + (line[i] - '0');
      ++i;
    }
    if (i == 0) continue;
    if (i == line.size()) {
      texts[static_cast<int32_t>(number)] = std::string();
    } else if (line[i] == ' ' || line[i] == '\t') {
      // Only \n, \\ and \r are escapes here; every other byte is the text's.
      std::string text;
      const std::string rest = line.substr(i + 1);
      for (size_t k = 0; k < rest.size(); ++k) {
        if (rest[k] == '\\' && k + 1 < rest.size() && (rest[k + 1] == 'n' || rest[k + 1] == '\\' || rest[k + 1] == 'r')) {
          text += rest[k + 1] == 'n' ? '\n' : rest[k + 1] == 'r' ? '\r' : '\\';
          ++k;
        } else {
          text += rest[k];
        }
      }
      texts[static_cast<int32_t>(number)] = text;
    }
  }
  const HostWord handle = nextLocalisation;
  nextLocalisation += 0x10;
  localisations[handle] = std::move(texts);
  localisationOpen = true;
  return handle;
}

HostWord SimHost::Impl::CloseLocalisation(HostWord handle) {
  auto it = localisations.find(handle);
  if (it == localisations.end()) {
    Fault("HostCloseLocalisation: unknown handle " + std::to_string(static_cast<long long>(handle)));
    return 0;
  }
  closedLocalisations.push_back(std::move(it->second));
  localisations.erase(it);
  localisationOpen = !localisations.empty();
  return 1;
}

const char* SimHost::Impl::LocalisedString(HostWord handle, int32_t number) {
  auto it = localisations.find(handle);
  if (it == localisations.end()) {
    Fault("HostLocalisedString: unknown handle " + std::to_string(static_cast<long long>(handle)));
    return nullptr;
  }
  auto text = it->second.find(number);
  return text == it->second.end() ? nullptr : text->second.c_str();
}

bool WriteLocalisationFile(const std::string& path, const std::vector<std::pair<int32_t, std::string>>& texts) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const auto& entry : texts) {
    out << entry.first;
    if (!entry.second.empty()) {
      out << ' ';
      for (char c : entry.second) {
        if (c == '\\') {
          out << "\\\\";
        } else if (c == '\n') {
          out << "\\n";
        } else if (c == '\r') {
          out << "\\r";
        } else {
          out << c;
        }
      }
    }
    out << '\n';
  }
  return static_cast<bool>(out);
}

// ---------------------------------------------------------------- packed images

size_t UnpackPackBits(const uint8_t* packed, size_t packedSize, Pixel* destination, int32_t count, bool* ok) {
  if (!packed || !destination || count <= 0) {
    if (ok) *ok = false;
    return 0;
  }
  const UnpackResult result = UnpackImage(packed, packedSize, destination, count);
  if (ok) *ok = result.Clean;
  return result.Consumed;
}

// ---------------------------------------------------------------- served reads and writes

HostWord SimHost::Impl::ReadUserString(HostWord* pack, size_t record) {
  const auto stored = self->UserSetting(ReadText(pack[0]), ReadText(pack[1]));
  const std::string value = stored ? *stored : ReadText(pack[3]);
  char* buffer = reinterpret_cast<char*>(pack[2]);
  if (!buffer) Fault("HostReadUserString without a buffer");
  calls[record].output = WriteBounded(buffer, static_cast<int64_t>(pack[4]), value);
  return 1;
}

HostWord SimHost::Impl::ReadConfigString(HostWord* pack, size_t record) {
  std::string path;
  ConfigDocument* document = FindConfig(pack[0], "HostReadConfigString", &path);
  std::string value = ReadText(pack[4]);
  if (document) {
    auto section = document->sections.find(ReadText(pack[1]));
    if (section != document->sections.end()) {
      auto key = section->second.find(ReadText(pack[2]));
      if (key != section->second.end()) value = key->second;
    }
  }
  char* buffer = reinterpret_cast<char*>(pack[3]);
  if (!buffer) Fault("HostReadConfigString without a buffer");
  calls[record].output = WriteBounded(buffer, static_cast<int64_t>(pack[5]), value);
  return document ? 1 : 0;
}

HostWord SimHost::Impl::WriteConfigString(HostWord* pack, size_t record) {
  std::string path;
  ConfigDocument* document = FindConfig(pack[0], "HostWriteConfigString", &path);
  if (!document) return 0;
  if (RefuseConfigWrite(ReadText(pack[2]))) {
    calls[record].output = "refused";
    return 0;
  }
  document->sections[ReadText(pack[1])][ReadText(pack[2])] = ReadText(pack[3]);
  if (!SaveConfig(path, document->sections)) Fault("HostWriteConfigString: can't write " + path);
  return storedWriteAnswer;
}

}  // namespace simhost
