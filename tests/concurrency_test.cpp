// No entry point keeps state or takes a lock: routing, reporting and filtering from
// several threads at once each get their own answer. The tsan preset runs this under
// ThreadSanitizer.
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

constexpr ThreadCase kCases[] = {
    {"CONSUB", 900.0, "CON900", ""},
    {"DIFSUB", 1117.5, "DIF1117", ""},
    {"FIESUB", 910.0, "FIE910", ""},
    {"REQSUB", 904.0, "REQ904", ""},
    {"VARSUB", 913.0, "VAR913", ""},
    {"SFOSUB", 902.0, "ERRMES", "Error in dispatcher subroutine sfoSUB: Invalid PAR(1):  902"},
    {"CONSUB", -1.0, "ERRMES", "Error in dispatcher subroutine conSUB: Invalid PAR(1):   -1"},
    {"TIRSUB", 0.0, "ERRMES", "Error in dispatcher subroutine tirSUB: No user subroutine supplied"},
};
// Calls that the journal records (each routing thread's, each lookup's) must fit it
// whole. A filter thread that looks nothing up asks many more times, and goes on asking
// until every other thread has made its calls: it runs through all of them, on however
// few cores, and its calls overlap the others' at every step of the filter.
constexpr int kCallsPerThread = 400;
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

constexpr std::size_t recording_threads() {
  std::size_t count = std::size(kCases);
  for (const FilterCase& c : kFilterCases) count += c.looks_up ? 1 : 0;
  return count;
}
static_assert(recording_threads() * kCallsPerThread <= kJournalCapacity);

class Concurrency : public test::LibraryTest {
 protected:
  void SetUp() override {
    test::LibraryTest::SetUp();
    test::set_variable("QAV_VELTA_MSG_UVCHEK", "NO");
  }
  void TearDown() override { test::set_variable("QAV_VELTA_MSG_UVCHEK", nullptr); }
};

TEST_F(Concurrency, OverlappingCallsEachGetTheirOwnAnswer) {
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
    threads.emplace_back([&arguments, &wait_for_start, &unfinished, t] {
      const harness::EntryPoint& entry = *harness::find_user_subroutine(kCases[t].entry);
      wait_for_start();
      for (int i = 0; i < kCallsPerThread; ++i) {
        harness::call_user_subroutine(test::library(), entry, arguments[t]);
      }
      --unfinished;
    });
  }
  std::atomic<int> wrong_answers{0};
  int lookups = 0;
  for (const FilterCase& c : kFilterCases) {
    const int calls = c.looks_up ? kCallsPerThread : kUnrecordedCalls;
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
  ASSERT_EQ(journal_size(), static_cast<int>(std::size(kCases)) * kCallsPerThread + lookups);
  std::vector<int> answered(std::size(kCases), 0);
  for (int i = 0; i < journal_size(); ++i) {
    for (std::size_t t = 0; t < std::size(kCases); ++t) {
      answered[t] += answers(kCases[t], arguments[t], *journal_entry(i));
    }
  }
  for (std::size_t t = 0; t < std::size(kCases); ++t) {
    EXPECT_EQ(answered[t], kCallsPerThread) << kCases[t].entry << " " << kCases[t].par1;
  }
}

}  // namespace
