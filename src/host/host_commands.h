// Tintwell host layer: formatting and reading the host's text commands.
// Commands are one line of the host's command language; replies are plain
// text split on single spaces. Every buffer here is bounded.
#pragma once

#include <cstdint>

#include "core/abi.h"

// Size of every reply buffer handed to the host (it writes at most 255 bytes
// plus the terminator).
constexpr int kReplySize = 256;

// Formats a command with printf rules into a bounded buffer and sends it.
// reply: null, or kReplySize bytes.
void SendCommandFormat(PluginContext* context, char* reply, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Sends a command and leaves its reply in `reply`, always terminated: a host
// that fills the whole buffer without a terminator is cut at kReplySize - 1.
void AskHost(PluginContext* context, const char* command, char (&reply)[kReplySize]);
// The same for a command formatted with printf rules (as SendCommandFormat).
template <typename... Args>
void AskHostFormat(PluginContext* context, char (&reply)[kReplySize], const char* format, Args... args) {
  reply[0] = '\0';
  SendCommandFormat(context, reply, format, args...);
  reply[kReplySize - 1] = '\0';
}

// The shape the host names for a freehand line ("tv_getactiveshape").
constexpr char kFreehandLine[] = "freehandline";

// The whole reply equals `word` (lower case), ignoring ASCII letter case.
bool ReplyIs(const char* reply, const char* word);

// Reads up to count leading integers from a reply the way "%d %d ..." scans
// them; missing or unreadable numbers give 0. Returns how many were read.
int ScanReplyIntegers(const char* reply, int32_t* values, int count);
