// No entry point keeps state or takes a lock: routing, reporting and filtering from
// several threads at once each get their own answer. The tsan preset runs this under
// ThreadSanitizer.
#include <algorithm>
#include <atomic>
#include <deque>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

struct ThreadCase {
  const char* entry;
  double par1;
  const char* routine;  // the element routine, or ERRMES
  const char* report;   // for ERRMES: the message's text before its trailing blanks
};

// Each dispatcher's last route, every other one with a fraction (the general path), and
// the reports.
const std::vector<ThreadCase> kCases = [] {
  std::vector<ThreadCase> cases;
  for (const harness::EntryPoint& entry : harness::kUserSubroutines) {
    if (!entry.par_word) continue;
    const harness::Route& route = harness::kRoutes[entry.first_route + entry.route_count - 1];
    cases.push_back(
        {route.dispatcher, route.number + (cases.size() % 2 ? 0.5 : 0.0), route.routine, ""});
  }
  cases.push_back(
      {"SFOSUB", 902.0, "ERRMES", "Error in dispatcher subroutine sfoSUB: Invalid PAR(1):  902"});
  cases.push_back(
      {"CONSUB", -1.0, "ERRMES", "Error in dispatcher subroutine conSUB: Invalid PAR(1):   -1"});
  cases.push_back({"TIRSUB", 0.0, "ERRMES",
                   "Error in dispatcher subroutine tirSUB: No user subroutine supplied"});
  return cases;
}();
// Calls that the journal records (each routing thread's, each lookup's) must fit it
// whole. A filter thread that looks nothing up asks many more times, and goes on asking
// until every other thread has made its calls: it runs through all of them, on however
// few cores, and its calls overlap the others' at every step of the filter.
constexpr int kMostCallsPerThread = 400;
constexpr int kUnrecordedCalls = 4000000;

bool answers(const ThreadCase& c, const harness::HostArguments& arguments,
             const JournalEntry& seen) {
  if (std::string(seen.routine) != c.routine) return false;
  if (*c.report == '\0') return seen.words[0] == arguments.words[0];
  std::string expected = c.report;
  expected.resize(80, ' ');
  return test::text(seen.text[0]) == expected;
}

struct FilterCase {
  const char* msgid;
  const char* subid;
  int32_t answer;
  bool looks_up;  // a switched rule: one environment lookup per call
};

// QAV_VELTA_MSG_UVCHEK is set to "NO" for the whole test.
constexpr FilterCase kFilterCases[] = {
    {"MOTFCH", "MOTDEP", 0, false},
    {"NOSUCH", "MOTDEP", -1, false},
    {"UVCHEK", "BIG_DIFF", 0, true},
    {"UVCHEK", "OTHER", -1, true},
};

// As many calls per recording thread as the journal holds for them all, at most
// kMostCallsPerThread.
int calls_per_thread() {
  std::size_t threads = std::size(kCases);
  for (const FilterCase& c : kFilterCases) threads += c.looks_up ? 1 : 0;
  return std::min(kMostCallsPerThread, static_cast<int>(kJournalCapacity / threads));
}

class Concurrency : public test::LibraryTest {
 protected:
  void SetUp() override {
    test::LibraryTest::SetUp();
    test::set_variable("QAV_VELTA_MSG_UVCHEK", "NO");
  }
  void TearDown() override { test::set_variable("QAV_VELTA_MSG_UVCHEK", nullptr); }
};

TEST_F(Concurrency, OverlappingCallsEachGetTheirOwnAnswer) {
  const int calls_per_routing_thread = calls_per_thread();
  std::deque<harness::HostArguments> arguments;  // stays where it is built
  for (const ThreadCase& c : kCases) {
    arguments.emplace_back(*harness::find_user_subroutine(c.entry), c.par1);
  }
  const harness::MessageFilter filter = test::message_filter();
  ASSERT_NE(filter, nullptr);
  // Every thread waits at the start until all exist, so that their calls overlap.
  std::atomic<bool> go{false};
  const auto wait_for_start = [&go] {
    while (!go.load()) std::this_thread::yield();
  };
  std::atomic<std::size_t> unfinished{std::size(kCases) + std::size(kFilterCases)};
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < std::size(kCases); ++t) {
    threads.emplace_back([&arguments, &wait_for_start, &unfinished, t, calls_per_routing_thread] {
      const harness::EntryPoint& entry = *harness::find_user_subroutine(kCases[t].entry);
      wait_for_start();
      for (int i = 0; i < calls_per_routing_thread; ++i) {
        harness::call_user_subroutine(test::library(), entry, arguments[t]);
      }
      --unfinished;
    });
  }
  std::atomic<int> wrong_answers{0};
  int lookups = 0;
  for (const FilterCase& c : kFilterCases) {
    const int calls = c.looks_up ? calls_per_routing_thread : kUnrecordedCalls;
    lookups += c.looks_up ? calls : 0;
    threads.emplace_back([&wrong_answers, &wait_for_start, &unfinished, filter, c, calls] {
      const std::string_view msgid = c.msgid, subid = c.subid;
      wait_for_start();
      for (int i = 0; i < calls || (!c.looks_up && unfinished > 0); ++i) {
        const int32_t answer = filter(msgid.data(), static_cast<int32_t>(msgid.size()),
                                      subid.data(), static_cast<int32_t>(subid.size()));
        wrong_answers += answer != c.answer;
        if (i + 1 == calls) --unfinished;
      }
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(wrong_answers, 0);
  ASSERT_EQ(journal_dropped(), 0);
  ASSERT_EQ(journal_size(),
            static_cast<int>(std::size(kCases)) * calls_per_routing_thread + lookups);
  std::vector<int> answered(std::size(kCases), 0);
  for (int i = 0; i < journal_size(); ++i) {
    for (std::size_t t = 0; t < std::size(kCases); ++t) {
      answered[t] += answers(kCases[t], arguments[t], *journal_entry(i));
    }
  }
  for (std::size_t t = 0; t < std::size(kCases); ++t) {
    EXPECT_EQ(answered[t], calls_per_routing_thread) << kCases[t].entry << " " << kCases[t].par1;
  }
}

}  // namespace
