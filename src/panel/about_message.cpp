// Tintwell panel: the about message (name, version, credits).
// Panel layer; calls host/.
#include "panel/about_message.h"

#include <cstdio>

#include "host/host_calls.h"

namespace {

// Our own about text; shown after the name and version.
constexpr const char kAboutText[] =
    "Thank you for painting with Tintwell!\n"
    "\n"
    "*** Tintwell is now freeware - with warm thanks to everyone who supported it early on ***\n"
    "\n"
    "Programming: the Tintwell developers\n"
    "\n"
    "Special thanks to:\n"
    "  Mira Castell, for the first palette sketches\n"
    "  Jonas Ekberg, for endless pressure-curve testing\n"
    "  Ada Whitcombe, for the colour-scheme idea\n"
    "  the host's user community, for beta testing and suggestions\n"
    "  easyrgb.com and brucelindbloom.com, for colour transform algorithms\n"
    "\n"
    "No pixels were harmed in the making of this plug-in (a few were lightened).\n"
    "\n"
    "Questions, problem reports and comments are welcome:\n"
    "tintwell@users.invalid";

}  // namespace

void ShowAboutMessage(PluginContext* context) {
  char text[1024];
  std::snprintf(text, sizeof text, "%s %d.%d\n%s", context->Name, context->VersionMajor, context->VersionMinor,
                kAboutText);
  HostMessage(context, text);
}
