// USR_MSGFILTER: tells the host whether one of its diagnostic messages is shown (-1) or
// suppressed (0). All working storage lives on the caller's stack, so calls may overlap.
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "filter/rules.h"
#include "fixed_text.h"
#include "host/host_services.h"

namespace gyrix::filter {
namespace {

constexpr int32_t kShow = -1;
constexpr int32_t kSuppress = 0;

// The host's text assignment of an argument. A null address or a negative length reads
// as an empty text; nothing past `length` characters is read.
template <std::size_t N>
FixedText<N> copy_argument(const char* chars, int32_t length) {
  FixedText<N> copy;
  if (chars != nullptr) copy.assign(chars, length);
  return copy;
}

// The id copy as one integer, its characters in memory order from the lowest byte up,
// and each id keyword as the bits that it compares and their value: a keyword matches
// when the copy's masked bits equal it. Most messages have no rule, and these answer
// after a few integer comparisons.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
static_assert(kIdLength <= sizeof(uint64_t));

struct IdKey {
  uint64_t mask, value;
};

constexpr IdKey id_key(std::string_view keyword) {
  IdKey key{0, 0};
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    key.mask |= uint64_t{0xff} << (8 * i);
    key.value |= uint64_t{static_cast<unsigned char>(keyword[i])} << (8 * i);
  }
  return key;
}

template <std::size_t... Index>
constexpr std::array<IdKey, sizeof...(Index)> id_keys(std::index_sequence<Index...>) {
  return {id_key(kRules[Index].id)...};
}
inline constexpr auto kIdKeys = id_keys(std::make_index_sequence<kRules.size()>{});

// A MSGID shorter than six characters, or none, assigned to the blank-padded id copy.
// Out of line, with the copy on its own stack frame: the common case, an id of six
// characters or more, then needs no buffer, and so no stack-protector check either.
[[gnu::noinline]] uint64_t short_id_word(const char* chars, int32_t length) {
  const auto copy = copy_argument<kIdLength>(chars, length);
  uint64_t word = 0;
  std::memcpy(&word, copy.data(), kIdLength);
  return word;
}

// MSGID assigned to the six-character id copy, as one integer.
uint64_t id_word(const char* chars, int32_t length) {
  if (chars == nullptr || length < static_cast<int32_t>(kIdLength)) {
    return short_id_word(chars, length);
  }
  uint64_t word = 0;
  std::memcpy(&word, chars, kIdLength);  // the first six characters, no more
  return word;
}

// Looks the rule's variable up afresh and works out its switch from the leading
// characters of the value; only exact "NO"/"no" or "YES"/"yes" count.
bool read_switch(const Rule& rule) {
  FixedText<kValueLength> value;  // fifty blanks, what an unset variable leaves
  QAV_GETENV(rule.variable.data(), static_cast<int32_t>(rule.variable.size()), value.data(),
             value.kLength);
  if (rule.kind == SwitchKind::kOnByYes) {
    return value.starts_with("YES") || value.starts_with("yes");
  }
  return !(value.starts_with("NO") || value.starts_with("no"));
}

// Whether the sub-id copy begins with the keyword of sub-rule `Sub` of rule `R`. The copy
// is blank-padded and no keyword holds a blank, so a sub-id shorter than the keyword
// never matches, and a longer one is compared over the keyword's length in place:
// nothing is copied, and nothing past `length` is read.
template <std::size_t R, std::size_t Sub>
bool sub_id_begins(const char* subid, int32_t length) {
  constexpr std::string_view keyword = kRules[R].subs[Sub].keyword;
  static_assert(keyword.size() <= kSubIdLength);
  return subid != nullptr && length >= static_cast<int32_t>(keyword.size()) &&
         std::memcmp(subid, keyword.data(), keyword.size()) == 0;
}

// Whether sub-rule `Sub` of rule `R` shows its message: only a switched one can.
template <std::size_t R, std::size_t Sub>
bool sub_rule_shows(bool switch_on) {
  if constexpr (kRules[R].subs[Sub].answer == Answer::kSwitch) {
    return switch_on;
  } else {
    return false;
  }
}

// The answer of rule `R`: its first sub-rule whose keyword the sub-id begins with
// decides, and a sub-id that none matches is shown. Out of line: an id without a rule,
// the common case, answers without ever coming here.
template <std::size_t R, std::size_t... Sub>
[[gnu::noinline]] int32_t answer(const char* subid, int32_t length, std::index_sequence<Sub...>) {
  // Read on every call that selects a switched rule, whatever the sub-id turns out to be.
  bool switch_on = false;
  if constexpr (kRules[R].kind != SwitchKind::kNone) switch_on = read_switch(kRules[R]);
  bool shown = true;
  (void)((sub_id_begins<R, Sub>(subid, length) &&
          (shown = sub_rule_shows<R, Sub>(switch_on), true)) ||
         ...);
  return shown ? kShow : kSuppress;
}

// The answer of the first rule whose id keyword matches, in table order; an id that
// none matches is shown.
template <std::size_t... R>
int32_t answer_for(uint64_t id, const char* subid, int32_t length, std::index_sequence<R...>) {
  int32_t result = kShow;
  (void)(((id & kIdKeys[R].mask) == kIdKeys[R].value &&
          (result = answer<R>(subid, length, std::make_index_sequence<kRules[R].sub_count>{}),
           true)) ||
         ...);
  return result;
}

}  // namespace
}  // namespace gyrix::filter

extern "C" int32_t GYRIX_CALL USR_MSGFILTER(const char* msgid, int32_t msgid_len, const char* subid,
                                            int32_t subid_len) {
  using namespace gyrix::filter;
  return answer_for(id_word(msgid, msgid_len), subid, subid_len,
                    std::make_index_sequence<kRules.size()>{});
}
