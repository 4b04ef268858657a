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

// MSGID assigned to the six-character id copy, as one integer.
uint64_t id_word(const char* chars, int32_t length) {
  uint64_t word = 0;
  if (chars != nullptr && length >= static_cast<int32_t>(kIdLength)) {
    std::memcpy(&word, chars, kIdLength);  // the first six characters, no more
  } else {
    const auto copy = copy_argument<kIdLength>(chars, length);
    std::memcpy(&word, copy.data(), kIdLength);
  }
  return word;
}

// The first rule whose id keyword matches, in table order, or a null pointer.
template <std::size_t... Index>
const Rule* select_rule(uint64_t id, std::index_sequence<Index...>) {
  const Rule* selected = nullptr;
  (void)(((id & kIdKeys[Index].mask) == kIdKeys[Index].value && (selected = &kRules[Index])) ||
         ...);
  return selected;
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

bool shows(const Rule& selected, const FixedText<kSubIdLength>& sub_id) {
  const Rule* rule = &selected;
  // Read on every call that selects a switched rule, whatever the sub-id turns out to be.
  const bool switch_on = rule->kind != SwitchKind::kNone && read_switch(*rule);
  for (std::size_t i = 0; i < rule->sub_count; ++i) {
    const SubRule& sub = rule->subs[i];
    if (sub_id.starts_with(sub.keyword)) return sub.answer == Answer::kSwitch && switch_on;
  }
  return true;
}

// The answer of the selected rule. Out of line: an id without a rule, the common case,
// answers without ever coming here.
[[gnu::noinline]] int32_t answer(const Rule& rule, const char* subid, int32_t subid_len) {
  const auto sub_id = copy_argument<kSubIdLength>(subid, subid_len);
  return shows(rule, sub_id) ? kShow : kSuppress;
}

}  // namespace
}  // namespace gyrix::filter

extern "C" int32_t GYRIX_CALL USR_MSGFILTER(const char* msgid, int32_t msgid_len, const char* subid,
                                            int32_t subid_len) {
  using namespace gyrix::filter;
  const Rule* rule =
      select_rule(id_word(msgid, msgid_len), std::make_index_sequence<kRules.size()>{});
  return rule == nullptr ? kShow : answer(*rule, subid, subid_len);
}
