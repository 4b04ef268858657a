// Routing: each dispatcher forwards the host's very words to the element routine that
// the truncated PAR(1) selects in its own table, and to no other. The routes and word
// counts expected are the harness's table, written from the contract table (the routes'
// transcript checks that table).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "test_support.h"

namespace {

struct RoutedCase {
  const char* entry;
  double par1;
  const char* routine;
};

void PrintTo(const RoutedCase& c, std::ostream* out) { *out << c.entry << "(" << c.par1 << ")"; }

RoutedCase case_of(const harness::Route& route) {
  return {route.dispatcher, static_cast<double>(route.number), route.routine};
}

// Every route's number, moved by `fraction` away from zero: a number with a fraction is
// no route's exact number, and takes the dispatcher's general path.
std::vector<RoutedCase> every_route(double fraction = 0.0) {
  std::vector<RoutedCase> cases;
  for (const harness::Route& route : harness::kRoutes) {
    RoutedCase c = case_of(route);
    c.par1 += c.par1 < 0 ? -fraction : fraction;
    cases.push_back(c);
  }
  return cases;
}

class Routing : public test::LibraryTest, public ::testing::WithParamInterface<RoutedCase> {};

TEST_P(Routing, ForwardsTheHostsWordsToTheSelectedRoutine) {
  const RoutedCase& c = GetParam();
  const harness::EntryPoint& entry = *harness::find_user_subroutine(c.entry);
  const harness::HostArguments arguments(entry, c.par1);
  const auto entries = test::call(c.entry, arguments);
  ASSERT_EQ(entries.size(), 1u) << "exactly one element routine, no report";
  EXPECT_STREQ(entries[0].routine, c.routine);
  ASSERT_EQ(entries[0].word_count, entry.words);
  for (int i = 0; i < entry.words; ++i) EXPECT_EQ(entries[0].words[i], arguments.words[i]) << i;
  EXPECT_EQ(entries[0].par, c.par1) << "PAR(1) reaches the routine unchanged";
}

INSTANTIATE_TEST_SUITE_P(EveryRoute, Routing, ::testing::ValuesIn(every_route()));
INSTANTIATE_TEST_SUITE_P(EveryRouteWithAFraction, Routing, ::testing::ValuesIn(every_route(0.5)));
// Truncation toward zero: a fraction is dropped, never rounded up, however near the next
// whole number or the route's own.
INSTANTIATE_TEST_SUITE_P(EveryRouteJustBelowTheNext, Routing,
                         ::testing::ValuesIn(every_route(0.9999999)));
INSTANTIATE_TEST_SUITE_P(EveryRouteJustAbove, Routing, ::testing::ValuesIn(every_route(1e-7)));

// Words other than PAR's are passed on but never read through: addresses that point
// nowhere still route (or are reported), and reach the routine as they were.
using RoutingWords = test::LibraryTest;

TEST_F(RoutingWords, ThatAreNoAddressesAreNeverReadThrough) {
  for (const harness::EntryPoint& dispatcher : harness::kUserSubroutines) {
    if (!dispatcher.par_word) continue;
    const RoutedCase c = case_of(harness::kRoutes[dispatcher.first_route]);
    const harness::EntryPoint& entry = *harness::find_user_subroutine(c.entry);
    harness::HostArguments arguments(entry);
    for (int i = 0; i < entry.words; ++i) {
      arguments.words[i] = reinterpret_cast<gyrix::Word>(static_cast<uintptr_t>(8 * i + 8));
    }
    for (const double par1 : {c.par1, 1.0}) {
      double par[1] = {par1};
      arguments.words[*entry.par_word - 1] = par;
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
