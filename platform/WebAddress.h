#pragma once

namespace Platform {

// Opens the address in the user's web browser.
void openWebAddress(const char* address);

}  // namespace Platform
