// artwork: generates the editor's images.
//   artwork OUT_DIR                      writes OUT_DIR/background.png and OUT_DIR/sheet.png
//   artwork --preview OUT.png            writes the whole editor composed from them, each pixel
//                                        shown 2 x 2
//   artwork --preview-density D OUT.png  writes the editor composed from images drawn at density D
//   artwork --check DIR                  checks DIR's two files; exit 1 listing the problems
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

void write(const std::string& path, const Artwork::Canvas& canvas) {
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
      write(folder + "/background.png", Artwork::makeBackground(1.0));
      write(folder + "/sheet.png", Artwork::makeSheet(1.0));
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) {
      write(argv[2], preview(1.0).scaledUp(2));
      return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--preview-density") == 0) {
      const double density = parseDensity(argv[2]);
      if (density == 0) return usage();
      write(argv[3], preview(density));
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
