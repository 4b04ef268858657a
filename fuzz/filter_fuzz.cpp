// Any bytes and any lengths, negative ones too, for MSGID and SUBID, and any value for the
// variables the switched rules read. The answer must be -1 or 0, at most one lookup may be
// made, and nothing outside the given lengths may be read: each text sits in a heap block
// of exactly its length, so AddressSanitizer sees a read past it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "filter_query.h"
#include "journal.h"

namespace {

constexpr const char* kVariables[] = {"QAV_VELTA_MSG_RPNFRC", "QAV_VELTA_MSG_VRMOTN",
                                      "QAV_VELTA_MSG_UVCHEK", "ZUN_TOLK_XTRAP_WARN",
                                      "ZUN_TOLK_DFFDEP_WARN"};
constexpr size_t kNameRoom = 32;
constexpr size_t kValueRoom = 255;  // the most that one length byte gives

// Each variable's "NAME=value" entry: handed to putenv once, then its value rewritten in
// place on every run. setenv would keep every value it was ever given, and a long
// campaign would run out of memory.
char switch_entries[std::size(kVariables)][kNameRoom + 1 + kValueRoom + 1];

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "filter fuzz: %s\n", what);
  std::abort();
}

// Gives every switch variable `value` (at most kValueRoom characters, no NUL).
void set_switches(const std::string& value) {
  static const bool installed = [] {
    for (size_t i = 0; i < std::size(kVariables); ++i) {
      require(std::strlen(kVariables[i]) <= kNameRoom, "a variable name too long");
      std::snprintf(switch_entries[i], sizeof switch_entries[i], "%s=", kVariables[i]);
      require(putenv(switch_entries[i]) == 0, "putenv refused");
    }
    return true;
  }();
  (void)installed;
  for (char* entry : switch_entries) {
    char* value_start = std::strchr(entry, '=') + 1;
    std::memcpy(value_start, value.c_str(), value.size() + 1);
  }
}

harness::MessageFilter message_filter() {
  static const harness::Library library;
  require(library.loaded(), "the library does not load");
  static const harness::MessageFilter filter = harness::resolve_message_filter(library);
  require(filter != nullptr, "no USR_MSGFILTER");
  return filter;
}

// Takes `count` bytes off the front of the input, or what is left of it.
std::string take(const uint8_t*& data, size_t& size, size_t count) {
  count = std::min(count, size);
  std::string taken(reinterpret_cast<const char*>(data), count);
  data += count;
  size -= count;
  return taken;
}

// A length from one byte: mostly the text's own, sometimes shorter, or negative.
int32_t length_from(uint8_t selector, size_t own) {
  if (selector >= 0xf0) return -static_cast<int32_t>(selector - 0xef) * 1000003;
  return static_cast<int32_t>(std::min<size_t>(own, selector));
}

}  // namespace

// Layout: three length bytes (MSGID, SUBID, the variables' value), then the three texts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return -1;
  const uint8_t msgid_selector = data[0], subid_selector = data[1], value_length = data[2];
  data += 3;
  size -= 3;
  const std::string msgid = take(data, size, msgid_selector & 0x1f);
  const std::string subid = take(data, size, subid_selector & 0x1f);
  std::string value = take(data, size, value_length);
  value.erase(std::find(value.begin(), value.end(), '\0'), value.end());
  set_switches(value);

  const auto msgid_copy = std::make_unique<char[]>(msgid.size());
  const auto subid_copy = std::make_unique<char[]>(subid.size());
  std::memcpy(msgid_copy.get(), msgid.data(), msgid.size());
  std::memcpy(subid_copy.get(), subid.data(), subid.size());

  standin_set_echo(0);
  journal_clear();
  const int32_t answer =
      message_filter()(msgid_copy.get(), length_from(msgid_selector, msgid.size()),
                       subid_copy.get(), length_from(subid_selector, subid.size()));
  require(answer == -1 || answer == 0, "the answer is no logical");
  require(journal_size() <= 1, "more than one lookup");
  return 0;
}
