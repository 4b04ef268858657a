// The message filter as the host sees it: its nine rules keyword by keyword, its five
// switches under every kind of value, the lookups it makes, and overlapping calls.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

constexpr int32_t kShow = -1;
constexpr int32_t kSuppress = 0;
constexpr int32_t kValueLength = 50;

enum class Kind { kNone, kOffByNo, kOnByYes };

struct SubKeyword {
  std::string keyword;
  bool switched;  // answers the switch; otherwise always suppresses
};

struct ExpectedRule {
  std::string id;
  Kind kind;
  const char* variable;
  std::vector<SubKeyword> subs;
};

// The rules as the host's users know them, written out independently of the library.
const std::vector<ExpectedRule> kRules = {
    {"MOTFCH", Kind::kNone, nullptr, {{"MOTDEP", false}}},
    {"INFO", Kind::kNone, nullptr, {{"OUTDATED", false}, {"FNCFLG.T.", false}}},
    {"ALFR5", Kind::kNone, nullptr, {{"FRCIJ_ALL", false}, {"FRCI_AO", false}}},
    {"RPNFRC", Kind::kOffByNo, "QAV_VELTA_MSG_RPNFRC", {{"ZERO_AOFS", false}, {"NO_FORCE", true}}},
    {"SDFDIR", Kind::kNone, nullptr, {{"NO_DISP", false}}},
    {"VALGET",
     Kind::kOffByNo,
     "ZUN_TOLK_XTRAP_WARN",
     {{"OUT_1_XRA", true}, {"XRA_2_OUT", true}, {"LIMIT", true}}},
    {"DFFDEP", Kind::kOnByYes, "ZUN_TOLK_DFFDEP_WARN", {{"OLD.NE.NU", true}}},
    {"VRMOTN", Kind::kOffByNo, "QAV_VELTA_MSG_VRMOTN", {{"MKRMOTTRA", true}}},
    {"UVCHEK", Kind::kOffByNo, "QAV_VELTA_MSG_UVCHEK", {{"BIG_DIFF", true}}},
};

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A text as the host passes it: the characters and the length it claims, which may be
// shorter than what lies in memory.
struct Argument {
  std::string chars;
  int32_t length;
  bool matches;  // whether it begins with the keyword it was made from
  std::string how;
};

std::vector<Argument> variants(const std::string& keyword) {
  const auto size = static_cast<int32_t>(keyword.size());
  std::vector<Argument> varied = {
      {keyword, size, true, "exact"},
      {keyword + "X", size + 1, true, "extended"},
      {keyword + "ABCDEFGHIJKLMN", size + 14, true, "longer than the copy"},
      {keyword, size - 1, false, "one short by its length"},
      {keyword.substr(0, keyword.size() - 1), size - 1, false, "one short"},
      {lower(keyword), size, false, "in small letters"},
      {"X" + keyword, size + 1, false, "shifted by one"},
  };
  // Every character counts: the keyword with one character changed, each in turn.
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    std::string changed = keyword;
    changed[i] = changed[i] == 'Q' ? 'Z' : 'Q';
    varied.push_back({changed, size, false, "changed at " + std::to_string(i + 1)});
  }
  return varied;
}

class Filter : public test::LibraryTest {
 protected:
  void SetUp() override {
    test::LibraryTest::SetUp();
    ASSERT_NE(test::message_filter(), nullptr) << "USR_MSGFILTER is not exported";
    // Every switch false, so that a matching sub-id keyword always suppresses.
    for (const ExpectedRule& rule : kRules) {
      if (rule.kind == Kind::kOffByNo) test::set_variable(rule.variable, "NO");
      if (rule.kind == Kind::kOnByYes) test::set_variable(rule.variable, nullptr);
    }
  }

  static int32_t ask(const char* msgid, int32_t msgid_len, const char* subid, int32_t subid_len) {
    const int32_t answer = test::message_filter()(msgid, msgid_len, subid, subid_len);
    EXPECT_TRUE(answer == kShow || answer == kSuppress) << "no logical: " << answer;
    return answer;
  }
  static int32_t ask(const std::string& msgid, const std::string& subid) {
    return ask(msgid.data(), static_cast<int32_t>(msgid.size()), subid.data(),
               static_cast<int32_t>(subid.size()));
  }
};

// Each id keyword with the rule's first sub-id, and each sub-id keyword with its id, exact
// and varied; with every switch false, a match suppresses and anything else is shown.
TEST_F(Filter, KeywordsMatchOverTheirOwnLengthExactly) {
  for (const ExpectedRule& rule : kRules) {
    const std::string& first = rule.subs[0].keyword;
    for (const Argument& id : variants(rule.id)) {
      EXPECT_EQ(ask(id.chars.data(), id.length, first.data(), static_cast<int32_t>(first.size())),
                id.matches ? kSuppress : kShow)
          << "id " << id.how << ": |" << id.chars << "|, " << id.length;
    }
    for (const SubKeyword& keyword : rule.subs) {
      for (const Argument& sub : variants(keyword.keyword)) {
        EXPECT_EQ(
            ask(rule.id.data(), static_cast<int32_t>(rule.id.size()), sub.chars.data(), sub.length),
            sub.matches ? kSuppress : kShow)
            << rule.id << ", sub-id " << sub.how << ": |" << sub.chars << "|, " << sub.length;
      }
    }
  }
}

