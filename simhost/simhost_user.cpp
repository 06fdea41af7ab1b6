// simhost: what a person at the host does besides answering the plug-in:
// running the host's own commands (menus, console) and changing the canvas.
#include "simhost_impl.h"

namespace simhost {

std::string SimHost::RunCommand(const std::string& text) {
  const std::string reply = impl_->Command(text);
  // A command may have called the plug-in (tv_plugin); its queued messages
  // go out as after any call from outside.
  if (impl_->depth == 0) DeliverPendingMessages();
  return reply;
}

bool SimHost::InsidePluginCall() const { return impl_->depth > 0; }

void SimHost::RecordUndoStep(const std::string& name) { impl_->PushUndo(name); }

void SimHost::ClearUndoHistory() { impl_->undoStack.clear(); }

}  // namespace simhost
