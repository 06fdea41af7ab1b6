// tintwell_desktop: the project on the canvas view: the layers it starts
// with, the host's brush, and the mapping between window and canvas pixels.
//
// The host's brush paints the current layer: an elliptic dab with a soft
// edge of one pixel, laid every half minor radius along the pointer's path.
// Its shape is the active tool's settings: "size" the radius in canvas
// pixels (what the brush-size circle on the canvas shows), "aspect" the
// minor radius in percent of it, "angle" in degrees counter-clockwise from
// the x axis of the long side. "power" and "opacity" (percent) scale the
// paint together with the pressure (a pen's, or full for a mouse); all are
// read at every dab, so a plug-in that changes them or the A pen while the
// user paints changes the stroke. Within one stroke a pixel takes the
// strongest dab that reached it (the stroke does not build up over itself).
// What a dab leaves follows the draw mode (SimHost::ToolPaint: color,
// lighten, darken, add, colorize, and merge, which paints the spare page).
// A stroke is one undo step.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "desktop_app.h"

namespace desktop {

namespace {

constexpr int kCheckerSize = 8;  // transparent canvas shows as a checkerboard of this many pixels
constexpr float kMinimumZoom = 0.125f;
constexpr float kMaximumZoom = 16.0f;
constexpr float kDefaultBrushRadius = 6.0f;  // canvas pixels, when the tool names no size
constexpr float kDegrees = 3.14159265f / 180.0f;

simhost::Rgba HsvColour(float h, float s, float v, uint8_t alpha) {
  h = h - std::floor(h);
  const float f = h * 6.0f;
  const int sector = static_cast<int>(f) % 6;
  const float t = f - std::floor(f);
  const float p = v * (1 - s), q = v * (1 - s * t), u = v * (1 - s * (1 - t));
  float r = v, g = u, b = p;
  switch (sector) {
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = u; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = u; g = p; b = v; break;
    case 5: r = v; g = p; b = q; break;
    default: break;
  }
  auto byte = [](float x) { return static_cast<uint8_t>(std::clamp(x * 255.0f + 0.5f, 0.0f, 255.0f)); };
  return simhost::Rgba{byte(r), byte(g), byte(b), alpha};
}

}  // namespace

// ---------------------------------------------------------------- project

void App::MakeProject() {
  const int width = host_->Options().imageWidth;
  const int height = host_->Options().imageHeight;
  // Paper, a layer of colours to pick from, and an empty layer to paint on.
  host_->layers.front().name = "Paper";
  host_->currentLayerId = host_->layers.front().id;
  host_->FillCurrentLayer(simhost::Rgba{238, 232, 218, 255});
  host_->RunCommand("tv_LayerCreate \"Colours\"");
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = static_cast<float>(x) / width;
      const float v = static_cast<float>(y) / height;
      if (u >= 0.05f && u < 0.95f && v >= 0.06f && v < 0.30f) {
        // Hues across, from full colour down to a darker row.
        host_->PaintPixel(x, y, HsvColour((u - 0.05f) / 0.9f, 0.85f, 1.0f - (v - 0.06f) * 2.0f, 255));
      } else if (u >= 0.05f && u < 0.95f && v >= 0.33f && v < 0.39f) {
        const uint8_t grey = static_cast<uint8_t>((u - 0.05f) / 0.9f * 255.0f);
        host_->PaintPixel(x, y, simhost::Rgba{grey, grey, grey, 255});
      }
    }
  }
  const struct {
    float x, y, radius;
    simhost::Rgba colour;
  } discs[] = {{0.22f, 0.68f, 0.13f, {196, 62, 48, 255}},
               {0.50f, 0.72f, 0.15f, {40, 128, 132, 230}},
               {0.78f, 0.66f, 0.12f, {214, 164, 52, 200}}};
  for (const auto& disc : discs) {
    const float cx = disc.x * width, cy = disc.y * height, r = disc.radius * std::min(width, height) * 1.4f;
    for (int y = static_cast<int>(cy - r - 1); y <= static_cast<int>(cy + r + 1); ++y) {
      for (int x = static_cast<int>(cx - r - 1); x <= static_cast<int>(cx + r + 1); ++x) {
        const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
        const float cover = std::clamp(r - d, 0.0f, 1.0f);
        if (cover <= 0.0f || x < 0 || y < 0 || x >= width || y >= height) continue;
        const simhost::Layer* layer = host_->CurrentLayer();
        host_->PaintPixel(x, y, simhost::Over(disc.colour, host_->LayerPixel(*layer, x, y), cover));
      }
    }
  }
  host_->RunCommand("tv_LayerCreate \"Ink\"");
  host_->ClearUndoHistory();
  // A brush tool whose settings the plug-in's brush features may change.
  host_->activeTool = "tv_airbrush";
  host_->toolSettings = {{"size", "6"}, {"power", "100"}, {"opacity", "100"}, {"angle", "0"}, {"aspect", "100"}};
  // An FX stack whose effect shows where the lamp paints it.
  host_->fxStack = "desaturate";
  host_->ClearRecords();
  panX_ = width * 0.5f;
  panY_ = height * 0.5f;
  canvasDirty_ = true;
}

