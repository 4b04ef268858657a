// The fatal reports: the exact 80-character messages, handed to ERRMES as the one call.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace harness {
void PrintTo(const EntryPoint& entry, std::ostream* out) { *out << entry.name; }
}  // namespace harness

namespace {

std::string blanks(std::size_t count) { return std::string(count, ' '); }

struct InvalidCase {
  const char* entry;
  double par1;
  const char* field;  // columns 56-59
};

void PrintTo(const InvalidCase& c, std::ostream* out) { *out << c.entry << "(" << c.par1 << ")"; }

// The report names the dispatcher by its report name.
std::string invalid_report(const InvalidCase& c) {
  const std::string named(harness::find_user_subroutine(c.entry)->report_name);
  return "Error in dispatcher subroutine " + named + ": Invalid PAR(1): " + c.field + blanks(21);
}

double from_bits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

class InvalidRoutine : public test::LibraryTest,
                       public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidRoutine, ReportsTheTruncatedNumber) {
  const std::string expected = invalid_report(GetParam());
  ASSERT_EQ(expected.size(), 80u);
  const harness::HostArguments arguments(*harness::find_user_subroutine(GetParam().entry),
                                         GetParam().par1);
  double untouched[harness::kMaxWords][8];
  std::memcpy(untouched, arguments.storage, sizeof untouched);
  test::expect_fatal_report(test::call(GetParam().entry, arguments), expected);
  EXPECT_EQ(std::memcmp(arguments.storage, untouched, sizeof untouched), 0)
      << "nothing is written through the host's words";
}

constexpr double kInf = std::numeric_limits<double>::infinity();

// The number field across its edges: right-aligned, minus sign, no leading zeros,
// four asterisks for anything wider than four characters.
INSTANTIATE_TEST_SUITE_P(
    NumberField, InvalidRoutine,
    ::testing::Values(
        InvalidCase{"CONSUB", 902.0, " 902"}, InvalidCase{"CONSUB", 899.9999, " 899"},
        InvalidCase{"CONSUB", -905.5, "-905"}, InvalidCase{"CONSUB", -0.7, "   0"},
        InvalidCase{"CONSUB", 0.0, "   0"}, InvalidCase{"CONSUB", -0.0, "   0"},
        InvalidCase{"CONSUB", 7.0, "   7"}, InvalidCase{"CONSUB", -7.9, "  -7"},
        InvalidCase{"CONSUB", 904.0, " 904"}, InvalidCase{"CONSUB", 1117.0, "1117"},
        InvalidCase{"CONSUB", 9999.0, "9999"}, InvalidCase{"CONSUB", -999.0, "-999"},
        InvalidCase{"CONSUB", 10000.0, "****"}, InvalidCase{"CONSUB", 20000.0, "****"},
        InvalidCase{"CONSUB", -1000.0, "****"}, InvalidCase{"CONSUB", 3.0e9, "****"},
        InvalidCase{"CONSUB", 2147483647.9, "****"}, InvalidCase{"CONSUB", -2147483648.0, "****"},
        InvalidCase{"CONSUB", -2147483648.9, "****"}, InvalidCase{"CONSUB", kInf, "****"},
        InvalidCase{"CONSUB", -kInf, "****"},
        InvalidCase{"CONSUB", std::numeric_limits<double>::quiet_NaN(), "****"},
        InvalidCase{"CONSUB", from_bits(0x7ff0000000000001), "****"},  // signalling NaN
        InvalidCase{"CONSUB", from_bits(0x0000000000000001), "   0"},  // smallest subnormal
        InvalidCase{"CONSUB", 1.0e300, "****"}));

// Each dispatcher names itself, and knows only its own table.
INSTANTIATE_TEST_SUITE_P(
    EachDispatcher, InvalidRoutine,
    ::testing::Values(InvalidCase{"DIFSUB", 900.0, " 900"}, InvalidCase{"FIESUB", 905.0, " 905"},
                      InvalidCase{"REQSUB", 900.0, " 900"}, InvalidCase{"SFOSUB", 902.0, " 902"},
                      InvalidCase{"SFOSUB", 900.9, " 900"}, InvalidCase{"VARSUB", 901.0, " 901"},
                      InvalidCase{"DIFSUB", 1116.99, "1116"},
                      InvalidCase{"VARSUB", -913.0, "-913"}));

class Unsupplied : public test::LibraryTest,
                   public ::testing::WithParamInterface<harness::EntryPoint> {};

std::vector<harness::EntryPoint> every_unsupplied() {
  std::vector<harness::EntryPoint> found;
  for (const harness::EntryPoint& entry : harness::kUserSubroutines) {
    if (!entry.par_word) found.push_back(entry);
  }
  return found;
}

// The same report on every call, whatever the words: a PAR(1) that a dispatcher would
// route changes nothing, and words that are no addresses are never touched.
TEST_P(Unsupplied, ReportsNoUserSubroutine) {
  const harness::EntryPoint& entry = GetParam();
  const std::string expected = "Error in dispatcher subroutine " + std::string(entry.report_name) +
                               ": No user subroutine supplied" + blanks(14);
  ASSERT_EQ(expected.size(), 80u);
  harness::HostArguments bogus(entry);
  for (int i = 0; i < entry.words; ++i) {
    bogus.words[i] = reinterpret_cast<gyrix::Word>(static_cast<uintptr_t>(4 * i + 1));
  }
  harness::HostArguments routable(entry);
  for (auto& word : routable.storage) word[0] = 901.0;
  test::expect_fatal_report(test::call(entry.name, bogus), expected);
  test::expect_fatal_report(test::call(entry.name, routable), expected);
}

INSTANTIATE_TEST_SUITE_P(EveryEntryPoint, Unsupplied, ::testing::ValuesIn(every_unsupplied()));

}  // namespace
