#include "test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace test {
namespace {

// The run-time's file descriptor calls, under their names on each platform.
#if defined(_WIN32)
int descriptor_of(std::FILE* file) { return _fileno(file); }
int duplicate(int descriptor) { return _dup(descriptor); }
int duplicate_onto(int descriptor, int onto) { return _dup2(descriptor, onto); }
int close_descriptor(int descriptor) { return _close(descriptor); }
#else
int descriptor_of(std::FILE* file) { return fileno(file); }
int duplicate(int descriptor) { return dup(descriptor); }
int duplicate_onto(int descriptor, int onto) { return dup2(descriptor, onto); }
int close_descriptor(int descriptor) { return close(descriptor); }
#endif

}  // namespace

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
  std::vector<JournalEntry> entries;
  for (int i = first; i < journal_size(); ++i) entries.push_back(*journal_entry(i));
  return entries;
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
  const int32_t kept = std::clamp(journaled.length, int32_t{0}, int32_t{kJournalTextMax});
  return std::string(journaled.chars, static_cast<std::size_t>(kept));
}

std::vector<JournalEntry> journal_since(int first) {
  std::vector<JournalEntry> entries;
  for (int i = first; i < journal_size(); ++i) entries.push_back(*journal_entry(i));
  return entries;
}

void set_environment(const char* name, const std::string& value) {
#if defined(_WIN32)
  ASSERT_EQ(_putenv_s(name, value.c_str()), 0) << name;
#else
  ASSERT_EQ(setenv(name, value.c_str(), 1), 0) << name;
#endif
}

void unset_environment(const char* name) {
#if defined(_WIN32)
  ASSERT_EQ(_putenv_s(name, ""), 0) << name;
#else
  ASSERT_EQ(unsetenv(name), 0) << name;
#endif
}

std::string capture_stdout(const std::function<void()>& action) {
  const std::string path = ::testing::TempDir() + "gyrix_captured_stdout.txt";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot create " << path;
    return {};
  }
  std::fflush(stdout);
  const int out = descriptor_of(stdout);
  const int saved = duplicate(out);
  if (saved < 0 || duplicate_onto(descriptor_of(file), out) < 0) {
    ADD_FAILURE() << "cannot redirect standard output";
    if (saved >= 0) close_descriptor(saved);
    std::fclose(file);
    return {};
  }
  action();
  std::fflush(stdout);
  duplicate_onto(saved, out);
  close_descriptor(saved);
  std::fclose(file);

  std::ifstream written(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()};
  written.close();
  std::remove(path.c_str());
  return bytes;
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
