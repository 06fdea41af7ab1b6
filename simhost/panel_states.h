// simhost: named states of the main panel, shown in the stand-in host.
//
// Shared by the panel's golden picture tests and by the panel_pictures
// program of the session script, which writes each state as a PNG file for a
// person to look at. Each state starts from one base (every section shown,
// CIE picker, a warm orange A pen and a blue B pen) and changes what it
// names; showing it lays the panel out anew, which draws every picture.
// It drives the linked plug-in's own state, so only programs that link the
// plug-in pull it in (as linked_plugin.cpp).
#pragma once

#include <string>
#include <vector>

#include "simhost.h"

struct PanelState {
  const char* name;  // file-name friendly
  const char* what;  // one line for people
  void (*apply)(simhost::SimHost& host);
};

// The states in a fixed order.
const std::vector<PanelState>& NamedPanelStates();

// Opens the panel when it is closed, puts the options and pens to the base,
// applies the state and lays the panel out. The host then holds the panel's
// pictures in its gadgets.
void ShowPanelState(simhost::SimHost& host, const PanelState& state);
