// Routing: each dispatcher forwards the host's very words to the element routine that
// the truncated PAR(1) selects in its own table, and to no other.
#include <algorithm>
#include <cstdint>

#include "test_support.h"

namespace {

struct RoutedCase {
  const char* entry;
  double par1;
  const char* routine;
};

void PrintTo(const RoutedCase& c, std::ostream* out) { *out << c.entry << "(" << c.par1 << ")"; }

class Routing : public test::LibraryTest, public ::testing::WithParamInterface<RoutedCase> {};

TEST_P(Routing, ForwardsTheHostsWordsToTheSelectedRoutine) {
  const RoutedCase& c = GetParam();
  const host::EntryPoint& entry = *host::find_user_subroutine(c.entry);
  const host::HostArguments arguments(entry, c.par1);
  const auto entries = test::call(c.entry, arguments);
  ASSERT_EQ(entries.size(), 1u) << "exactly one element routine, no report";
  EXPECT_STREQ(entries[0].routine, c.routine);
  ASSERT_EQ(entries[0].word_count, entry.words);
  for (int i = 0; i < entry.words; ++i) EXPECT_EQ(entries[0].words[i], arguments.words[i]) << i;
  EXPECT_EQ(entries[0].par, c.par1) << "PAR(1) reaches the routine unchanged";
}

INSTANTIATE_TEST_SUITE_P(
    EveryRoute, Routing,
    ::testing::Values(RoutedCase{"CONSUB", 900, "CON900"}, RoutedCase{"CONSUB", 905, "CON905"},
                      RoutedCase{"CONSUB", 917, "CON917"}, RoutedCase{"CONSUB", 920, "CON920"},
                      RoutedCase{"DIFSUB", 901, "DIF901"}, RoutedCase{"DIFSUB", 1117, "DIF1117"},
                      RoutedCase{"FIESUB", 900, "FIE900"}, RoutedCase{"FIESUB", 901, "FIE901"},
                      RoutedCase{"FIESUB", 910, "FIE910"}, RoutedCase{"REQSUB", 904, "REQ904"},
                      RoutedCase{"REQSUB", 905, "REQ905"}, RoutedCase{"REQSUB", 909, "REQ909"},
                      RoutedCase{"SFOSUB", 901, "SFO901"}, RoutedCase{"VARSUB", 907, "VAR907"},
                      RoutedCase{"VARSUB", 913, "VAR913"}, RoutedCase{"VARSUB", 1117, "VAR1117"}));

// Truncation toward zero: a fraction is dropped, never rounded up.
INSTANTIATE_TEST_SUITE_P(Fractions, Routing,
                         ::testing::Values(RoutedCase{"SFOSUB", 901.7, "SFO901"},
                                           RoutedCase{"CONSUB", 920.5, "CON920"},
                                           RoutedCase{"DIFSUB", 1117.9999999, "DIF1117"},
                                           RoutedCase{"FIESUB", 910.0000001, "FIE910"},
                                           RoutedCase{"REQSUB", 909.999, "REQ909"},
                                           RoutedCase{"VARSUB", 913.25, "VAR913"}));

// Words other than PAR's are passed on but never read through: addresses that point
// nowhere still route (or are reported), and reach the routine as they were.
using RoutingWords = test::LibraryTest;

TEST_F(RoutingWords, ThatAreNoAddressesAreNeverReadThrough) {
  const RoutedCase routed[] = {{"CONSUB", 905, "CON905"}, {"DIFSUB", 901, "DIF901"},
                               {"FIESUB", 901, "FIE901"}, {"REQSUB", 904, "REQ904"},
                               {"SFOSUB", 901, "SFO901"}, {"VARSUB", 907, "VAR907"}};
  for (const RoutedCase& c : routed) {
    const host::EntryPoint& entry = *host::find_user_subroutine(c.entry);
    host::HostArguments arguments(entry);
    for (int i = 0; i < entry.words; ++i) {
      arguments.words[i] = reinterpret_cast<Word>(static_cast<uintptr_t>(8 * i + 8));
    }
    for (const double par1 : {c.par1, 1.0}) {
      double par[1] = {par1};
      arguments.words[entry.par_word] = par;
      const auto entries = test::call(c.entry, arguments);
      ASSERT_EQ(entries.size(), 1u) << c.entry;
      EXPECT_STREQ(entries[0].routine, par1 == c.par1 ? c.routine : "ERRMES");
      if (par1 == c.par1) {
        EXPECT_TRUE(std::equal(arguments.words, arguments.words + entry.words, entries[0].words));
      }
    }
  }
}

}  // namespace
