// The start-up: the banner with the value of QAV_MOVRA_NAME, then the installation of
// db_search into the tire library, and the fatal report when it fails.
#include <cstdint>
#include <optional>
#include <string>

#include "platform.h"
#include "test_support.h"

namespace {

using StartUp = void(GYRIX_CALL*)();
using InstallRoutine = int32_t(GYRIX_CALL*)();

constexpr char kVariable[] = "QAV_MOVRA_NAME";
const std::string kPrefix = "Movra/Driveline ";
const std::string kFailure = "Movra/Driveline Init:Problem setting handlers for Movra/Tire";

std::string blanks(std::size_t count) { return std::string(count, ' '); }
std::string padded(const std::string& text, std::size_t length) {
  return text + blanks(length - text.size());
}

const std::string kEighty =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+-*/=()<>.,;:!?@#%";

struct BannerCase {
  const char* name;
  std::optional<std::string> value;  // nullopt: the variable is not set
  std::string columns;               // what characters 17 to 96 hold
  int32_t service_writes = -1;       // characters the lookup writes (-1: all, as it should)
};

void PrintTo(const BannerCase& c, std::ostream* out) { *out << c.name; }

const BannerCase kBanners[] = {
    {"Unset", std::nullopt, blanks(80)},
    {"Empty", "", blanks(80)},
    {"Short", "Ax7", padded("Ax7", 80)},
    {"ExactlyEighty", kEighty, kEighty},
    {"Longer", kEighty + "tail beyond", kEighty},
    {"LeadingBlanks", "   Rig 4", padded("   Rig 4", 80)},
    {"InnerAndTrailingBlanks", "Rig  4   ", padded("Rig  4", 80)},
    // A service that writes less than the buffer: the rest stays blank, never stack bytes.
    {"ServiceWritesNothing", "Rig 4", blanks(80), 0},
    {"ServiceWritesThree", "Rig 4", padded("Rig", 80), 3},
};

// Leaves non-blank bytes in the stack below the caller, where the next call's locals go.
[[gnu::noinline]] void dirty_stack() {
  volatile char junk[4096];
  for (volatile char& c : junk) c = '#';
}

class StartUpTest : public test::LibraryTest {
 protected:
  void TearDown() override {
    standin_set_install_status(0);
    standin_set_getenv_writes(-1);
    test::set_variable(kVariable, nullptr);
  }

  void set_variable(const std::optional<std::string>& value) {
    if (value) {
      test::set_variable(kVariable, value->c_str());
    } else {
      test::set_variable(kVariable, nullptr);
    }
  }

  std::vector<JournalEntry> start_up() {
    const auto routine = reinterpret_cast<StartUp>(test::library().resolve("CAR_INIT"));
    if (routine == nullptr) {
      ADD_FAILURE() << "CAR_INIT is not exported";
      return {};
    }
    const int first = journal_size();
    dirty_stack();
    routine();
    return harness::journal_since(first);
  }

  // What stiHanSetDba must receive: db_search's entry address, looked up by name.
  static const void* db_search() { return harness::sibling_routine("propdb", "db_search"); }

  static void expect_lookup(const JournalEntry& entry) {
    EXPECT_STREQ(entry.routine, "QAV_GETENV");
    EXPECT_EQ(test::text(entry.text[0]), kVariable);
    EXPECT_EQ(entry.text[1].length, 80) << "the value buffer";
    EXPECT_EQ(test::text(entry.text[1]), blanks(80)) << "the value buffer as passed";
  }

  static void expect_banner(const JournalEntry& entry, const std::string& columns) {
    EXPECT_STREQ(entry.routine, "USRMES");
    EXPECT_EQ(entry.flag, -1);
    EXPECT_EQ(entry.id, 0);
    const std::string banner = test::text(entry.text[0]);
    ASSERT_EQ(banner.size(), 128u);
    EXPECT_EQ(banner, kPrefix + columns + blanks(32));
    EXPECT_EQ(test::text(entry.text[1]), "INFO");
  }

  static void expect_installation(const JournalEntry& entry) {
    EXPECT_STREQ(entry.routine, "stiHanSetDba");
    ASSERT_NE(db_search(), nullptr) << "propdb is not loaded";
    EXPECT_EQ(entry.handler, db_search());
  }
};

class Banner : public StartUpTest, public ::testing::WithParamInterface<BannerCase> {};

TEST_P(Banner, ShowsTheWholeValueThenInstalls) {
  ASSERT_EQ(GetParam().columns.size(), 80u) << "the case's own expectation";
  set_variable(GetParam().value);
  standin_set_getenv_writes(GetParam().service_writes);
  const std::vector<JournalEntry> entries = start_up();
  ASSERT_EQ(entries.size(), 3u) << "lookup, banner, installation and nothing else";
  expect_lookup(entries[0]);
  expect_banner(entries[1], GetParam().columns);
  expect_installation(entries[2]);
}

INSTANTIATE_TEST_SUITE_P(Values, Banner, ::testing::ValuesIn(kBanners),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

class Installation : public StartUpTest, public ::testing::WithParamInterface<int32_t> {};

// Any non-zero status is a failure, reported after the banner; the status itself is
// not part of the report. The banner's value fills its 80 columns, beyond the report's
// text: the report, written into the same buffer, is blank to its last byte.
TEST_P(Installation, FailsOnlyOnANonZeroStatus) {
  set_variable(kEighty);
  standin_set_install_status(GetParam());
  const std::vector<JournalEntry> entries = start_up();
  const bool fails = GetParam() != 0;
  ASSERT_EQ(entries.size(), fails ? 4u : 3u);
  expect_lookup(entries[0]);
  expect_banner(entries[1], kEighty);
  expect_installation(entries[2]);
  if (fails) {
    test::expect_fatal_report({entries[3]}, padded(kFailure, 128));
  }
}

INSTANTIATE_TEST_SUITE_P(Statuses, Installation,
                         ::testing::Values(0, 1, -1, 2, INT32_MIN, INT32_MAX));

// No state from one call to the next: the variable is looked up again each time.
TEST_F(StartUpTest, EveryCallShowsTheBannerAndInstallsAgain) {
  set_variable("First rig");
  std::vector<JournalEntry> entries = start_up();
  set_variable("Second");
  const std::vector<JournalEntry> second = start_up();
  entries.insert(entries.end(), second.begin(), second.end());
  ASSERT_EQ(entries.size(), 6u);
  expect_lookup(entries[0]);
  expect_banner(entries[1], padded("First rig", 80));
  expect_installation(entries[2]);
  expect_lookup(entries[3]);
  expect_banner(entries[4], padded("Second", 80));
  expect_installation(entries[5]);
}

class DirectInstallation : public StartUpTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(DirectInstallation, HandsOnDbSearchAndReturnsTheStatusUnchanged) {
  const auto routine = reinterpret_cast<InstallRoutine>(test::library().resolve("TK_GYRX_TIRINIT"));
  ASSERT_NE(routine, nullptr) << "TK_GYRX_TIRINIT is not exported";
  standin_set_install_status(GetParam());
  const int first = journal_size();
  EXPECT_EQ(routine(), GetParam());
  const std::vector<JournalEntry> entries = harness::journal_since(first);
  ASSERT_EQ(entries.size(), 1u) << "one installation and no message";
  expect_installation(entries[0]);
}

INSTANTIATE_TEST_SUITE_P(Statuses, DirectInstallation,
                         ::testing::Values(0, 1, -1, 77, INT32_MIN, INT32_MAX));

}  // namespace
