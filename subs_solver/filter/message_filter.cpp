// USR_MSGFILTER: tells the host whether one of its diagnostic messages is shown (-1) or
// suppressed (0). All working storage lives on the caller's stack, so calls may overlap.
#include <cstdint>
#include <string_view>

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

const Rule* select_rule(const FixedText<kIdLength>& id) {
  for (const Rule& rule : kRules) {
    if (id.starts_with(rule.id)) return &rule;
  }
  return nullptr;
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

bool shows(const FixedText<kIdLength>& id, const FixedText<kSubIdLength>& sub_id) {
  const Rule* rule = select_rule(id);
  if (rule == nullptr) return true;
  // Read on every call that selects a switched rule, whatever the sub-id turns out to be.
  const bool switch_on = rule->kind != SwitchKind::kNone && read_switch(*rule);
  for (std::size_t i = 0; i < rule->sub_count; ++i) {
    const SubRule& sub = rule->subs[i];
    if (sub_id.starts_with(sub.keyword)) return sub.answer == Answer::kSwitch && switch_on;
  }
  return true;
}

}  // namespace
}  // namespace gyrix::filter

extern "C" int32_t GYRIX_CALL USR_MSGFILTER(const char* msgid, int32_t msgid_len, const char* subid,
                                            int32_t subid_len) {
  using namespace gyrix::filter;
  const auto id = copy_argument<kIdLength>(msgid, msgid_len);
  const auto sub_id = copy_argument<kSubIdLength>(subid, subid_len);
  return shows(id, sub_id) ? kShow : kSuppress;
}
