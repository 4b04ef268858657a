// Routing: each dispatcher forwards the host's very words to the element routine that
// the truncated PAR(1) selects in its own table, and to no other. The routes and word
// counts expected are the tests' own statement of the contract (contract.txt).
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

#include "contract_statement.h"
#include "test_support.h"

namespace {

struct RoutedCase {
  const char* entry;
  double par1;
  const char* routine;
};

void PrintTo(const RoutedCase& c, std::ostream* out) { *out << c.entry << "(" << c.par1 << ")"; }

const contract::Dispatcher& stated_dispatcher(std::string_view name) {
  for (const contract::Dispatcher& dispatcher : contract::kDispatchers) {
    if (dispatcher.name == name) return dispatcher;
  }
  ADD_FAILURE() << name << " is no dispatcher of the statement";
  return contract::kDispatchers[0];
}

RoutedCase case_of(const contract::Route& route) {
  return {route.dispatcher, static_cast<double>(route.number), route.routine};
}

// Every route's number, moved by `fraction` away from zero: a number with a fraction is
// no route's exact number, and takes the dispatcher's general path.
std::vector<RoutedCase> every_route(double fraction = 0.0) {
  std::vector<RoutedCase> cases;
  for (const contract::Route& route : contract::kRoutes) {
    RoutedCase c = case_of(route);
    c.par1 += c.par1 < 0 ? -fraction : fraction;
    cases.push_back(c);
  }
  return cases;
}

// The harness calls each entry point with the words of the library's own table: they
// must be the stated ones, name for name, or every test here would check the table
// against itself.
TEST(Contract, TheHarnessCallsTheStatedEntryPoints) {
  using Stated = std::tuple<std::string_view, int, std::optional<int>>;
  std::vector<Stated> stated, known;
  for (const auto& d : contract::kDispatchers) stated.emplace_back(d.name, d.words, d.par_word);
  for (const auto& u : contract::kUnsupplied) stated.emplace_back(u.name, u.words, std::nullopt);
  for (const auto& e : harness::kUserSubroutines) known.emplace_back(e.name, e.words, e.par_word);
  EXPECT_EQ(known, stated);
}

class Routing : public test::LibraryTest, public ::testing::WithParamInterface<RoutedCase> {};

TEST_P(Routing, ForwardsTheHostsWordsToTheSelectedRoutine) {
  const RoutedCase& c = GetParam();
  const harness::EntryPoint& entry = *harness::find_user_subroutine(c.entry);
  const harness::HostArguments arguments(entry, c.par1);
  const auto entries = test::call(c.entry, arguments);
  ASSERT_EQ(entries.size(), 1u) << "exactly one element routine, no report";
  EXPECT_STREQ(entries[0].routine, c.routine);
  ASSERT_EQ(entries[0].word_count, stated_dispatcher(c.entry).words);
  for (int i = 0; i < entry.words; ++i) EXPECT_EQ(entries[0].words[i], arguments.words[i]) << i;
  EXPECT_EQ(entries[0].par, c.par1) << "PAR(1) reaches the routine unchanged";
}

INSTANTIATE_TEST_SUITE_P(EveryRoute, Routing, ::testing::ValuesIn(every_route()));
INSTANTIATE_TEST_SUITE_P(EveryRouteWithAFraction, Routing, ::testing::ValuesIn(every_route(0.5)));

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
  for (const contract::Dispatcher& dispatcher : contract::kDispatchers) {
    const RoutedCase c = case_of(contract::kRoutes[dispatcher.first_route]);
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
