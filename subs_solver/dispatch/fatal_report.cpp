#include "dispatch/fatal_report.h"

#include <charconv>
#include <limits>

#include "fixed_text.h"
#include "host/messages.h"

namespace gyrix {
namespace {

using DispatchMessage = FixedText<80>;

constexpr std::size_t kNumberWidth = 4;
constexpr std::string_view kNoSubroutine = "No user subroutine supplied";

// `number` in decimal, right-aligned in a field of four, or four asterisks.
void put_number_field(DispatchMessage& message, std::size_t offset, int32_t number) {
  // Room for every 32-bit number, sign included: the conversion cannot fail.
  char digits[std::numeric_limits<int32_t>::digits10 + 2];
  const char* const end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  if (length > kNumberWidth) {
    message.put(offset, "****");
    return;
  }
  message.put(offset + kNumberWidth - length, std::string_view(digits, length));
}

}  // namespace

void report_invalid_routine(std::string_view text, int32_t number) {
  DispatchMessage message;
  message.put(0, text);
  put_number_field(message, kInvalidTextLength, number);
  report_fatal(message);
}

void report_unsupplied(std::string_view text) {
  DispatchMessage message;
  message.put(0, text);
  message.put(kUnsuppliedTextLength, kNoSubroutine);
  report_fatal(message);
}

}  // namespace gyrix
