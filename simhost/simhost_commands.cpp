// simhost: the host's text command language and the canvas model behind it.
//
// Commands are one line: a case-insensitive command word, then arguments
// separated by spaces; "..." quotes one argument. Replies are plain text
// with single spaces; colours are "r g b a" in straight (not premultiplied)
// bytes. Every command and its reply is recorded in order; unknown commands
// reply with empty text. Layers are bottom first and the project's size.
//
// Every command the plug-in sends is carried out, or noted with the reason
// it is not (Notes(), which a desktop host shows in its log): the project
// has one image, so tv_LayerImage and tv_LayerShift have nothing to move;
// there are no colour bins for tv_setColor; unknown commands, settings for a
// tool that is not the active one and draw modes the canvas can't paint are
// noted too.
#include <algorithm>
#include <cctype>
#include <cmath>
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
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    while (i < size && text[i] == ' ') ++i;
    if (i >= size) break;
    const bool quoted = text[i] == '"';
    if (quoted) ++i;
    const size_t start = i;
    while (i < size && text[i] != (quoted ? '"' : ' ')) ++i;
    tokens.emplace_back(text, start, i - start);
    if (quoted && i < size) ++i;
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

std::string ColourText(Rgba c) { return Format("%d %d %d %d", c.r, c.g, c.b, c.a); }

Rgba PenFrom(const std::vector<std::string>& tokens) {
  return Rgba{Byte(Integer(tokens, 1)), Byte(Integer(tokens, 2)), Byte(Integer(tokens, 3)),
              Byte(Integer(tokens, 4, 255))};
}

}  // namespace

Rgba Over(Rgba top, Rgba bottom, double coverage) {
  if (coverage >= 1.0) {
    if (top.a == 255 || bottom.a == 0) return top;
    if (top.a == 0) return bottom;
  }
  const double at = std::max(0.0, coverage) * top.a / 255.0;
  const double ab = bottom.a / 255.0;
  const double ao = at + ab * (1.0 - at);
  if (ao <= 0.0) return Rgba{0, 0, 0, 0};
  auto mix = [&](uint8_t t, uint8_t b) {
    return static_cast<uint8_t>(std::lround((t * at + b * ab * (1.0 - at)) / ao));
  };
  return Rgba{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b),
              static_cast<uint8_t>(std::lround(ao * 255.0))};
}

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

namespace {

// What a command handler works on: the host, its private state, the
// command's tokens (word first) and the reply it may set.
struct CommandCall {
  SimHost& host;
  SimHost::Impl& impl;
  const std::string& text;
  const std::vector<std::string>& tokens;
  std::string& reply;
  void Note(const std::string& reason) const { impl.Note(text, reason); }
  Layer* CurrentLayer() const { return host.CurrentLayer(); }
  // The "on"/"off" switch of a layer command: on unless the word is "off".
  bool SwitchOn() const { return tokens.size() < 3 || Lower(tokens[2]) != "off"; }
};

void CreateLayer(CommandCall& c) {
  c.impl.PushUndo();
  Layer layer;
  layer.id = c.impl.nextLayerId++;
  layer.name = c.tokens.size() > 1 ? c.tokens[1] : std::string();
  layer.pixels.assign(static_cast<size_t>(c.host.Options().imageWidth) * c.host.Options().imageHeight,
                      Rgba{0, 0, 0, 0});
  auto above = c.host.layers.end();
  for (auto it = c.host.layers.begin(); it != c.host.layers.end(); ++it) {
    if (it->id == c.host.currentLayerId) above = it + 1;
  }
  c.host.layers.insert(above, layer);
  c.host.currentLayerId = layer.id;
  c.reply = std::to_string(layer.id);
}

// tv_pixelmatrix: 20 numbers, a 4 x 5 matrix applied to r g b a 1 of every
// pixel of the current layer.
void PixelMatrix(CommandCall& c) {
  Layer* layer = c.CurrentLayer();
  if (!layer || c.tokens.size() < 21) return;
  c.impl.PushUndo();
  double m[20];
  for (int i = 0; i < 20; ++i) m[i] = std::strtod(c.tokens[1 + i].c_str(), nullptr);
  for (Rgba& pixel : layer->pixels) {
    const double in[4] = {double(pixel.r), double(pixel.g), double(pixel.b), double(pixel.a)};
    uint8_t out[4];
    for (int row = 0; row < 4; ++row) {
      const double* r = m + 5 * row;
      out[row] =
          Byte(static_cast<int32_t>(std::lround(r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4])));
    }
    pixel = Rgba{out[0], out[1], out[2], out[3]};
  }
}

