// Checks a folder's backgrounds and sheets, at every density, for what the editor relies on.
#pragma once

#include <string>
#include <vector>

namespace Artwork {

// One message per problem found; empty when all the files are fine.
std::vector<std::string> checkArtwork(const std::string& folder);

}  // namespace Artwork
