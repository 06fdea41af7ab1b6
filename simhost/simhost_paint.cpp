// simhost: the artist's side of the canvas model: strokes and their replay,
// what the tool paints in each draw mode, the undo history with its groups,
// the stencil-bounded flood fill, the FX stack and the active tool's
// settings.
//
// The host's own choices: every change made by a command is one undo step
// named by the command word; tv_undoopenstack .. tv_undoclosestack "name"
// gathers the changes in between into one step with that name, and a group
// that gathered nothing leaves no step (so the next tv_undo takes back the
// artist's last action, as it would without the group). tv_undo inside an
// open group takes back what the group gathered and ends it. A fill floods
// the pixels of the current layer that share the clicked pixel's colour and
// are not covered (alpha above 0) by a stencil layer. tv_reapply paints the
// last line again with the A pen in the draw mode of the moment (a
// re-stroke takes the new colour). tv_stackapply runs the FX stack over the
// current layer as one undo step, also when the stack is empty, so the
// tv_undo that follows it takes back the stack and nothing of the artist's.
#include <algorithm>
#include <cctype>
#include <cmath>
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

uint8_t Clamp255(double value) { return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))); }

// Rec. 601 luma of straight colour bytes, 0..255.
double Luma(Rgba c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

// The pen's hue and saturation at the canvas's luma: the pen's colour moved
// by the difference in luma, then brought back into 0..255 toward grey so
// the luma stays (the hue and saturation of an HSL colorize, in luma).
Rgba Colorize(Rgba pen, Rgba canvas) {
  const double target = Luma(canvas);
  const double shift = target - Luma(pen);
  double c[3] = {pen.r + shift, pen.g + shift, pen.b + shift};
  double over = 1.0;  // how much of the colour around the grey fits
  for (const double v : c) {
    if (v > 255.0) over = std::min(over, (255.0 - target) / (v - target));
    if (v < 0.0) over = std::min(over, target / (target - v));
  }
  for (double& v : c) v = target + (v - target) * over;
  return Rgba{Clamp255(c[0]), Clamp255(c[1]), Clamp255(c[2]), pen.a};
}

}  // namespace

bool SimHost::KnownDrawMode(const std::string& mode) {
  return mode == "color" || mode == "lighten" || mode == "darken" || mode == "add" || mode == "colorize" ||
         mode == "merge";
}

Rgba SimHost::ToolPaint(int32_t x, int32_t y, Rgba base, Rgba pen, double coverage) const {
  const std::string mode = LowerText(drawMode);
  Rgba paint = pen;
  if (mode == "merge") {
    const size_t index = static_cast<size_t>(x) + static_cast<size_t>(options_.imageWidth) * y;
    if (x < 0 || y < 0 || x >= options_.imageWidth || index >= sparePage.size()) return base;
    paint = sparePage[index];
  } else if (base.a > 0) {
    auto add = [](uint8_t a, uint8_t b) { return static_cast<uint8_t>(std::min(255, a + b)); };
    if (mode == "lighten") {
      paint = Rgba{std::max(pen.r, base.r), std::max(pen.g, base.g), std::max(pen.b, base.b), pen.a};
    } else if (mode == "darken") {
      paint = Rgba{std::min(pen.r, base.r), std::min(pen.g, base.g), std::min(pen.b, base.b), pen.a};
    } else if (mode == "add") {
      paint = Rgba{add(pen.r, base.r), add(pen.g, base.g), add(pen.b, base.b), pen.a};
    } else if (mode == "colorize") {
      paint = Colorize(pen, base);
    }
  }
  return Over(paint, base, coverage);
}

const std::vector<UndoStep>& SimHost::UndoHistory() const { return impl_->undoStack; }

void SimHost::DrawStroke(const std::vector<std::pair<int32_t, int32_t>>& points, Rgba colour) {
  impl_->PushUndo("stroke");
  for (const auto& point : points) PaintPixel(point.first, point.second, colour);
  lastStroke = Stroke{points, colour, {}};
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
  Layer* layer = self->CurrentLayer();
  if (!self->lastStroke || !layer) return;
  PushUndo();
  const Stroke& stroke = *self->lastStroke;
  for (size_t i = 0; i < stroke.points.size(); ++i) {
    const auto [x, y] = stroke.points[i];
    const double cover = i < stroke.cover.size() ? stroke.cover[i] : 1.0;
    self->PaintPixel(x, y, self->ToolPaint(x, y, self->LayerPixel(*layer, x, y), self->aPen, cover));
  }
}

void SimHost::Impl::ApplyFxStack() {
  Layer* layer = self->CurrentLayer();
  if (!layer) return;
  PushUndo();
  const std::string stack = LowerText(self->fxStack);
  if (stack.empty()) return;
  if (stack != "desaturate" && stack != "invert") {
    Note("tv_stackapply", "no effect named " + self->fxStack + " in the FX stack; the picture stays");
    return;
  }
  for (Rgba& pixel : layer->pixels) {
    if (stack == "invert") {
      pixel = Rgba{static_cast<uint8_t>(255 - pixel.r), static_cast<uint8_t>(255 - pixel.g),
                   static_cast<uint8_t>(255 - pixel.b), pixel.a};
    } else {
      const uint8_t grey = Clamp255(Luma(pixel));
      pixel = Rgba{grey, grey, grey, pixel.a};
    }
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