TEST_F(Filter, EmptyAndNegativeLengthsReadAsEmptyTexts) {
  for (const ExpectedRule& rule : kRules) {
    const std::string& id = rule.id;
    const std::string& sub = rule.subs[0].keyword;
    const auto id_len = static_cast<int32_t>(id.size());
    for (const int32_t empty : {0, -1, -6, INT32_MIN}) {
      EXPECT_EQ(ask(id.data(), empty, sub.data(), static_cast<int32_t>(sub.size())), kShow)
          << id << " id length " << empty;
      EXPECT_EQ(ask(id.data(), id_len, sub.data(), empty), kShow) << id << " sub length " << empty;
      EXPECT_EQ(ask(id.data(), id_len, nullptr, empty), kShow) << id << " no sub-id " << empty;
    }
  }
  EXPECT_EQ(ask(nullptr, 0, nullptr, 0), kShow);
  EXPECT_EQ(ask("", ""), kShow);
}

struct Value {
  const char* text;  // a null pointer: the variable is unset
  bool off_by_no;    // the switch of an off-by-NO variable
  bool on_by_yes;    // the switch of the on-by-YES variable
};

const std::string kLongNo = "NO" + std::string(70, 'x');
const std::string kLongYes = "YES" + std::string(70, 'x');

// clang-format off
const Value kValues[] = {
    {nullptr, true, false}, {"", true, false},     {"NO", false, false},  {"no", false, false},
    {"No", true, false},    {"nO", true, false},   {" NO", true, false},  {"NOPE", false, false},
    {"YES", true, true},    {"yes", true, true},   {"Yes", true, false},  {"YESS", true, true},
    {kLongNo.c_str(), false, false}, {kLongYes.c_str(), true, true}};
// clang-format on

// Each switched rule under each value: the answers, and exactly one lookup per call, even
// for a sub-id without a rule, with the variable's exact name and length and a buffer of
// fifty blanks. RPNFRC/ZERO_AOFS reads its variable too but is suppressed whatever it says.
TEST_F(Filter, SwitchesFollowTheirVariablesOnEveryCall) {
  const std::string blanks(kValueLength, ' ');
  for (const ExpectedRule& rule : kRules) {
    if (rule.kind == Kind::kNone) continue;
    for (const Value& value : kValues) {
      test::set_variable(rule.variable, value.text);
      const bool on = rule.kind == Kind::kOffByNo ? value.off_by_no : value.on_by_yes;
      std::vector<std::pair<std::string, int32_t>> asked;
      for (const SubKeyword& sub : rule.subs) {
        asked.emplace_back(sub.keyword, sub.switched && on ? kShow : kSuppress);
      }
      asked.emplace_back("UNLISTED", kShow);
      asked.emplace_back("", kShow);
      for (const auto& [sub, expected] : asked) {
        journal_clear();
        const std::string context =
            rule.id + "/" + sub + " with " + rule.variable + "=" +
            (value.text ? "|" + std::string(value.text) + "|" : std::string("unset"));
        EXPECT_EQ(ask(rule.id, sub), expected) << context;
        ASSERT_EQ(journal_size(), 1) << context;
        const JournalEntry& lookup = *journal_entry(0);
        EXPECT_STREQ(lookup.routine, "QAV_GETENV");
        EXPECT_EQ(test::text(lookup.text[0]), rule.variable) << context;
        EXPECT_EQ(lookup.text[1].length, kValueLength) << context;
        EXPECT_EQ(test::text(lookup.text[1]), blanks) << context;
      }
    }
  }
}

TEST_F(Filter, LooksUpNothingForAnIdWithoutASwitch) {
  std::vector<std::string> unswitched = {"", "NOSUCH", "uvchek", "UVCHE", "DFFDE", "XVALGET"};
  for (const ExpectedRule& rule : kRules) {
    if (rule.kind == Kind::kNone) unswitched.push_back(rule.id);
  }
  for (const std::string& id : unswitched) {
    journal_clear();
    ask(id, "BIG_DIFF");
    ask(id, "");
    EXPECT_EQ(journal_size(), 0) << "|" << id << "|";
  }
}

// Calls from several threads at once, each with its own message and the environment
// fixed beforehand, all get their own answers.
TEST_F(Filter, OverlappingCallsEachGetTheirOwnAnswer) {
  test::set_variable("QAV_VELTA_MSG_UVCHEK", "NO");
  test::set_variable("ZUN_TOLK_DFFDEP_WARN", "yes");
  test::set_variable("QAV_VELTA_MSG_VRMOTN", nullptr);
  test::set_variable("ZUN_TOLK_XTRAP_WARN", "no");
  test::set_variable("QAV_VELTA_MSG_RPNFRC", "YES");
  struct Question {
    std::string_view msgid, subid;
    int32_t expected;
  };
  static constexpr Question kQuestions[] = {
      {"MOTFCH", "MOTDEP", kSuppress},   {"INFO", "OUTDATED", kSuppress},
      {"UVCHEK", "BIG_DIFF", kSuppress}, {"DFFDEP", "OLD.NE.NU", kShow},
      {"VRMOTN", "MKRMOTTRA", kShow},    {"VALGET", "LIMIT", kSuppress},
      {"RPNFRC", "NO_FORCE", kShow},     {"NOSUCH", "MOTDEP", kShow},
      {"ALFR5X", "FRCI_AO", kSuppress},  {"SDFDIR", "OTHER_THINGS", kShow},
  };
  constexpr int kRounds = 20000;
  const harness::MessageFilter filter = test::message_filter();
  standin_set_quiet(1);  // the journal would fill up and only slow the threads down
  std::atomic<bool> go{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (const Question& q : kQuestions) {
    threads.emplace_back([&, q] {
      while (!go.load()) std::this_thread::yield();
      const auto id_len = static_cast<int32_t>(q.msgid.size());
      const auto sub_len = static_cast<int32_t>(q.subid.size());
      for (int i = 0; i < kRounds; ++i) {
        if (filter(q.msgid.data(), id_len, q.subid.data(), sub_len) != q.expected) ++wrong;
      }
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  standin_set_quiet(0);
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
