// simhost: the host's text command language and the canvas model behind it.
//
// Commands are one line: a case-insensitive command word, then arguments
// separated by spaces; "..." quotes one argument. Replies are plain text
// with single spaces; colours are "r g b a" in straight (not premultiplied)
// bytes. Every command and its reply is recorded in order; unknown commands
// reply with empty text. Layers are bottom first and the project's size.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "simhost_impl.h"

namespace simhost {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Splits on runs of spaces; a "..." argument is one token without its quotes.
std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> tokens;
  tokens.reserve(8);
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size()) break;
    std::string token;
    if (text[i] == '"') {
      ++i;
      while (i < text.size() && text[i] != '"') token += text[i++];
      if (i < text.size()) ++i;
    } else {
      while (i < text.size() && text[i] != ' ') token += text[i++];
    }
    tokens.push_back(token);
  }
  return tokens;
}

int32_t Integer(const std::vector<std::string>& tokens, size_t index, int32_t fallback = 0) {
  if (index >= tokens.size()) return fallback;
  char* end = nullptr;
  const long value = std::strtol(tokens[index].c_str(), &end, 10);
  if (end == tokens[index].c_str()) return fallback;
  return static_cast<int32_t>(value);
}

uint8_t Byte(int32_t value) { return static_cast<uint8_t>(std::max(0, std::min(255, value))); }

std::string ColourText(Rgba c) {
  char text[32];
  std::snprintf(text, sizeof text, "%d %d %d %d", c.r, c.g, c.b, c.a);
  return text;
}

Rgba PenFrom(const std::vector<std::string>& tokens) {
  return Rgba{Byte(Integer(tokens, 1)), Byte(Integer(tokens, 2)), Byte(Integer(tokens, 3)),
              Byte(Integer(tokens, 4, 255))};
}

// Straight-alpha "over": top over bottom.
Rgba Over(Rgba top, Rgba bottom) {
  if (top.a == 255 || bottom.a == 0) return top;
  if (top.a == 0) return bottom;
  const double at = top.a / 255.0;
  const double ab = bottom.a / 255.0;
  const double ao = at + ab * (1.0 - at);
  auto mix = [&](uint8_t t, uint8_t b) {
    return static_cast<uint8_t>(std::lround((t * at + b * ab * (1.0 - at)) / ao));
  };
  return Rgba{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b),
              static_cast<uint8_t>(std::lround(ao * 255.0))};
}

}  // namespace

// ---------------------------------------------------------------- model

Rgba SimHost::RangeColour(int32_t position) const {
  const int32_t p = std::max(0, std::min(255, position));
  auto lerp = [p](uint8_t a, uint8_t b) { return static_cast<uint8_t>((a * (255 - p) + b * p + 127) / 255); };
  return Rgba{lerp(aPen.r, bPen.r), lerp(aPen.g, bPen.g), lerp(aPen.b, bPen.b), lerp(aPen.a, bPen.a)};
}

Layer* SimHost::CurrentLayer() { return FindLayer(currentLayerId); }

Layer* SimHost::FindLayer(int32_t id) {
  for (auto& layer : layers) {
    if (layer.id == id) return &layer;
  }
  return nullptr;
}

Rgba SimHost::LayerPixel(const Layer& layer, int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= options_.imageWidth || y >= options_.imageHeight) return Rgba{0, 0, 0, 0};
  const size_t index = static_cast<size_t>(x) + static_cast<size_t>(options_.imageWidth) * y;
  if (index >= layer.pixels.size()) return Rgba{0, 0, 0, 0};
  return layer.pixels[index];
}

Rgba SimHost::DisplayPixel(int32_t x, int32_t y) const {
  Rgba out{0, 0, 0, 0};
  for (const auto& layer : layers) {
    if (layer.visible) out = Over(LayerPixel(layer, x, y), out);
  }
  return out;
}

void SimHost::PaintPixel(int32_t x, int32_t y, Rgba colour) {
  Layer* layer = CurrentLayer();
  if (!layer || x < 0 || y < 0 || x >= options_.imageWidth || y >= options_.imageHeight) return;
  layer->pixels[static_cast<size_t>(x) + static_cast<size_t>(options_.imageWidth) * y] = colour;
}

void SimHost::FillCurrentLayer(Rgba colour) {
  Layer* layer = CurrentLayer();
  if (layer) std::fill(layer->pixels.begin(), layer->pixels.end(), colour);
}

// ---------------------------------------------------------------- commands

