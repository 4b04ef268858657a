// The routine number under the caller's floating-point settings: truncation whatever the
// rounding, the settings handed on unchanged, the status flags a conversion raises, and
// no trap even where the caller has unmasked the exception.
#include <gtest/gtest-spi.h>

#include <cfenv>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fp_control.h"
#include "test_support.h"

namespace {

// Restores the test program's own settings after each test.
class FpEnvironment : public test::LibraryTest {
 protected:
  void SetUp() override {
    test::LibraryTest::SetUp();
    saved_ = read_fp_controls();
  }
  void TearDown() override {
    write_fp_controls(saved_);
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  FpControls saved_{};
};

constexpr uint16_t kX87RoundingBits = 0x0c00;
constexpr uint16_t kX87PrecisionBits = 0x0300;
constexpr uint32_t kSseRoundingBits = 0x6000;

// The x87 and SSE settings for one rounding mode (0 nearest, 1 down, 2 up, 3 toward
// zero: the same encoding in both units) and one x87 precision (0 single, 2 double,
// 3 extended), with `unmasked` exceptions enabled.
FpControls controls(const FpControls& base, unsigned rounding, unsigned precision,
                    unsigned unmasked = 0) {
  FpControls result = base;
  result.x87 = static_cast<uint16_t>((base.x87 & ~(kX87RoundingBits | kX87PrecisionBits)) |
                                     rounding << 10 | precision << 8);
  result.x87 = static_cast<uint16_t>(result.x87 & ~unmasked);
  result.mxcsr = ((base.mxcsr & ~kSseRoundingBits) | rounding << 13) & ~(unmasked << 7);
  return result;
}

// Unmasks as a host must: the status flags cleared first. An x87 exception that is
// unmasked while its flag is already set is pending, and would trap at the next x87
// instruction that checks, in whatever code runs next. A forked child (a death test on
// POSIX) inherits the parent's flags.
void unmask_with_clean_flags(const FpControls& caller) {
  std::feclearexcept(FE_ALL_EXCEPT);
  write_fp_controls(caller);
}

double from_bits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Every dispatcher under every rounding mode and x87 precision: the number is
// truncated, and the element routine and ERRMES run under the caller's exact settings,
// which the caller has again afterwards.
struct RoundingCase {
  const char* entry;
  double fraction;      // above the number of the dispatcher's last route
  double failing_par1;  // a negative fraction that no table holds
  const char* report;
};

constexpr RoundingCase kRoundingCases[] = {
    {"CONSUB", 0.9, -905.5,
     "Error in dispatcher subroutine conSUB: Invalid PAR(1): -905                     "},
    {"DIFSUB", 0.99, -117.5,
     "Error in dispatcher subroutine difSUB: Invalid PAR(1): -117                     "},
    {"FIESUB", 0.5, -0.99,
     "Error in dispatcher subroutine fieSUB: Invalid PAR(1):    0                     "},
    {"REQSUB", 0.75, -9.5,
     "Error in dispatcher subroutine reqSUB: Invalid PAR(1):   -9                     "},
    {"SFOSUB", 0.5, -901.5,
     "Error in dispatcher subroutine sfoSUB: Invalid PAR(1): -901                     "},
    {"VARSUB", 0.01, -99.9,
     "Error in dispatcher subroutine varSUB: Invalid PAR(1):  -99                     "},
};

// The last route of `entry`, a dispatcher.
const harness::Route& last_route(const char* entry) {
  const harness::EntryPoint& dispatcher = *harness::find_user_subroutine(entry);
  return harness::kRoutes[dispatcher.first_route + dispatcher.route_count - 1];
}

TEST_F(FpEnvironment, TruncatesUnderEveryRoundingAndPrecision) {
  for (const RoundingCase& c : kRoundingCases) {
    for (unsigned rounding = 0; rounding < 4; ++rounding) {
      for (unsigned precision : {0u, 2u, 3u}) {
        const FpControls caller = controls(saved_, rounding, precision);
        SCOPED_TRACE(testing::Message()
                     << c.entry << " x87 " << std::hex << caller.x87 << " mxcsr " << caller.mxcsr);
        write_fp_controls(caller);
        const harness::Route& route = last_route(c.entry);
        const auto routed = test::call(c.entry, route.number + c.fraction);
        const auto reported = test::call(c.entry, c.failing_par1);
        const FpControls after = read_fp_controls();
        write_fp_controls(saved_);

        ASSERT_EQ(routed.size(), 1u);
        EXPECT_STREQ(routed[0].routine, route.routine);
        EXPECT_TRUE(routed[0].fp == caller) << "element routine's settings";
        test::expect_fatal_report(reported, c.report);
        EXPECT_TRUE(reported[0].fp == caller) << "ERRMES's settings";
        EXPECT_TRUE(after == caller) << "the caller's settings afterwards";
      }
    }
  }
}

struct FlagCase {
  double par1;
  int raised;  // of FE_INEXACT | FE_INVALID
};

// The flags a conversion raises stay raised for the caller: inexact for a dropped
// fraction, however small, invalid for a value that has no 32-bit number; nothing for a
// whole number, zeros of either sign included. The 32-bit range's ends convert, and
// values just beyond them truncate into it; the next whole numbers out have no number.
TEST_F(FpEnvironment, RaisesTheConversionsFlags) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const FlagCase cases[] = {{900.0, 0},
                            {901.0, 0},
                            {0.0, 0},
                            {-0.0, 0},
                            {2147483647.0, 0},
                            {-2147483648.0, 0},
                            {900.5, FE_INEXACT},
                            {-0.7, FE_INEXACT},
                            {902.25, FE_INEXACT},
                            {std::nextafter(901.0, 1e9), FE_INEXACT},
                            {2147483647.5, FE_INEXACT},
                            {-2147483648.5, FE_INEXACT},
                            {nan, FE_INVALID},
                            {3.0e9, FE_INVALID},
                            {-2147483649.0, FE_INVALID},
                            {2147483648.0, FE_INVALID}};
  for (const FlagCase& c : cases) {
    std::feclearexcept(FE_ALL_EXCEPT);
    test::call("CONSUB", c.par1);
    EXPECT_EQ(std::fetestexcept(FE_INEXACT | FE_INVALID), c.raised) << c.par1;
  }
}

// The report for -2147483648 and nothing else, from SFOSUB.
bool only_the_report_for_no_number(const std::vector<JournalEntry>& entries) {
  const std::string expected =
      "Error in dispatcher subroutine sfoSUB: Invalid PAR(1): ****                     ";
  return entries.size() == 1 && std::string_view(entries[0].routine) == "ERRMES" &&
         test::text(entries[0].text[0]) == expected;
}

// Whether this CPU traps at all: in a child process, invalid unmasked in both units, a
// NaN converted by the compiler's own instruction and the x87 asked for pending
// exceptions. An emulator raises no floating-point trap, and then "no trap" below
// would prove nothing.
bool cpu_traps_on_invalid(const FpControls& unmasked) {
  static const bool traps = [&unmasked] {
    testing::TestPartResultArray child_failed;
    {
      testing::ScopedFakeTestPartResultReporter reporter(
          testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &child_failed);
      EXPECT_EXIT(
          {
            // The expected trap ends the child with a status of its own: on Windows the
            // C run-time's exception handler hands it to this signal handler, so that
            // no debugger is started for it.
            std::signal(SIGFPE, [](int) { std::_Exit(3); });
            unmask_with_clean_flags(unmasked);
            volatile double nan = std::numeric_limits<double>::quiet_NaN();
            volatile int number = static_cast<int>(nan);
            __asm__ volatile("fwait");
            static_cast<void>(number);
            std::exit(0);
          },
          ::testing::ExitedWithCode(0), "");
    }
    return child_failed.size() != 0;
  }();
  return traps;
}

// With invalid and inexact unmasked, a value that has no number, a signalling NaN
// included, gives the report for -2147483648 and a fraction still routes: no trap, and
// the caller's settings as they were. Each case runs in a child process, so that a trap
// shows as a failed case instead of ending the test program.
TEST_F(FpEnvironment, NeverTrapsWhereTheCallerUnmasked) {
  const FpControls caller = controls(saved_, 0, 3, kFpInvalid | kFpInexact);
  if (!cpu_traps_on_invalid(caller)) {
    GTEST_SKIP() << "this CPU raises no floating-point trap (an emulator, such as qemu under "
                    "Wine): no trap here would prove nothing";
  }
  const harness::Route& route = last_route("SFOSUB");
  const double routed = route.number + 0.7;  // a fraction that routes
  const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                           from_bits(0x7ff0000000000001),
                           from_bits(0xfff4000000000000),
                           std::numeric_limits<double>::infinity(),
                           3.0e9,
                           -1.0e19,
                           routed};
  for (const double par1 : values) {
    EXPECT_EXIT(
        {
          unmask_with_clean_flags(caller);
          const auto entries = test::call("SFOSUB", par1);
          const FpControls after = read_fp_controls();
          write_fp_controls(saved_);
          const bool answered =
              par1 == routed
                  ? entries.size() == 1 && std::string_view(entries[0].routine) == route.routine
                  : only_the_report_for_no_number(entries);
          std::exit(answered && after == caller ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << "PAR(1) = " << par1;
  }
}

}  // namespace
