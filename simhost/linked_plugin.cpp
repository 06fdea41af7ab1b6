// simhost: the plug-in's entry points when its code is linked into the
// program (kept apart so DLL-loading programs do not need the plug-in).
#include "plugin/entry_points.h"
#include "simhost.h"

namespace simhost {

PluginApi LinkedPluginApi() {
  PluginApi api;
  api.Open = PI_Open;
  api.Close = PI_Close;
  api.About = PI_About;
  api.Parameters = PI_Parameters;
  api.Start = PI_Start;
  api.Work = PI_Work;
  api.Finish = PI_Finish;
  api.Msg = PI_Msg;
  return api;
}

}  // namespace simhost
