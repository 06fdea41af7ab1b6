// Tintwell plug-in frame: the version shown to the user and told to the host.
// The one place the version is kept: the build reads the two numbers from
// here (project version, package name) and so does the DLL's version resource.
#pragma once

#define TINTWELL_VERSION_MAJOR 7
#define TINTWELL_VERSION_MINOR 5

#define TINTWELL_VERSION_STRINGIFY_(x) #x
#define TINTWELL_VERSION_STRINGIFY(x) TINTWELL_VERSION_STRINGIFY_(x)
#define TINTWELL_VERSION_TEXT \
  TINTWELL_VERSION_STRINGIFY(TINTWELL_VERSION_MAJOR) "." TINTWELL_VERSION_STRINGIFY(TINTWELL_VERSION_MINOR)
