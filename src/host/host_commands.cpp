// Tintwell host layer: bounded formatting of host commands and reading of
// numeric replies.
#include "host/host_commands.h"

#include <cstdarg>
#include <cstdio>

#include "core/text_numbers.h"
#include "host/host_calls.h"

void SendCommandFormat(PluginContext* context, char* reply, const char* format, ...) {
  // Longer than any command the plug-in forms; vsnprintf cuts anything longer.
  char command[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(command, sizeof command, format, args);
  va_end(args);
  HostSendCommand(context, command, reply);
}

void AskHost(PluginContext* context, const char* command, char (&reply)[kReplySize]) {
  reply[0] = '\0';
  HostSendCommand(context, command, reply);
  reply[kReplySize - 1] = '\0';
}

bool ReplyIs(const char* reply, const char* word) {
  for (;; ++reply, ++word) {
    char c = *reply;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *word) return false;
    if (c == '\0') return true;
  }
}

int ScanReplyIntegers(const char* reply, int32_t* values, int count) {
  // Replies end at their terminator, within kReplySize.
  return ScanIntegers(reply, reply ? kReplySize : 0, values, count);
}
