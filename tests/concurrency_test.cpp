// Dispatchers keep no state and take no lock: calls from several threads at once each
// reach their own routine, with their own words, or their own report. The tsan preset
// runs this under ThreadSanitizer.
#include <deque>
#include <string>
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
constexpr int kCallsPerThread = 200;

bool answers(const ThreadCase& c, const host::HostArguments& arguments, const JournalEntry& seen) {
  if (std::string(seen.routine) != c.routine) return false;
  if (*c.report == '\0') return seen.words[0] == arguments.words[0];
  std::string expected = c.report;
  expected.resize(80, ' ');
  return test::text(seen.text[0]) == expected;
}

using Concurrency = test::LibraryTest;

TEST_F(Concurrency, OverlappingCallsEachGetTheirOwnAnswer) {
  std::deque<host::HostArguments> arguments;  // stays where it is built
  for (const ThreadCase& c : kCases) {
    arguments.emplace_back(*host::find_user_subroutine(c.entry), c.par1);
  }
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < std::size(kCases); ++t) {
    threads.emplace_back([&arguments, t] {
      const host::EntryPoint& entry = *host::find_user_subroutine(kCases[t].entry);
      for (int i = 0; i < kCallsPerThread; ++i) {
        host::call_user_subroutine(test::library(), entry, arguments[t]);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  ASSERT_EQ(journal_dropped(), 0);
  ASSERT_EQ(journal_size(), static_cast<int>(std::size(kCases)) * kCallsPerThread);
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
