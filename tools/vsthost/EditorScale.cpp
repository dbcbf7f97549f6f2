#include "EditorScale.h"

namespace editorscale {

std::string sizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace editorscale
