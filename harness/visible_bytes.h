// How a transcript shows a text it received: every byte, none of them invisible.
#pragma once

#include <string>
#include <string_view>

namespace harness {

// `text` with each byte that is not printable ASCII (below 0x20, 0x7f and up), and the
// backslash itself, written as \xNN (two lower-case hex digits): a NUL shows as \x00
// and the bytes after it still show, a backslash as \x5c.
inline std::string visible_bytes(std::string_view text) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '\\') {
      shown += c;
    } else {
      shown += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xf]};
    }
  }
  return shown;
}

}  // namespace harness
