// Test support: what the plug-in holds, checked against what the host has
// open. Shared by the seeded soaks and the fuzz targets (no GoogleTest here).
#pragma once

#include <string>

#include "simhost.h"

// Empty when the plug-in's requester handles name open requesters of the
// right kind (the scope window may also be one the user closed, which the
// plug-in cannot hear of until it next asks), no two handles are the same,
// every image it keeps is a live host image held once, every live host image
// and open requester is one the plug-in keeps, no settings file is open and
// the localisation handle matches the host's. Otherwise what is wrong.
std::string CheckPluginHoldings(const simhost::SimHost& host);

// After PI_Close: no requester, image or file left open. Empty when so.
std::string CheckNothingLeftOpen(const simhost::SimHost& host);
