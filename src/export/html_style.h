#pragma once
// The stylesheet of the HTML page, for the screen and for print.

#include <string_view>

namespace korvelin {

// The page's <style> element, with the line break after it.
std::string_view pageStyle();

}  // namespace korvelin
