// Switches LC_NUMERIC to a locale whose decimal point is a comma for the
// life of the object, as a host process may run; back to "C" afterwards.
// name() is null when no such locale is installed (the test command installs
// de_DE.UTF-8).
#pragma once

#include <clocale>

class ScopedCommaLocale {
 public:
  ScopedCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German", "French"}) {
      if (std::setlocale(LC_NUMERIC, name)) {
        name_ = name;
        return;
      }
    }
  }
  ~ScopedCommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;
  const char* name() const { return name_; }

 private:
  const char* name_ = nullptr;
};
