// Checks a folder's background.png and sheet.png for what the editor relies on.
#pragma once

#include <string>
#include <vector>

namespace Artwork {

// One message per problem found; empty when both files are fine.
std::vector<std::string> checkArtwork(const std::string& folder);

}  // namespace Artwork