void SpareToFront(CommandCall& c) {
  Layer* layer = c.CurrentLayer();
  if (!layer || c.host.sparePage.size() != layer->pixels.size()) return;
  c.impl.PushUndo();
  for (size_t i = 0; i < layer->pixels.size(); ++i) layer->pixels[i] = Over(c.host.sparePage[i], layer->pixels[i]);
}

void SetLayerSwitch(CommandCall& c, bool Layer::*field) {
  if (Layer* layer = c.host.FindLayer(Integer(c.tokens, 1))) {
    c.impl.PushUndo();
    layer->*field = c.SwitchOn();
  }
}

void SetWord(CommandCall& c, std::string* word) {
  if (c.tokens.size() > 1) *word = c.tokens[1];
}

void SetDrawMode(CommandCall& c, const std::string& word) {
  c.host.drawMode = word;
  if (!SimHost::KnownDrawMode(Lower(word))) c.Note("the canvas paints this draw mode as color");
}

// The project is one image deep: each layer holds the image at the current
// position, the only one, so there is nothing to go to or shift.
void OneImage(CommandCall& c) { c.Note("the project has one image; nothing to move"); }

using CommandHandler = void (*)(CommandCall&);
struct CommandEntry {
  const char* word;  // lower case
  CommandHandler handler;
};

