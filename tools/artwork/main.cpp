// artwork: generates the editor's images.
//   artwork OUT_DIR            writes OUT_DIR/background.png and OUT_DIR/sheet.png
//   artwork --preview OUT.png  writes the whole editor composed from them, at twice the size
//   artwork --check DIR        checks DIR's two files; exit 1 listing the problems
#include <cstdio>
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

int usage() {
  std::fprintf(stderr,
               "usage: artwork OUT_DIR | artwork --preview OUT.png | artwork --check DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && argv[1][0] != '-') {
      const std::string folder = argv[1];
      write(folder + "/background.png", Artwork::makeBackground());
      write(folder + "/sheet.png", Artwork::makeSheet());
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) {
      const Artwork::Canvas editor =
          Artwork::makePreview(Artwork::makeBackground(), Artwork::makeSheet());
      write(argv[2], editor.scaledUp(2));
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