std::string SimHost::Impl::Command(const std::string& text) {
  SimHost& host = *self;
  const size_t index = host.commands_.size();
  host.commands_.push_back(CommandRecord{text, std::string()});

  const std::vector<std::string> tokens = Tokens(text);
  const std::string word = tokens.empty() ? std::string() : Lower(tokens[0]);
  commandWord = word;
  const int32_t width = host.options_.imageWidth;
  const int32_t height = host.options_.imageHeight;
  std::string reply;

  if (word == "tv_rangegrab") {  // first: the A-B gradient reload sends 256 at a time
    reply = ColourText(host.RangeColour(Integer(tokens, 1)));
  } else if (word == "tv_getapen") {
    reply = ColourText(host.aPen);
  } else if (word == "tv_getbpen") {
    reply = ColourText(host.bPen);
  } else if (word == "tv_setapen") {
    host.aPen = PenFrom(tokens);
  } else if (word == "tv_setbpen") {
    host.bPen = PenFrom(tokens);
  } else if (word == "tv_getpixel") {
    const Layer* layer = host.CurrentLayer();
    reply = ColourText(layer ? host.LayerPixel(*layer, Integer(tokens, 1), Integer(tokens, 2)) : Rgba{0, 0, 0, 0});
  } else if (word == "tv_getpixeldisplay") {
    reply = ColourText(host.DisplayPixel(Integer(tokens, 1), Integer(tokens, 2)));
  } else if (word == "tv_layergetimage" || word == "tv_layercurrentid") {
    reply = std::to_string(host.currentLayerId);
  } else if (word == "tv_layercreate") {
    PushUndo();
    Layer layer;
    layer.id = nextLayerId++;
    layer.name = tokens.size() > 1 ? tokens[1] : std::string();
    layer.pixels.assign(static_cast<size_t>(width) * height, Rgba{0, 0, 0, 0});
    auto above = host.layers.end();
    for (auto it = host.layers.begin(); it != host.layers.end(); ++it) {
      if (it->id == host.currentLayerId) above = it + 1;
    }
    host.layers.insert(above, layer);
    host.currentLayerId = layer.id;
    reply = std::to_string(layer.id);
  } else if (word == "tv_layerdisplay") {
    if (Layer* layer = host.FindLayer(Integer(tokens, 1))) {
      PushUndo();
      layer->visible = tokens.size() < 3 || Lower(tokens[2]) != "off";
    }
  } else if (word == "tv_layerstencil") {
    if (Layer* layer = host.FindLayer(Integer(tokens, 1))) {
      PushUndo();
      layer->stencil = tokens.size() < 3 || Lower(tokens[2]) != "off";
    }
  } else if (word == "tv_reapply") {
    Reapply();
  } else if (word == "tv_layerimage" || word == "tv_layershift" || word == "tv_stackapply" ||
             word == "tv_setcolor") {
    // Recorded only: the model has no timeline, strokes or colour bins.
  } else if (word == "tv_fill") {
    Fill(Integer(tokens, 1, -1), Integer(tokens, 2, -1));
  } else if (word == "tv_pixelmatrix") {
    Layer* layer = host.CurrentLayer();
    if (layer && tokens.size() >= 21) {
      PushUndo();
      double m[20];
      for (int i = 0; i < 20; ++i) m[i] = std::strtod(tokens[1 + i].c_str(), nullptr);
      for (Rgba& pixel : layer->pixels) {
        const double in[4] = {double(pixel.r), double(pixel.g), double(pixel.b), double(pixel.a)};
        uint8_t out[4];
        for (int row = 0; row < 4; ++row) {
          const double* r = m + 5 * row;
          out[row] = Byte(static_cast<int32_t>(std::lround(r[0] * in[0] + r[1] * in[1] + r[2] * in[2] +
                                                           r[3] * in[3] + r[4])));
        }
        pixel = Rgba{out[0], out[1], out[2], out[3]};
      }
    }
  } else if (word == "tv_sparecopy") {
    if (const Layer* layer = host.CurrentLayer()) host.sparePage = layer->pixels;
  } else if (word == "tv_sparetofront") {
    Layer* layer = host.CurrentLayer();
    if (layer && host.sparePage.size() == layer->pixels.size()) {
      PushUndo();
      for (size_t i = 0; i < layer->pixels.size(); ++i) layer->pixels[i] = Over(host.sparePage[i], layer->pixels[i]);
    }
  } else if (word == "tv_undoopenstack") {
    OpenUndoGroup();
  } else if (word == "tv_undoclosestack") {
    CloseUndoGroup(tokens.size() > 1 ? tokens[1] : std::string());
  } else if (word == "tv_undo") {
    Undo();
  } else if (word == "tv_getactivetool") {
    reply = ToolReply();
  } else if (word == "tv_getactiveshape") {
    reply = host.activeShape;
  } else if (word == "tv_setactiveshape") {
    if (tokens.size() > 1) host.activeShape = tokens[1];
  } else if (word == "tv_getdrawmode") {
    reply = host.drawMode;
  } else if (word == "tv_setdrawmode") {
    if (tokens.size() > 1) host.drawMode = tokens[1];
  } else if (word == "tv_getpath") {
    if (tokens.size() > 1 && Lower(tokens[1]) == "plugin") reply = host.options_.pluginDirectory;
  } else if (word == "tv_lockmouse") {
    host.mouseLocked = Integer(tokens, 1, 1) != 0;
  } else if (word == "tv_unlockmouse") {
    host.mouseLocked = false;
  } else if (word == "tv_plugin") {
    // tv_plugin "name" cmd "text": the plug-in's PI_Parameters gets the text.
    if (tokens.size() >= 4 && Lower(tokens[2]) == "cmd") CallParameters(tokens[3].c_str());
  } else if (tokens.size() == 3 && Lower(tokens[1]) == "mode" && !text.empty() && text[0] != ' ') {
    // "<tool> mode <word>": the tool's draw mode.
    host.drawMode = tokens[2];
  } else if (ToolCommand(tokens)) {
    // The active tool's settings changed.
  }

  auto script = host.scriptedReplies_.find(text);
  if (script != host.scriptedReplies_.end() && !script->second.empty()) {
    reply = script->second.front();
    script->second.pop_front();
    if (script->second.empty()) host.scriptedReplies_.erase(script);
  }
  if (reply.size() > 255) reply.resize(255);
  host.commands_[index].reply = reply;
  return reply;
}

}  // namespace simhost
