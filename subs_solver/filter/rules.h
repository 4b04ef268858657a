// The message filter's rule table: for nine of the host's message ids, the sub-ids that
// are suppressed outright and those left to a switch that the user sets through an
// environment variable. The matcher reads it in order; the first id keyword that
// matches selects the rule, then the first sub-id keyword that matches gives the answer.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace gyrix::filter {

// How a rule's environment variable is read.
enum class SwitchKind {
  kNone,     // no switch: nothing is looked up
  kOffByNo,  // false when the value begins "NO" or "no"; true otherwise, also when unset
  kOnByYes,  // true when the value begins "YES" or "yes"; false otherwise, also when unset
};

// What a matching sub-id keyword answers.
enum class Answer { kSuppress, kSwitch };

struct SubRule {
  std::string_view keyword;
  Answer answer;
};

inline constexpr std::size_t kMaxSubRules = 3;

struct Rule {
  std::string_view id;
  SwitchKind kind;
  std::string_view variable;  // looked up with exactly this length
  std::size_t sub_count;      // the first sub_count entries of `subs` are tried, in order
  std::array<SubRule, kMaxSubRules> subs;
};

// The lengths of the working copies that the keywords are compared with.
inline constexpr std::size_t kIdLength = 6;
inline constexpr std::size_t kSubIdLength = 12;
inline constexpr std::size_t kValueLength = 50;

using K = SwitchKind;
using A = Answer;

inline constexpr std::array<Rule, 9> kRules{{
    {"MOTFCH", K::kNone, {}, 1, {{{"MOTDEP", A::kSuppress}}}},
    {"INFO", K::kNone, {}, 2, {{{"OUTDATED", A::kSuppress}, {"FNCFLG.T.", A::kSuppress}}}},
    {"ALFR5", K::kNone, {}, 2, {{{"FRCIJ_ALL", A::kSuppress}, {"FRCI_AO", A::kSuppress}}}},
    {"RPNFRC",
     K::kOffByNo,
     "QAV_VELTA_MSG_RPNFRC",
     2,
     {{{"ZERO_AOFS", A::kSuppress}, {"NO_FORCE", A::kSwitch}}}},
    {"SDFDIR", K::kNone, {}, 1, {{{"NO_DISP", A::kSuppress}}}},
    {"VALGET",
     K::kOffByNo,
     "ZUN_TOLK_XTRAP_WARN",
     3,
     {{{"OUT_1_XRA", A::kSwitch}, {"XRA_2_OUT", A::kSwitch}, {"LIMIT", A::kSwitch}}}},
    {"DFFDEP", K::kOnByYes, "ZUN_TOLK_DFFDEP_WARN", 1, {{{"OLD.NE.NU", A::kSwitch}}}},
    {"VRMOTN", K::kOffByNo, "QAV_VELTA_MSG_VRMOTN", 1, {{{"MKRMOTTRA", A::kSwitch}}}},
    {"UVCHEK", K::kOffByNo, "QAV_VELTA_MSG_UVCHEK", 1, {{{"BIG_DIFF", A::kSwitch}}}},
}};

// A keyword must fit its copy and hold no blank (a padded copy would match it
// otherwise); a switched rule names its variable and an unswitched one none.
constexpr bool is_keyword(std::string_view keyword, std::size_t room) {
  return !keyword.empty() && keyword.size() <= room && keyword.find(' ') == keyword.npos;
}

constexpr bool is_well_formed(const Rule& rule) {
  if (!is_keyword(rule.id, kIdLength)) return false;
  if ((rule.kind == K::kNone) != rule.variable.empty()) return false;
  if (rule.sub_count == 0 || rule.sub_count > kMaxSubRules) return false;
  for (std::size_t i = 0; i < kMaxSubRules; ++i) {
    const SubRule& sub = rule.subs[i];
    if (i < rule.sub_count ? !is_keyword(sub.keyword, kSubIdLength) : !sub.keyword.empty()) {
      return false;
    }
    if (sub.answer == A::kSwitch && rule.kind == K::kNone) return false;
  }
  return true;
}

constexpr bool all_well_formed() {
  for (const Rule& rule : kRules) {
    if (!is_well_formed(rule)) return false;
  }
  return true;
}

static_assert(all_well_formed(), "a rule's keywords, switch or sub-id count do not agree");

}  // namespace gyrix::filter
