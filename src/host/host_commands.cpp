// Tintwell host layer: bounded formatting of host commands and reading of
// numeric replies.
#include "host/host_commands.h"

#include <cstdarg>
#include <cstdio>

#include "host/host_calls.h"

HostWord SendCommandFormat(PluginContext* context, char* reply, const char* format, ...) {
  // Longer than any command the plug-in forms; vsnprintf cuts anything longer.
  char command[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(command, sizeof command, format, args);
  va_end(args);
  return HostSendCommand(context, command, reply);
}

int ScanReplyIntegers(const char* reply, int32_t* values, int count) {
  for (int i = 0; i < count; ++i) values[i] = 0;
  if (!reply) return 0;
  const char* p = reply;
  int read = 0;
  while (read < count) {
    // Like "%d": skip white space, optional sign, then at least one digit.
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
      negative = *p == '-';
      ++p;
    }
    if (*p < '0' || *p > '9') break;
    int64_t magnitude = 0;
    while (*p >= '0' && *p <= '9') {
      // Saturate instead of overflowing on absurd replies.
      if (magnitude < 0x80000000LL) magnitude = magnitude * 10 + (*p - '0');
      ++p;
    }
    if (magnitude > 0x7fffffffLL + (negative ? 1 : 0)) magnitude = 0x7fffffffLL + (negative ? 1 : 0);
    values[read++] = static_cast<int32_t>(negative ? -magnitude : magnitude);
  }
  return read;
}
