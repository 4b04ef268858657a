// What every test of the library shares: the library loaded as the host loads it, the
// stand-ins told to return from fatal reports, and the journal read back as values.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "filter_query.h"
#include "host_call.h"

namespace test {

// The library under test, loaded once per test program by file name.
const harness::Library& library();

// A test whose stand-ins start with an empty journal, return from ERRMES and stay silent.
class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

// Calls the user subroutine `name` with `arguments`; returns what the stand-ins journaled.
std::vector<JournalEntry> call(std::string_view name, const harness::HostArguments& arguments);
// The same with the host's harmless words and PAR(1) = `par1`.
std::vector<JournalEntry> call(std::string_view name, double par1);

std::string text(const JournalText& journaled);

// What `action` writes to the process's standard output (file descriptor 1), read back
// byte for byte; the C library's buffer is flushed before and after.
std::string capture_stdout(const std::function<void()>& action);

// USR_MSGFILTER as the host resolves it, or a null pointer.
harness::MessageFilter message_filter();
// Sets an environment variable for the environment service to find; a null value removes
// it. On Windows an empty value removes it too, which the service reads the same way.
void set_variable(const char* name, const char* value);

// Expects `entries` to be exactly one fatal report, ERRMES(-1, message, 0, "STOP").
void expect_fatal_report(const std::vector<JournalEntry>& entries, std::string_view message);

}  // namespace test
