#include "manifest/log_text.h"

namespace sl {

std::string ClipUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t end = maxBytes;
  // Step back over continuation bytes (10xxxxxx) to the lead byte, which starts the cut-off part.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

}  // namespace sl
