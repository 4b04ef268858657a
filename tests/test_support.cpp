#include "test_support.h"

#include <unistd.h>  // MinGW has the descriptor calls too

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "environment.h"

namespace test {

const host::Library& library() {
  static const host::Library loaded;
  return loaded;
}

void LibraryTest::SetUp() {
  ASSERT_TRUE(library().loaded()) << library().file() << ": " << library().error();
  standin_set_echo(0);
  standin_set_errmes_returns(1);
  journal_clear();
}

std::vector<JournalEntry> call(std::string_view name, const host::HostArguments& arguments) {
  const host::EntryPoint* entry = host::find_user_subroutine(name);
  const int first = journal_size();
  EXPECT_TRUE(entry != nullptr && host::call_user_subroutine(library(), *entry, arguments))
      << name << " is not exported";
  return host::journal_since(first);
}

std::vector<JournalEntry> call(std::string_view name, double par1) {
  const host::EntryPoint* entry = host::find_user_subroutine(name);
  if (entry == nullptr) {
    ADD_FAILURE() << name << " is no user subroutine";
    return {};
  }
  return call(name, host::HostArguments(*entry, par1));
}

std::string text(const JournalText& journaled) {
  return std::string(host::journaled_text(journaled));
}

std::string capture_stdout(const std::function<void()>& action) {
  const std::string path = ::testing::TempDir() + "gyrix_captured_stdout.txt";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot create " << path;
    return {};
  }
  std::fflush(stdout);
  const int out = fileno(stdout);
  const int saved = dup(out);
  if (saved < 0 || dup2(fileno(file), out) < 0) {
    ADD_FAILURE() << "cannot redirect standard output";
    if (saved >= 0) close(saved);
    std::fclose(file);
    return {};
  }
  action();
  std::fflush(stdout);
  dup2(saved, out);
  close(saved);
  std::fclose(file);

  std::ifstream written(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()};
  written.close();
  std::remove(path.c_str());
  return bytes;
}

host::MessageFilter message_filter() {
  static const host::MessageFilter filter = host::resolve_message_filter(library());
  return filter;
}

void set_variable(const char* name, const char* value) {
  ASSERT_TRUE(host::set_environment(name, value)) << name;
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
