// The lines of an X resource database's text ("Xft.dpi:\t144"), as name and value.
#pragma once

#include <functional>
#include <string>

namespace Platform {

// Calls `each` with every "name: value" line's two parts, blanks around them trimmed, in order.
// Null text has no lines.
void forEachXResource(
    const char* resources,
    const std::function<void(const std::string& name, const std::string& value)>& each);

}  // namespace Platform
