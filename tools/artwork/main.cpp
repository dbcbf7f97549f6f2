// artwork: generates the editor's images, at each density the editor can be shown at.
//   artwork OUT_DIR                      writes background.png and sheet.png, then -150, -200 and
//                                        -300 of each (1.5x, 2x, 3x), into OUT_DIR
//   artwork --preview OUT.png            writes the whole editor composed from the 1x images, each
//                                        pixel shown 2 x 2
//   artwork --preview-density D OUT.png  writes the editor composed from the images of density D
//   artwork --check DIR                  checks DIR's eight files; exit 1 listing the problems
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "Artwork.h"
#include "Check.h"
#include "Layout.h"
#include "Png.h"

namespace {

// The module carries these files: the larger densities are packed as small as libpng can, while
// 1x keeps libpng's default packing, which its committed bytes were made with.
void writeImage(const std::string& path, const Artwork::Canvas& canvas) {
  if (canvas.density() == 1.0)
    Artwork::writePng(path, canvas.width(), canvas.height(), canvas.toRgba8());
  else
    Artwork::writeSmallestPng(path, canvas.width(), canvas.height(), canvas.toRgba8());
}

void writePreview(const std::string& path, const Artwork::Canvas& canvas) {
  Artwork::writePng(path, canvas.width(), canvas.height(), canvas.toRgba8());
}

// One of kDensities, or 0.
double parseDensity(const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  for (double density : Artwork::kDensities)
    if (end != text && *end == 0 && value == density) return density;
  return 0;
}

Artwork::Canvas preview(double density) {
  return Artwork::makePreview(Artwork::makeBackground(density), Artwork::makeSheet(density));
}

int usage() {
  std::fprintf(stderr,
               "usage: artwork OUT_DIR | artwork --preview OUT.png | "
               "artwork --preview-density 1|1.5|2|3 OUT.png | artwork --check DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && argv[1][0] != '-') {
      const std::string folder = argv[1];
      for (double density : Artwork::kDensities) {
        const std::string suffix = Artwork::densitySuffix(density);
        writeImage(folder + "/background" + suffix + ".png", Artwork::makeBackground(density));
        writeImage(folder + "/sheet" + suffix + ".png", Artwork::makeSheet(density));
      }
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) {
      writePreview(argv[2], preview(1).scaledUp(2));
      return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--preview-density") == 0) {
      const double density = parseDensity(argv[2]);
      if (density == 0) return usage();
      writePreview(argv[3], preview(density));
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
      const auto problems = Artwork::checkArtwork(argv[2]);
      for (const auto& problem : problems) std::fprintf(stderr, "artwork: %s\n", problem.c_str());
      return problems.empty() ? 0 : 1;
    }
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "artwork: %s\n", e.what());
    return 2;
  }
}