void App::UpdateCanvasTexture() {
  if (!canvasDirty_ || !host_) return;
  canvasDirty_ = false;
  const int width = host_->Options().imageWidth;
  const int height = host_->Options().imageHeight;
  simhost::RgbaPicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.resize(static_cast<size_t>(width) * height * 4);
  const size_t count = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < count; ++i) {
    const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
    const uint8_t grey = ((x / kCheckerSize + y / kCheckerSize) & 1) ? 200 : 232;
    simhost::Rgba out{grey, grey, grey, 255};
    if (showSpare_) {
      if (i < host_->sparePage.size()) out = simhost::Over(host_->sparePage[i], out);
    } else {
      for (const simhost::Layer& layer : host_->layers) {
        if (layer.visible && i < layer.pixels.size() && layer.pixels[i].a > 0) out = simhost::Over(layer.pixels[i], out);
      }
    }
    picture.rgba[i * 4 + 0] = out.r;
    picture.rgba[i * 4 + 1] = out.g;
    picture.rgba[i * 4 + 2] = out.b;
    picture.rgba[i * 4 + 3] = 255;
  }
  SetTexture(&canvasTexture_, picture, false);
}

void App::SetTexture(Texture* texture, const simhost::RgbaPicture& picture, bool straighten) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4) {
    return;
  }
  if (!texture->texture || texture->width != picture.width || texture->height != picture.height) {
    if (texture->texture) SDL_DestroyTexture(texture->texture);
    texture->texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC,
                                         picture.width, picture.height);
    texture->width = picture.width;
    texture->height = picture.height;
    if (!texture->texture) return;
    SDL_SetTextureScaleMode(texture->texture, SDL_ScaleModeNearest);
  }
  if (straighten) {
    // The plug-in's pictures are premultiplied; the renderer blends straight colours.
    std::vector<uint8_t> straight(picture.rgba);
    for (size_t i = 0; i + 3 < straight.size(); i += 4) {
      const int a = straight[i + 3];
      for (int c = 0; c < 3; ++c) straight[i + c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255, straight[i + c] * 255 / a));
    }
    SDL_SetTextureBlendMode(texture->texture, SDL_BLENDMODE_BLEND);
    SDL_UpdateTexture(texture->texture, nullptr, straight.data(), picture.width * 4);
  } else {
    SDL_SetTextureBlendMode(texture->texture, SDL_BLENDMODE_NONE);
    SDL_UpdateTexture(texture->texture, nullptr, picture.rgba.data(), picture.width * 4);
  }
}

// ---------------------------------------------------------------- view

// The window pixel of the canvas's left and top edge: whole pixels, so the
// picture stays crisp.
static void ImageOrigin(const SDL_Rect& view, float panX, float panY, float zoom, float* ox, float* oy) {
  *ox = std::floor(view.x + view.w * 0.5f - panX * zoom);
  *oy = std::floor(view.y + view.h * 0.5f - panY * zoom);
}

bool App::ScreenToCanvas(float sx, float sy, float* cx, float* cy) const {
  float ox, oy;
  ImageOrigin(canvasView_, panX_, panY_, zoom_, &ox, &oy);
  // The centre of the window pixel under the pointer.
  *cx = (sx + 0.5f - ox) / zoom_;
  *cy = (sy + 0.5f - oy) / zoom_;
  return *cx >= 0 && *cy >= 0 && *cx < host_->Options().imageWidth && *cy < host_->Options().imageHeight;
}

void App::CanvasToScreen(float cx, float cy, float* sx, float* sy) const {
  float ox, oy;
  ImageOrigin(canvasView_, panX_, panY_, zoom_, &ox, &oy);
  *sx = ox + cx * zoom_;
  *sy = oy + cy * zoom_;
}

bool App::OverCanvas(int x, int y) const {
  return x >= canvasView_.x && y >= canvasView_.y && x < canvasView_.x + canvasView_.w &&
         y < canvasView_.y + canvasView_.h;
}

void App::ZoomAt(int x, int y, float factor) {
  float cx, cy;
  ScreenToCanvas(static_cast<float>(x), static_cast<float>(y), &cx, &cy);
  zoom_ = std::clamp(zoom_ * factor, kMinimumZoom, kMaximumZoom);
  // Keep the canvas point under the pointer where it was.
  panX_ = (canvasView_.x + canvasView_.w * 0.5f - (x + 0.5f - cx * zoom_)) / zoom_;
  panY_ = (canvasView_.y + canvasView_.h * 0.5f - (y + 0.5f - cy * zoom_)) / zoom_;
  framesToDraw_ = std::max(framesToDraw_, 2);
}

// ---------------------------------------------------------------- brush

