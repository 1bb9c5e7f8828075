#pragma once
// Text made safe for the HTML page and its drawings.

#include <string>
#include <string_view>

namespace korvelin {

// Text made safe for HTML content and attribute values.
std::string htmlEscape(std::string_view text);

}  // namespace korvelin
