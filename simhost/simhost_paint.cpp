// simhost: the artist's side of the canvas model: strokes and their replay,
// the undo history with its groups, the stencil-bounded flood fill and the
// active tool's settings.
//
// The host's own choices: every change made by a command is one undo step
// named by the command word; tv_undoopenstack .. tv_undoclosestack "name"
// gathers the changes in between into one step with that name, and a group
// that gathered nothing leaves no step (so the next tv_undo takes back the
// artist's last action, as it would without the group). tv_undo inside an
// open group takes back what the group gathered and ends it. A fill floods
// the pixels of the current layer that share the clicked pixel's colour and
// are not covered (alpha above 0) by a stencil layer.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "simhost_impl.h"

namespace simhost {

namespace {

constexpr size_t kUndoLimit = 64;

std::string LowerText(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

const std::vector<UndoStep>& SimHost::UndoHistory() const { return impl_->undoStack; }

void SimHost::DrawStroke(const std::vector<std::pair<int32_t, int32_t>>& points, Rgba colour) {
  impl_->PushUndo("stroke");
  for (const auto& point : points) PaintPixel(point.first, point.second, colour);
  lastStroke = Stroke{points, colour};
}

void SimHost::Impl::PushUndo(const std::string& name) {
  if (self->undoStackDepth > 0) {
    undoGroupChanged = true;  // the group keeps the canvas from its opening
    return;
  }
  undoStack.push_back(UndoStep{name.empty() ? commandWord : name, self->layers, self->currentLayerId});
  if (undoStack.size() > kUndoLimit) undoStack.erase(undoStack.begin());
}

void SimHost::Impl::Undo() {
  if (self->undoStackDepth > 0) {
    self->undoStackDepth = 0;
    if (undoGroupChanged) {
      self->layers = undoGroup.layers;
      self->currentLayerId = undoGroup.currentLayerId;
    }
    undoGroupChanged = false;
    return;
  }
  if (undoStack.empty()) return;
  self->layers = undoStack.back().layers;
  self->currentLayerId = undoStack.back().currentLayerId;
  undoStack.pop_back();
}

void SimHost::Impl::OpenUndoGroup() {
  if (self->undoStackDepth++ > 0) return;  // nested groups join the outermost
  undoGroup = UndoStep{std::string(), self->layers, self->currentLayerId};
  undoGroupChanged = false;
}

void SimHost::Impl::CloseUndoGroup(const std::string& name) {
  if (self->undoStackDepth <= 0) return;
  if (--self->undoStackDepth > 0) return;
  if (undoGroupChanged) {
    undoGroup.name = name;
    undoStack.push_back(undoGroup);
    if (undoStack.size() > kUndoLimit) undoStack.erase(undoStack.begin());
  }
  undoGroupChanged = false;
}

void SimHost::Impl::Reapply() {
  if (!self->lastStroke || !self->CurrentLayer()) return;
  PushUndo();
  for (const auto& point : self->lastStroke->points) {
    self->PaintPixel(point.first, point.second, self->lastStroke->colour);
  }
}

void SimHost::Impl::Fill(int32_t x, int32_t y) {
  SimHost& host = *self;
  Layer* layer = host.CurrentLayer();
  const int32_t width = host.options_.imageWidth;
  const int32_t height = host.options_.imageHeight;
  if (!layer || x < 0 || y < 0 || x >= width || y >= height) return;
  // Pixels covered by a stencil layer take no paint and stop the flood.
  std::vector<bool> blocked(static_cast<size_t>(width) * height, false);
  for (const Layer& other : host.layers) {
    if (!other.stencil || other.id == layer->id) continue;
    for (size_t i = 0; i < blocked.size() && i < other.pixels.size(); ++i) {
      if (other.pixels[i].a > 0) blocked[i] = true;
    }
  }
  const auto at = [width](int32_t px, int32_t py) { return static_cast<size_t>(px) + static_cast<size_t>(width) * py; };
  const Rgba target = layer->pixels[at(x, y)];
  const Rgba paint = host.aPen;
  if (target == paint || blocked[at(x, y)]) return;
  PushUndo();
  std::vector<std::pair<int32_t, int32_t>> todo{{x, y}};
  while (!todo.empty()) {
    const auto [px, py] = todo.back();
    todo.pop_back();
    if (px < 0 || py < 0 || px >= width || py >= height) continue;
    const size_t index = at(px, py);
    if (blocked[index] || layer->pixels[index] != target) continue;
    layer->pixels[index] = paint;
    todo.push_back({px + 1, py});
    todo.push_back({px - 1, py});
    todo.push_back({px, py + 1});
    todo.push_back({px, py - 1});
  }
}

// Settings belong to a tool: without a tool name (nothing but spaces) the
// reply is that name alone.
std::string SimHost::Impl::ToolReply() const {
  std::string reply = self->activeTool;
  if (reply.find_first_not_of(' ') == std::string::npos) return reply;
  for (const auto& setting : self->toolSettings) reply += " " + setting.first + " " + setting.second;
  return reply;
}

bool SimHost::Impl::ToolCommand(const std::vector<std::string>& tokens) {
  SimHost& host = *self;
  if (tokens.size() < 3 || tokens.size() % 2 == 0 || host.activeTool.empty()) return false;
  if (LowerText(tokens[0]) != LowerText(host.activeTool)) return false;
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    const std::string key = LowerText(tokens[i]);
    auto it = std::find_if(host.toolSettings.begin(), host.toolSettings.end(),
                           [&](const auto& setting) { return LowerText(setting.first) == key; });
    if (it != host.toolSettings.end()) {
      it->second = tokens[i + 1];
    } else {
      host.toolSettings.emplace_back(tokens[i], tokens[i + 1]);
    }
  }
  return true;
}

}  // namespace simhost