float App::ToolNumber(const std::string& key, float fallback) const {
  for (const auto& setting : host_->toolSettings) {
    if (setting.first == key) {
      char* end = nullptr;
      const float value = std::strtof(setting.second.c_str(), &end);
      if (end != setting.second.c_str() && std::isfinite(value)) return value;
    }
  }
  return fallback;
}

float App::BrushRadius() const {
  const float size = ToolNumber("size", kDefaultBrushRadius);
  return size > 0.0f && size < 10000.0f ? std::max(0.5f, size) : kDefaultBrushRadius;
}

void App::SetToolSetting(const std::string& key, const std::string& value) {
  for (auto& setting : host_->toolSettings) {
    if (setting.first == key) {
      setting.second = value;
      return;
    }
  }
  host_->toolSettings.emplace_back(key, value);
}

void App::StrokeBegin(float cx, float cy) {
  simhost::Layer* layer = host_->CurrentLayer();
  if (!layer) return;
  host_->RecordUndoStep();
  strokeLayer_ = layer->id;
  strokeBefore_ = layer->pixels;
  strokeCover_.assign(layer->pixels.size(), 0.0f);
  strokePoints_.clear();
  strokeColour_ = host_->aPen;
  strokeLastX_ = cx;
  strokeLastY_ = cy;
  Dab(cx, cy);
}

void App::StrokeTo(float cx, float cy) {
  if (strokeBefore_.empty()) return;
  strokeColour_ = host_->aPen;
  const float aspect = std::clamp(ToolNumber("aspect", 100.0f) / 100.0f, 0.05f, 1.0f);
  const float spacing = std::max(1.0f, BrushRadius() * aspect * 0.5f);
  const float dx = cx - strokeLastX_, dy = cy - strokeLastY_;
  const float distance = std::hypot(dx, dy);
  if (distance < spacing) return;
  const int steps = static_cast<int>(distance / spacing);
  for (int i = 1; i <= steps; ++i) {
    const float t = i * spacing / distance;
    Dab(strokeLastX_ + dx * t, strokeLastY_ + dy * t);
  }
  strokeLastX_ += dx * steps * spacing / distance;
  strokeLastY_ += dy * steps * spacing / distance;
}

void App::StrokeEnd() {
  // The host's re-apply paints this line again, as soft as it was.
  if (!strokePoints_.empty()) {
    simhost::Stroke stroke{strokePoints_, strokeColour_, {}};
    const int width = host_->Options().imageWidth;
    stroke.cover.reserve(strokePoints_.size());
    for (const auto& point : strokePoints_) {
      stroke.cover.push_back(strokeCover_[static_cast<size_t>(point.first) + static_cast<size_t>(width) * point.second]);
    }
    host_->lastStroke = std::move(stroke);
  }
  strokeBefore_.clear();
  strokeCover_.clear();
}

void App::Dab(float cx, float cy) {
  simhost::Layer* layer = host_->FindLayer(strokeLayer_);
  if (!layer || layer->pixels.size() != strokeBefore_.size()) return;
  const int width = host_->Options().imageWidth;
  const int height = host_->Options().imageHeight;
  const float radius = BrushRadius();
  // The short side is at least one pixel across.
  const float aspect = std::max(std::clamp(ToolNumber("aspect", 100.0f) / 100.0f, 0.05f, 1.0f), 0.5f / radius);
  const float angle = ToolNumber("angle", 0.0f) * kDegrees;
  const float power = std::clamp(ToolNumber("power", 100.0f) / 100.0f, 0.0f, 1.0f);
  const float opacity = std::clamp(ToolNumber("opacity", 100.0f) / 100.0f, 0.0f, 1.0f);
  const float strength = power * opacity * PointerPressure() / 255.0f;
  // The long side points along (cos a, -sin a) on screen (y grows down).
  const float c = std::cos(angle), s = std::sin(angle);
  const int x0 = std::max(0, static_cast<int>(std::floor(cx - radius - 1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(cy - radius - 1)));
  const int x1 = std::min(width - 1, static_cast<int>(std::ceil(cx + radius + 1)));
  const int y1 = std::min(height - 1, static_cast<int>(std::ceil(cy + radius + 1)));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      const float along = dx * c - dy * s;
      const float across = (dx * s + dy * c) / aspect;
      const float d = std::sqrt(along * along + across * across);
      const float cover = std::clamp(radius - d + 0.5f, 0.0f, 1.0f) * strength;
      const size_t i = static_cast<size_t>(x) + static_cast<size_t>(width) * y;
      if (cover <= strokeCover_[i]) continue;
      if (strokeCover_[i] == 0.0f) strokePoints_.emplace_back(x, y);
      strokeCover_[i] = cover;
      layer->pixels[i] = host_->ToolPaint(x, y, strokeBefore_[i], strokeColour_, cover);
    }
  }
  canvasDirty_ = true;
}

}  // namespace desktop
