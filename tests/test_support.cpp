#include "test_support.h"

#include <exception>

#include "environment_variables.h"
#include "output_capture.h"

namespace test {

const harness::Library& library() {
  static const harness::Library loaded;
  return loaded;
}

void LibraryTest::SetUp() {
  ASSERT_TRUE(library().loaded()) << library().file() << ": " << library().error();
  standin_set_echo(0);
  standin_set_errmes_returns(1);
  journal_clear();
}

std::vector<JournalEntry> call(std::string_view name, const harness::HostArguments& arguments) {
  const harness::EntryPoint* entry = harness::find_user_subroutine(name);
  const int first = journal_size();
  EXPECT_TRUE(entry != nullptr && harness::call_user_subroutine(library(), *entry, arguments))
      << name << " is not exported";
  return harness::journal_since(first);
}

std::vector<JournalEntry> call(std::string_view name, double par1) {
  const harness::EntryPoint* entry = harness::find_user_subroutine(name);
  if (entry == nullptr) {
    ADD_FAILURE() << name << " is no user subroutine";
    return {};
  }
  return call(name, harness::HostArguments(*entry, par1));
}

std::string text(const JournalText& journaled) {
  return std::string(harness::journaled_text(journaled));
}

std::string capture_stdout(const std::function<void()>& action) {
  // The harness's own capture: a scratch file of this process's own, so that test
  // programs running side by side never share one.
  try {
    return harness::capture_standard_output(action);
  } catch (const std::exception& failure) {
    ADD_FAILURE() << failure.what();
    return {};
  }
}

harness::MessageFilter message_filter() {
  static const harness::MessageFilter filter = harness::resolve_message_filter(library());
  return filter;
}

void set_variable(const char* name, const char* value) {
  ASSERT_TRUE(harness::set_environment(name, value)) << name;
}

void expect_fatal_report(const std::vector<JournalEntry>& entries, std::string_view message) {
  ASSERT_EQ(entries.size(), 1u);
  const JournalEntry& report = entries[0];
  EXPECT_STREQ(report.routine, "ERRMES");
  EXPECT_EQ(report.flag, -1);
  EXPECT_EQ(report.id, 0);
  EXPECT_EQ(text(report.text[0]), message);
  EXPECT_EQ(text(report.text[1]), "STOP");
}

}  // namespace test
