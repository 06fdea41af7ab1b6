// Tintwell plug-in frame: the version shown to the user and told to the host.
#pragma once

#define TINTWELL_VERSION_MAJOR 7
#define TINTWELL_VERSION_MINOR 5
#define TINTWELL_VERSION_TEXT "7.5"