// The command words the host serves. tv_rangegrab leads: the A-B gradient
// reload sends 256 at a time.
const CommandEntry kCommands[] = {
    {"tv_rangegrab", [](CommandCall& c) { c.reply = ColourText(c.host.RangeColour(Integer(c.tokens, 1))); }},
    {"tv_getapen", [](CommandCall& c) { c.reply = ColourText(c.host.aPen); }},
    {"tv_getbpen", [](CommandCall& c) { c.reply = ColourText(c.host.bPen); }},
    {"tv_setapen", [](CommandCall& c) { c.host.aPen = PenFrom(c.tokens); }},
    {"tv_setbpen", [](CommandCall& c) { c.host.bPen = PenFrom(c.tokens); }},
    {"tv_getpixel",
     [](CommandCall& c) {
       const Layer* layer = c.CurrentLayer();
       c.reply = ColourText(layer ? c.host.LayerPixel(*layer, Integer(c.tokens, 1), Integer(c.tokens, 2))
                                  : Rgba{0, 0, 0, 0});
     }},
    {"tv_getpixeldisplay",
     [](CommandCall& c) { c.reply = ColourText(c.host.DisplayPixel(Integer(c.tokens, 1), Integer(c.tokens, 2))); }},
    {"tv_layergetimage", [](CommandCall& c) { c.reply = std::to_string(c.host.currentLayerId); }},
    {"tv_layercurrentid", [](CommandCall& c) { c.reply = std::to_string(c.host.currentLayerId); }},
    {"tv_layercreate", CreateLayer},
    {"tv_layerdisplay", [](CommandCall& c) { SetLayerSwitch(c, &Layer::visible); }},
    {"tv_layerstencil", [](CommandCall& c) { SetLayerSwitch(c, &Layer::stencil); }},
    {"tv_reapply", [](CommandCall& c) { c.impl.Reapply(); }},
    {"tv_layerimage", OneImage},
    {"tv_layershift", OneImage},
    {"tv_stackapply", [](CommandCall& c) { c.impl.ApplyFxStack(); }},
    {"tv_setcolor", [](CommandCall& c) { c.Note("this host keeps no colour bins; nothing stored"); }},
    {"tv_fill", [](CommandCall& c) { c.impl.Fill(Integer(c.tokens, 1, -1), Integer(c.tokens, 2, -1)); }},
    {"tv_pixelmatrix", PixelMatrix},
    {"tv_sparecopy",
     [](CommandCall& c) {
       if (const Layer* layer = c.CurrentLayer()) c.host.sparePage = layer->pixels;
     }},
    {"tv_sparetofront", SpareToFront},
    {"tv_undoopenstack", [](CommandCall& c) { c.impl.OpenUndoGroup(); }},
    {"tv_undoclosestack",
     [](CommandCall& c) { c.impl.CloseUndoGroup(c.tokens.size() > 1 ? c.tokens[1] : std::string()); }},
    {"tv_undo", [](CommandCall& c) { c.impl.Undo(); }},
    {"tv_getactivetool", [](CommandCall& c) { c.reply = c.impl.ToolReply(); }},
    {"tv_getactiveshape", [](CommandCall& c) { c.reply = c.host.activeShape; }},
    {"tv_setactiveshape", [](CommandCall& c) { SetWord(c, &c.host.activeShape); }},
    {"tv_getdrawmode", [](CommandCall& c) { c.reply = c.host.drawMode; }},
    {"tv_setdrawmode",
     [](CommandCall& c) {
       if (c.tokens.size() > 1) SetDrawMode(c, c.tokens[1]);
     }},
    {"tv_getpath",
     [](CommandCall& c) {
       if (c.tokens.size() > 1 && Lower(c.tokens[1]) == "plugin") c.reply = c.host.Options().pluginDirectory;
     }},
    {"tv_lockmouse", [](CommandCall& c) { c.host.mouseLocked = Integer(c.tokens, 1, 1) != 0; }},
    {"tv_unlockmouse", [](CommandCall& c) { c.host.mouseLocked = false; }},
    // tv_plugin "name" cmd "text": the plug-in's PI_Parameters gets the text.
    {"tv_plugin",
     [](CommandCall& c) {
       if (c.tokens.size() >= 4 && Lower(c.tokens[2]) == "cmd") c.impl.CallParameters(c.tokens[3].c_str());
     }},
};

}  // namespace

std::string SimHost::Impl::Command(const std::string& text) {
  SimHost& host = *self;
  const size_t index = commands.size();
  commands.push_back(CommandRecord{text, std::string()});

  const std::vector<std::string> tokens = Tokens(text);
  const std::string word = tokens.empty() ? std::string() : Lower(tokens[0]);
  commandWord = word;  // a command a handler serves inside this one (tv_plugin) leaves its own word
  std::string reply;
  CommandCall call{host, *this, text, tokens, reply};
  const CommandEntry* entry = std::find_if(std::begin(kCommands), std::end(kCommands), [&word](const CommandEntry& e) {
    return word == e.word;
  });
  if (entry != std::end(kCommands)) {
    entry->handler(call);
  } else if (tokens.size() == 3 && Lower(tokens[1]) == "mode" && !text.empty() && text[0] != ' ') {
    SetDrawMode(call, tokens[2]);  // "<tool> mode <word>": the tool's draw mode
  } else if (!ToolCommand(tokens)) {  // "<tool> key value ...": the active tool's settings
    const bool activeTool = !tokens.empty() && !host.activeTool.empty() && Lower(tokens[0]) == Lower(host.activeTool);
    call.Note(activeTool ? "not a setting of the active tool; nothing done"
                         : "neither a command of this host nor the active tool's; nothing done");
  }

  auto script = scriptedReplies.find(text);
  if (script != scriptedReplies.end() && !script->second.empty()) {
    reply = script->second.front();
    script->second.pop_front();
    if (script->second.empty()) scriptedReplies.erase(script);
  }
  if (reply.size() > 255) reply.resize(255);
  commands[index].reply = reply;
  return reply;
}

}  // namespace simhost
