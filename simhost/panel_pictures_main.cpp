// panel_pictures: renders the main panel in named states, as the host would
// show it, and writes one PNG per state for a person to look at (shown 2x,
// premultiplied pixels over the host's neutral grey), plus the three
// built-in 180 x 180 pictures as the host unpacks them. Prints each file's
// path with the digest of the picture (the unscaled composition), so two
// builds can be compared.
//
// Usage: panel_pictures OUTPUT-DIRECTORY
// The plug-in is linked in; where the build has no PNG writer (the Windows
// build) only the digests are printed.
#include <cstdio>
#include <string>
#include <vector>

#include "core/artwork.h"
#include "core/packed_image.h"
#include "core/plugin_state.h"
#include "panel_states.h"
#include "simhost.h"
#include "simhost_pictures.h"

namespace {

constexpr int32_t kScale = 2;

bool Emit(const std::string& directory, const std::string& name, const simhost::RgbaPicture& picture,
          bool* pngOk) {
  const std::string path = directory + "/" + name + ".png";
  std::string error;
  const bool written = *pngOk && simhost::WritePng(path, picture, kScale, &error);
  if (*pngOk && !written) {
    std::fprintf(stderr, "panel_pictures: %s\n", error.c_str());
    if (error.find("no PNG writer") != std::string::npos) *pngOk = false;
  }
  std::printf("%s %s\n", simhost::PictureDigest(picture).c_str(), written ? path.c_str() : name.c_str());
  return written || !*pngOk;
}

simhost::RgbaPicture Unpacked(const PackedImage& packed) {
  std::vector<Pixel> pixels(kPackedImagePixels);
  UnpackImage(packed.Data, static_cast<size_t>(packed.Size), pixels.data(), kPackedImagePixels);
  simhost::Gadget holder;
  holder.imageWidth = holder.imageHeight = kPackedImageSide;
  holder.imagePixels = pixels;
  const uint8_t bytesAsBgra[4] = {2, 1, 0, 3};  // read as blue, green, red, alpha
  return simhost::GadgetPicture(holder, bytesAsBgra);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: panel_pictures OUTPUT-DIRECTORY\n");
    return 2;
  }
  const std::string directory = argv[1];
  simhost::HostOptions options;
  // The plug-in's colour-scheme file stays in the host's memory: the
  // output folder holds pictures only.
  options.configFilesInMemory = true;
  bool pngOk = true;
  bool ok = true;
  int faults = 0;
  {
    simhost::SimHost host(simhost::LinkedPluginApi(), options);
    if (!host.Open()) {
      std::fprintf(stderr, "panel_pictures: the plug-in did not open\n");
      return 1;
    }
    for (const PanelState& state : NamedPanelStates()) {
      ShowPanelState(host, state);
      const simhost::Requester* panel = host.FindRequester(GState.PanelRequester);
      if (!panel) {
        std::fprintf(stderr, "panel_pictures: no panel for %s\n", state.name);
        return 1;
      }
      ok = Emit(directory, std::string("panel-") + state.name,
                simhost::ComposeRequester(*panel, options.channelPositions), &pngOk) && ok;
    }
    ok = Emit(directory, "artwork-palette-background", Unpacked(kPaletteBackground), &pngOk) && ok;
    ok = Emit(directory, "artwork-vectorscope-graticule", Unpacked(kVectorscopeGraticule), &pngOk) && ok;
    ok = Emit(directory, "artwork-waveform-graticule", Unpacked(kWaveformGraticule), &pngOk) && ok;
    host.Close();
    for (const std::string& fault : host.Faults()) std::fprintf(stderr, "panel_pictures: FAULT: %s\n", fault.c_str());
    faults = static_cast<int>(host.Faults().size());
    if (host.LiveImageCount() != 0) {
      std::fprintf(stderr, "panel_pictures: %d images left alive\n", host.LiveImageCount());
      ++faults;
    }
  }
  return ok && faults == 0 ? 0 : 1;
}
