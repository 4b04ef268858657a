// A fixed-length, blank-padded text of the host's kind: no terminator, every position
// that nothing was written to holds a blank. Lives on the caller's stack.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

template <std::size_t N>
class FixedText {
 public:
  static constexpr int32_t kLength = static_cast<int32_t>(N);

  FixedText() { chars_.fill(' '); }

  // The host's assignment of a text of another length: cut after N characters, padded
  // with blanks when shorter. A negative length counts as an empty text.
  void assign(const char* chars, int32_t length) {
    chars_.fill(' ');
    put(0,
        std::string_view(chars, static_cast<std::size_t>(std::clamp(length, int32_t{0}, kLength))));
  }

  // Writes `text` from position `offset` on (0 is the first column), cut at the end.
  void put(std::size_t offset, std::string_view text) {
    // Every caller's offset is a constant inside the text: the check keeps a wrong one
    // from writing past the end, and no input reaches it.
    if (offset >= N) return;  // GCOVR_EXCL_BR_LINE
    const std::size_t count = std::min(text.size(), N - offset);
    std::copy_n(text.data(), count, chars_.data() + offset);
  }

  // Whether the text begins with `keyword`, a literal no longer than the text.
  template <std::size_t Size>
  bool starts_with(const char (&keyword)[Size]) const {
    constexpr std::size_t kKeywordLength = Size - 1;  // without the literal's terminator
    static_assert(kKeywordLength <= N);
    return std::string_view(chars_.data(), kKeywordLength) ==
           std::string_view(keyword, kKeywordLength);
  }

  const char* data() const { return chars_.data(); }
  char* data() { return chars_.data(); }

 private:
  std::array<char, N> chars_;
};
