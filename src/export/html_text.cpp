#include "export/html_text.h"

namespace korvelin {

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // Control characters have no place in an HTML text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') out += "\uFFFD";
        else out += c;
    }
  }
  return out;
}

}  // namespace korvelin
